// shell/offline_run.h: the presentation replayed without a window, frame by frame, with faked clocks.
// The same start-up and the same frame code as the live program run on the current GL context;
// frame k of a run at `fps` frames a second has elapsedSeconds = k / fps and the music position
// that is heard k / fps seconds after the first frame. The song is rendered once, up front, by
// the live mixer through the offline output; its per-block position records are the clock.
// Scenes keep process-wide state, so there is one replay per process; it runs from frame 0 on, and
// goes back to frame 0 only together with the scenes (RewindReplay).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "music/song_position.h"
#include "shell/frame.h"

struct ModulePlayer;

// The song as heard from the first frame on: the position record of every block, in order, and
// (when kept) the audio of every block, interleaved 16-bit stereo.
struct SongTimeline {
  int32_t mixRate = 44100;
  int32_t blockFrames = 0;
  std::vector<SongPosition> blocks;
  std::vector<int16_t> audio;
};

// Plays `player` from its start through the open offline output (RenderSongBlocks) until the
// first block at or past kEndPosition (included) or the end of the song's first pass, whichever
// comes first. The output stays open.
SongTimeline RenderSongTimeline(ModulePlayer* player, bool keepAudio);
// The first song sample heard by frame k: floor(k x mixRate / fps).
uint64_t SampleAtFrame(int64_t frame, int32_t fps, int32_t mixRate);
// The record of the block holding that sample (the last block's past the end).
SongPosition AudiblePositionAt(const SongTimeline& song, int64_t frame, int32_t fps);
// The first frame whose audible position is at or past `position`; -1 when the song never gets there.
int64_t FirstFrameAt(const SongTimeline& song, SongPosition position, int32_t fps);

struct ReplayOptions {
  int32_t fps = 50;
  bool keepAudio = false;  // keep the song's audio (for a soundtrack)
};

// Runs the live start-up sequence on the current GL context (loading bar drawn, not shown;
// textures uploaded; the music loaded as the live program loads it, so the program-wide random
// generator ends in the same state) and renders the song. Call once per process.
void StartReplay(const ReplayOptions& options);
// The replay on a context whose start-up has already run (the live program's, for a seek):
// `song` is its clock from now on, and the next frame is frame 0. The scenes are the caller's to
// bring back to the state of the start (ResetScenes and the rest).
void AttachReplay(SongTimeline song, int32_t fps);
// The next frame is frame 0 again, on the same song; the scenes as for AttachReplay.
void RewindReplay();
const SongTimeline& ReplaySong();
// False when the soundtrack could not be loaded (the song then stays at position 0).
bool ReplayHasMusic();
// The frame at which the run ends (nothing is drawn from it on).
int64_t ReplayEndFrame();
// The next frame the replay runs.
int64_t ReplayNextFrame();
// The clock readings of frame k.
FrameInputs ReplayFrameInputs(int64_t frame);
// Runs every frame from the next one up to `frame` (excluded) at whatever size the framebuffer
// has, nothing read back; a frame the run ends at stops it. With `passOver`, the middle frames
// of spans whose scenes allow it are advanced without drawing (ScenePassable).
void ReplayUntil(int64_t frame, bool passOver = true);
// Runs the next frame with these readings (ReplayFrameInputs of it, or an altered clock);
// 1 when the run ended there.
int ReplayDrawFrame(const FrameInputs& inputs);

// ORDER.ROW with the row written as a number ("12.40" and "12.040" are both row 40; "12" is row
// 0). False for anything else or a row over 255.
bool ParseSongPosition(const std::string& text, SongPosition& position);
std::string FormatSongPosition(SongPosition position);  // "12.040"
