// music/output.h: the audio output and the music clock. One looping ring of about two seconds
// is played by an output (the audio device, a silent wall-clock output when no device opens, or
// an offline output the caller advances); the mixing thread refills, block by block, the part the
// output has just left and records the music position each block holds, so the frame loop can
// ask for the position that is being heard rather than the one being mixed.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "music/song_position.h"

struct ModulePlayer;

// Audible pattern-order index and row (0..255 each); 0 for a null player (no music).
int GetAudibleOrder(const ModulePlayer* player);
int GetAudibleRow(const ModulePlayer* player);

// A device that pulls frames from the ring through PullRingFrames on its own thread, or (when
// playRing is set) one that plays the ring in place, looping, and reports its own position.
struct AudioDeviceProcs {
  bool (*open)(int32_t mixRate) = nullptr;  // false when no device can be opened
  void (*start)() = nullptr;                // begin pulling frames
  void (*stop)() = nullptr;                 // no pull (or ring play) runs after this returns
  void (*close)() = nullptr;
  // In-place devices: start looping over `frames` stereo frames of `ring`, which stays put
  // until stop; and the frames played since then, in place of PullRingFrames' count.
  void (*playRing)(const int16_t* ring, int32_t frames) = nullptr;
  uint64_t (*framesPlayed)() = nullptr;
  // Frames the device holds between its count and the speaker (its own buffer), asked once it
  // is open; null or 0 when nothing is held. The clock counts only frames that have got past
  // it, so the picture follows what is heard rather than what was last pulled.
  int32_t (*bufferedFrames)() = nullptr;
};
// The device the next OpenWaveOutput tries; without one (or when it fails) the output is silent.
void InstallAudioDevice(const AudioDeviceProcs& procs);
// Called on the device's thread: copies `frames` stereo frames from the ring at the play cursor
// and counts them as played. Silence when nothing is playing.
void PullRingFrames(int16_t* destination, int32_t frames);

enum class OutputKind : uint8_t { None, Device, WallClock, Offline };

// Opens the installed device at `mixRate`; when it cannot be opened, a silent output whose
// position follows the wall clock takes its place. False only when the stream procedures are
// not installed. Derives the block and ring sizes and resets the voices.
bool OpenWaveOutput(int32_t mixRate);
// As OpenWaveOutput, with an output whose position moves only by AdvanceOfflineOutput; playback
// then runs no thread and each advance refills, on the caller's thread, what the output has left.
bool OpenOfflineOutput(int32_t mixRate);
void AdvanceOfflineOutput(int32_t frames);
void CloseWaveOutput();
OutputKind ActiveOutputKind();

// Renders the whole ring (about two seconds) and starts the output and the mixing thread.
bool StartPlayback(ModulePlayer* player);
// Ends the mixing thread and the output. False for null.
bool StopPlayback(ModulePlayer* player);

// Everything the block fill carries from one block to the next: the module's playback fields
// and the voices. Taken between blocks with nothing playing, and put back into the same player,
// it lets playback go on from that block exactly as the song played straight through goes on.
struct PlaybackSnapshot;
// The state at the song's start, as StartPlayback sets it on a freshly opened output.
void ResetPlaybackToStart(ModulePlayer* player);
std::shared_ptr<const PlaybackSnapshot> TakePlaybackSnapshot(const ModulePlayer* player);
void RestorePlayback(ModulePlayer* player, const PlaybackSnapshot& snapshot);
// Runs the block fill `count` times from the state the player and voices hold, with nothing
// played (playback must be stopped): the state moves as it would under a heard block. Each block's
// frames (interleaved stereo) and position record go to `sink`; false from it stops the fill.
void FillBlocksUnheard(ModulePlayer* player, uint64_t count,
                       const std::function<bool(std::span<const int16_t>, SongPosition)>& sink);
// StartPlayback without going back to the song's start: the ring is filled on from the state
// the player and voices hold (a restored snapshot).
bool ContinuePlayback(ModulePlayer* player);
// Frames the output has played since playback started (after the device's own buffer).
uint64_t PlaybackFramesHeard();
ModulePlayer* CurrentPlayer();
// Renders ring block `writeBlock` of the playback ring and advances it: the replay step whenever
// a tick is due, the voices mixed in between, the block's position recorded.
void FillBlock();

// Called first thing on the mixing thread (the shell raises its priority there).
void SetMixingThreadHook(void (*hook)());
// Where no thread may be started (the web page), playback runs none: the caller refills the ring
// through RunMixingPass, from where the audio asks for frames and once a frame. Set before
// StartPlayback.
void SetMixingWithoutThread(bool withoutThread);
// One pass of the mixing thread: refills every block the output has left. Does nothing unless
// playback is running without a thread.
void RunMixingPass();

// The music start: patch stream, stream procedures, output, module load with every sample
// synthesised. Returns the player (null when the module could not be loaded). A loading started
// ahead (music/load_ahead.h) is waited for and its player taken in place of the module load.
ModulePlayer* MusicStart();
// The same start with the offline output in place of the wave output, for rendering the song
// ahead of any clock (RenderSongBlocks); the loading, and so the state it leaves in the shared
// random generator, is the live start's.
ModulePlayer* OfflineMusicStart();
// Frees the player (which stops playback) and closes the output.
void MusicStop(ModulePlayer* player);

// Shared between the GUI thread and the mixing thread. Everything either thread may touch while
// the other runs is atomic; the ring and float area are handed over through `ringPublished`.
struct PositionRecord {
  std::atomic<uint8_t> blockOrder{0};
  std::atomic<uint8_t> blockRow{0};
};

inline constexpr int kMaxBlocks = 100;

struct PlaybackState {
  std::atomic<ModulePlayer*> currentPlayer{nullptr};
  int32_t writeBlock = 0;  // mixing thread only, once it runs
  std::atomic<int32_t> playBlock{0};
  std::array<PositionRecord, kMaxBlocks> positions{};
  std::atomic<bool> stopRequested{false};
  std::atomic<bool> fillInProgress{false};
  std::atomic<bool> threadExited{true};
  std::unique_ptr<int16_t[]> ring;          // ringFrames stereo frames
  std::unique_ptr<float[]> floatStorage;    // ringFrames x 2 floats + alignment slack
  float* floatArea = nullptr;               // first 16-byte-aligned float of floatStorage
  std::atomic<uint32_t> ringPublished{0};   // bumped after every block written to the ring
  std::atomic<uint64_t> framesPlayed{0};    // device and offline outputs
  // How late the refills run: for the k-th block refilled since playback start, the frames the
  // output had played past the moment it left that block ((k + 1) x blockFrames) when the refill
  // was done. The ring is about two seconds long, so anything well below that is inaudible.
  uint64_t blocksRefilled = 0;              // mixing thread only
  std::atomic<int64_t> worstLatenessFrames{0};
};

extern PlaybackState playback;
