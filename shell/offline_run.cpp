#include "shell/offline_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "music/mixer.h"
#include "music/render.h"
#include "shell/music_link.h"
#include "shell/present.h"
#include "shell/shell_state.h"
#include "shell/startup.h"

namespace {

struct ReplayState {
  ReplayOptions options;
  SongTimeline song;
  int64_t nextFrame = 0;
  int64_t endFrame = 0;
  bool ended = false;
  bool started = false;
};
ReplayState replay;

void UseSong(SongTimeline song) {
  replay.song = std::move(song);
  const int64_t end = FirstFrameAt(replay.song, kEndPosition, replay.options.fps);
  if (end >= 0) {
    replay.endFrame = end;
  } else {
    // A song that never gets there ends with its last block.
    const auto samples = static_cast<int64_t>(replay.song.blocks.size()) * replay.song.blockFrames;
    replay.endFrame = (samples * replay.options.fps + replay.song.mixRate - 1) / replay.song.mixRate;
  }
}

// Where the live program starts the device, the replay hears the whole song once, ahead.
void RenderReplaySong() { UseSong(RenderSongTimeline(shellState.player, replay.options.keepAudio)); }

}  // namespace

SongTimeline RenderSongTimeline(ModulePlayer* player, bool keepAudio) {
  SongTimeline song;
  song.mixRate = mixSettings.mixRate > 0 ? mixSettings.mixRate : 44100;
  song.blockFrames = mixSettings.blockFrames;
  // A bound for a song whose ticks are so long that its end order lies hours away.
  const uint64_t maxBlocks = 3600ull * static_cast<uint64_t>(song.mixRate) / static_cast<uint64_t>(song.blockFrames);
  RenderSongBlocks(player, kEndPosition.order, [&](const HeardBlock& block) {
    song.blocks.push_back(block.position);
    if (keepAudio) song.audio.insert(song.audio.end(), block.frames.begin(), block.frames.end());
    return block.position < kEndPosition && song.blocks.size() < maxBlocks;
  });
  return song;
}

uint64_t SampleAtFrame(int64_t frame, int32_t fps, int32_t mixRate) {
  return static_cast<uint64_t>(frame) * static_cast<uint64_t>(mixRate) / static_cast<uint64_t>(fps);
}

SongPosition AudiblePositionAt(const SongTimeline& song, int64_t frame, int32_t fps) {
  if (song.blocks.empty() || song.blockFrames <= 0) return {};
  const uint64_t block = SampleAtFrame(frame, fps, song.mixRate) / static_cast<uint64_t>(song.blockFrames);
  return song.blocks[std::min<uint64_t>(block, song.blocks.size() - 1)];
}

int64_t FirstFrameAt(const SongTimeline& song, SongPosition position, int32_t fps) {
  if (position == SongPosition{}) return 0;
  const auto it = std::find_if(song.blocks.begin(), song.blocks.end(),
                               [&](const SongPosition& p) { return p >= position; });
  if (it == song.blocks.end()) return -1;
  // The first frame whose first sample lies in block n: k x rate / fps >= n x blockFrames.
  const auto firstSample = static_cast<int64_t>(it - song.blocks.begin()) * song.blockFrames;
  return (firstSample * fps + song.mixRate - 1) / song.mixRate;
}

void StartReplay(const ReplayOptions& options) {
  if (replay.started) return;
  replay.started = true;
  replay.options = options;
  // The loading bar is drawn for its effect on the GL state; PresentFrame only flushes here.
  RunStartupSequence({PresentFrame, StartOfflineMusic, RenderReplaySong});
}

void AttachReplay(SongTimeline song, int32_t fps) {
  replay.started = true;
  replay.options = {fps, !song.audio.empty()};
  UseSong(std::move(song));
  RewindReplay();
}

void RewindReplay() {
  replay.nextFrame = 0;
  replay.ended = false;
}

const SongTimeline& ReplaySong() { return replay.song; }
bool ReplayHasMusic() { return !replay.song.blocks.empty(); }
int64_t ReplayEndFrame() { return replay.endFrame; }
int64_t ReplayNextFrame() { return replay.nextFrame; }

FrameInputs ReplayFrameInputs(int64_t frame) {
  const SongPosition p = AudiblePositionAt(replay.song, frame, replay.options.fps);
  FrameInputs in;
  in.order = p.order;
  in.row = p.row;
  in.elapsedSeconds = static_cast<float>(static_cast<double>(frame) / static_cast<double>(replay.options.fps));
  return in;
}

namespace {

ScheduleStep StepAt(int64_t frame) {
  const FrameInputs in = ReplayFrameInputs(frame);
  return PickScene(ComputeSyncTime(in.order, in.row));
}

// Frame k may be passed over when it lies strictly inside a span of a scene whose frames can
// be advanced without drawing: the first frame of a span (the set-up, the state it inherits)
// and the last (the camera and GL state it hands on) are always drawn.
bool Passable(int64_t k) {
  if (k <= 0) return false;
  const ScheduleStep step = StepAt(k);
  return ScenePassable(step.scene) && step == StepAt(k - 1) && step == StepAt(k + 1);
}

}  // namespace

void ReplayUntil(int64_t frame, bool passOver) {
  while (!replay.ended && replay.nextFrame < frame) {
    const int64_t k = replay.nextFrame;
    // The frame just before the one asked for is always drawn.
    if (passOver && k + 1 < frame && Passable(k)) {
      ++replay.nextFrame;
      if (PassFrame(ReplayFrameInputs(k)) == 1) replay.ended = true;
    } else {
      ReplayDrawFrame(ReplayFrameInputs(k));
    }
  }
}

int ReplayDrawFrame(const FrameInputs& inputs) {
  if (replay.ended) return 1;
  ++replay.nextFrame;
  // The last frame stops the music as the live one does; the song was rendered long before.
  if (RenderFrameFrom(inputs) == 1) replay.ended = true;
  return replay.ended ? 1 : 0;
}

bool ParseSongPosition(const std::string& text, SongPosition& position) {
  const size_t dot = text.find('.');
  const std::string orderText = text.substr(0, dot);
  const std::string rowText = dot == std::string::npos ? "0" : text.substr(dot + 1);
  auto number = [](const std::string& s, int32_t& value) {
    if (s.empty() || s.size() > 3 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    value = std::atoi(s.c_str());
    return value <= 255;
  };
  SongPosition p;
  if (!number(orderText, p.order) || !number(rowText, p.row)) return false;
  position = p;
  return true;
}

std::string FormatSongPosition(SongPosition p) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%03d", p.order, p.row);
  return text;
}
