#include "music/output.h"

#include <chrono>
#include <cstring>

#include "music/load_ahead.h"
#include "music/mixer.h"
#include "music/module.h"
#include "music/replay.h"
#include "music/stream.h"
#include "platform/thread.h"

PlaybackState playback;

namespace {

struct OutputState {
  OutputKind kind = OutputKind::None;
  AudioDeviceProcs device;
  std::chrono::steady_clock::time_point wallStart;
  bool wallRunning = false;
  uint64_t deviceBufferedFrames = 0;  // device output: pulled but not yet heard
  PlatformThread* thread = nullptr;
  void (*threadHook)() = nullptr;
  bool withoutThread = false;
};
OutputState out;

// Frames the output has played (got past the device's buffer, for a device) since playback
// started. The blocks the mixing thread refills and the block whose record the frame reads both
// follow this count, so a block's record stays until the block has been heard; the ring is long
// enough that refilling a buffer's length later costs nothing.
uint64_t OutputFramesPlayed() {
  switch (out.kind) {
    case OutputKind::Device: {
      const uint64_t played = out.device.framesPlayed ? out.device.framesPlayed()
                                                      : playback.framesPlayed.load(std::memory_order_acquire);
      return played > out.deviceBufferedFrames ? played - out.deviceBufferedFrames : 0;
    }
    case OutputKind::Offline: return playback.framesPlayed.load(std::memory_order_acquire);
    case OutputKind::WallClock: {
      if (!out.wallRunning) return 0;
      const auto elapsed = std::chrono::steady_clock::now() - out.wallStart;
      return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()) *
             static_cast<uint64_t>(mixSettings.mixRate) / 1000000u;
    }
    case OutputKind::None: return 0;
  }
  return 0;
}

// One pass of the mixing thread: refill every block the output has left since the last pass.
void RefillPass() {
  const uint64_t frames = OutputFramesPlayed();
  const int32_t b = static_cast<int32_t>((frames % static_cast<uint64_t>(mixSettings.ringFrames)) /
                                         static_cast<uint64_t>(mixSettings.blockFrames));
  while (b != playback.writeBlock) {
    playback.fillInProgress.store(true);
    playback.playBlock.store((playback.playBlock.load() + 1) % mixSettings.blockCount);
    FillBlock();
    playback.fillInProgress.store(false);
    const uint64_t leftAt = (++playback.blocksRefilled) * static_cast<uint64_t>(mixSettings.blockFrames);
    const int64_t lateness = static_cast<int64_t>(OutputFramesPlayed()) - static_cast<int64_t>(leftAt);
    if (lateness > playback.worstLatenessFrames.load(std::memory_order_relaxed))
      playback.worstLatenessFrames.store(lateness, std::memory_order_relaxed);
  }
}

void MixingThread() {
  if (out.threadHook) out.threadHook();
  while (!playback.stopRequested.load()) {
    RefillPass();
    SleepThreadMilliseconds(5);
  }
  playback.threadExited.store(true);
}

void StartOutput() {
  playback.framesPlayed.store(0);
  if (out.kind == OutputKind::Device) {
    if (out.device.playRing)
      out.device.playRing(playback.ring.get(), mixSettings.ringFrames);
    else if (out.device.start)
      out.device.start();
  }
  if (out.kind == OutputKind::WallClock) {
    out.wallStart = std::chrono::steady_clock::now();
    out.wallRunning = true;
  }
}

// Freeing the module being played first ends its playback; freeing another must not.
void StopIfPlaying(ModulePlayer* player) {
  if (CurrentPlayer() == player) StopPlayback(player);
}

void ResetOutput() {
  if (out.kind == OutputKind::Device && out.device.stop) out.device.stop();
  out.wallRunning = false;
}

bool OpenOutput(int32_t mixRate, bool offline) {
  // An output is opened by a music start, after it has installed the stream procedures the
  // module is loaded through; without them there is nothing that could ever be played, and
  // failing here keeps a start that got its steps out of order from passing unnoticed.
  if (!StreamProcsInstalled()) return false;
  CloseWaveOutput();
  if (offline) {
    out.kind = OutputKind::Offline;
  } else if (out.device.open && out.device.open(mixRate)) {
    out.kind = OutputKind::Device;
    const int32_t held = out.device.bufferedFrames ? out.device.bufferedFrames() : 0;
    out.deviceBufferedFrames = held > 0 ? static_cast<uint64_t>(held) : 0;
  } else {
    // No device: the music still keeps time, silently, so the presentation runs its course.
    out.kind = OutputKind::WallClock;
  }
  mixSettings = ComputeMixSettings(mixRate);
  ResetVoices();
  return true;
}

}  // namespace

void InstallAudioDevice(const AudioDeviceProcs& procs) { out.device = procs; }

void PullRingFrames(int16_t* destination, int32_t frames) {
  const int16_t* ring = playback.ring.get();
  const uint64_t played = playback.framesPlayed.load(std::memory_order_relaxed);
  if (!ring || frames <= 0) {
    if (frames > 0) std::memset(destination, 0, static_cast<size_t>(frames) * 4);
    return;
  }
  // Everything the mixing thread wrote before its last publish is visible from here on.
  playback.ringPublished.load(std::memory_order_acquire);
  const uint64_t ringFrames = static_cast<uint64_t>(mixSettings.ringFrames);
  uint64_t cursor = played % ringFrames;
  int32_t done = 0;
  while (done < frames) {
    const int32_t n = static_cast<int32_t>(std::min<uint64_t>(ringFrames - cursor, static_cast<uint64_t>(frames - done)));
    std::memcpy(destination + 2 * done, ring + 2 * cursor, static_cast<size_t>(n) * 4);
    done += n;
    cursor = (cursor + static_cast<uint64_t>(n)) % ringFrames;
  }
  playback.framesPlayed.fetch_add(static_cast<uint64_t>(frames), std::memory_order_release);
}

bool OpenWaveOutput(int32_t mixRate) { return OpenOutput(mixRate, false); }
bool OpenOfflineOutput(int32_t mixRate) { return OpenOutput(mixRate, true); }

void AdvanceOfflineOutput(int32_t frames) {
  if (out.kind != OutputKind::Offline || frames <= 0) return;
  playback.framesPlayed.fetch_add(static_cast<uint64_t>(frames), std::memory_order_release);
  if (playback.currentPlayer.load() && playback.ring) RefillPass();
}

void CloseWaveOutput() {
  if (out.kind == OutputKind::Device && out.device.close) {
    if (out.device.stop) out.device.stop();
    out.device.close();
  }
  out.kind = OutputKind::None;
  out.wallRunning = false;
}

OutputKind ActiveOutputKind() { return out.kind; }

ModulePlayer* CurrentPlayer() { return playback.currentPlayer.load(); }

void SetMixingThreadHook(void (*hook)()) { out.threadHook = hook; }

void SetMixingWithoutThread(bool withoutThread) { out.withoutThread = withoutThread; }

void RunMixingPass() {
  if (!out.withoutThread || out.kind == OutputKind::Offline || out.kind == OutputKind::None) return;
  if (playback.currentPlayer.load() && playback.ring && !playback.stopRequested.load()) RefillPass();
}

namespace {

// The ring and the float area, the position records cleared, writing from block 0.
void PrepareRing(ModulePlayer* player) {
  SetModuleReleaseHook(StopIfPlaying);
  playback.currentPlayer.store(player);
  for (PositionRecord& r : playback.positions) {
    r.blockOrder.store(0);
    r.blockRow.store(0);
  }
  playback.playBlock.store(0);
  const size_t ringValues = static_cast<size_t>(mixSettings.ringFrames) * 2;
  playback.ring = std::make_unique<int16_t[]>(ringValues);
  playback.floatStorage = std::make_unique<float[]>(ringValues + 64);
  const auto address = reinterpret_cast<uintptr_t>(playback.floatStorage.get());
  playback.floatArea = reinterpret_cast<float*>((address + 15) & ~static_cast<uintptr_t>(15));
  playback.writeBlock = 0;
  playback.blocksRefilled = 0;
  playback.worstLatenessFrames.store(0);
}

}  // namespace

bool StartPlayback(ModulePlayer* player) {
  if (!player) return false;
  StopPlayback(player);
  ResetPlaybackState(player);
  return ContinuePlayback(player);
}

bool ContinuePlayback(ModulePlayer* player) {
  if (!player) return false;
  StopPlayback(player);
  PrepareRing(player);
  do {
    FillBlock();
  } while (playback.writeBlock != 0);
  StartOutput();
  playback.stopRequested.store(false);
  if (out.kind != OutputKind::Offline && !out.withoutThread) {
    playback.threadExited.store(false);
    out.thread = StartThread(MixingThread);
    // Without a thread the ring plays its two seconds over and over; the music clock stays put.
    if (!out.thread) playback.threadExited.store(true);
  }
  return true;
}

bool StopPlayback(ModulePlayer* player) {
  if (!player) return false;
  playback.stopRequested.store(true);
  while (playback.fillInProgress.load()) YieldThread();
  if (out.thread) {
    while (!playback.threadExited.load()) SleepThreadMilliseconds(50);
    JoinThread(out.thread);
    out.thread = nullptr;
  }
  if (playback.ring) ResetOutput();
  playback.floatStorage.reset();
  playback.floatArea = nullptr;
  playback.ring.reset();
  playback.currentPlayer.store(nullptr);
  return true;
}

void ResetPlaybackToStart(ModulePlayer* player) {
  ResetVoices();
  ResetPlaybackState(player);
}

struct PlaybackSnapshot {
  ModulePlayer player;
  std::array<Voice, kVoiceCount> voices;
};

std::shared_ptr<const PlaybackSnapshot> TakePlaybackSnapshot(const ModulePlayer* player) {
  return std::make_shared<const PlaybackSnapshot>(PlaybackSnapshot{*player, voices});
}

void RestorePlayback(ModulePlayer* player, const PlaybackSnapshot& snapshot) {
  *player = snapshot.player;
  voices = snapshot.voices;
}

void FillBlocksUnheard(ModulePlayer* player, uint64_t count,
                       const std::function<bool(std::span<const int16_t>, SongPosition)>& sink) {
  if (!player || CurrentPlayer()) return;
  PrepareRing(player);
  const auto frames = static_cast<size_t>(mixSettings.blockFrames);
  for (uint64_t i = 0; i < count; ++i) {
    const int32_t w = playback.writeBlock;
    FillBlock();
    const PositionRecord& r = playback.positions[static_cast<size_t>(w)];
    if (!sink(std::span<const int16_t>(playback.ring.get() + static_cast<size_t>(w) * frames * 2, frames * 2),
              {r.blockOrder.load(), r.blockRow.load()}))
      break;
  }
  playback.floatStorage.reset();
  playback.floatArea = nullptr;
  playback.ring.reset();
  playback.currentPlayer.store(nullptr);
}

uint64_t PlaybackFramesHeard() { return OutputFramesPlayed(); }

int GetAudibleOrder(const ModulePlayer* player) {
  if (!player) return 0;
  return playback.positions[static_cast<size_t>(playback.playBlock.load())].blockOrder.load(std::memory_order_relaxed);
}

int GetAudibleRow(const ModulePlayer* player) {
  if (!player) return 0;
  return playback.positions[static_cast<size_t>(playback.playBlock.load())].blockRow.load(std::memory_order_relaxed);
}

namespace {

ModulePlayer* StartMusicOn(bool offline) {
  // A loading started ahead is waited for first: until it has ended, the stream procedures
  // are its own.
  const bool ahead = SoundtrackLoadingAhead();
  ModulePlayer* player = ahead ? TakeSoundtrackLoadedAhead() : nullptr;
  InstallResourceStreamProcs();  // the output opens only once the streams are there
  OpenOutput(44100, offline);
  return ahead ? player : LoadSoundtrack();
}

}  // namespace

ModulePlayer* MusicStart() { return StartMusicOn(false); }
ModulePlayer* OfflineMusicStart() { return StartMusicOn(true); }

void MusicStop(ModulePlayer* player) {
  FreeModule(player);
  CloseWaveOutput();
}

void FillBlock() {
  const int32_t w = playback.writeBlock;
  const int32_t frames = mixSettings.blockFrames;
  float* area = playback.floatArea + static_cast<size_t>(w) * frames * 2;
  std::memset(area, 0, static_cast<size_t>(frames) * 2 * sizeof(float));
  ModulePlayer* player = playback.currentPlayer.load(std::memory_order_relaxed);
  if (player) {
    int32_t countdown = player->samplesUntilTick;
    int32_t done = 0;
    while (done < frames) {
      if (countdown == 0) {
        if (player->tickProc) player->tickProc(player);
        countdown = player->samplesPerTick;
      }
      const int32_t n = std::min(countdown, frames - done);
      MixVoices(area + 2 * done, n);
      done += n;
      countdown -= n;
    }
    playback.positions[static_cast<size_t>(w)].blockOrder.store(static_cast<uint8_t>(player->orderIndex),
                                                                std::memory_order_relaxed);
    playback.positions[static_cast<size_t>(w)].blockRow.store(static_cast<uint8_t>(player->row),
                                                              std::memory_order_relaxed);
    player->samplesUntilTick = countdown;
  } else {
    MixVoices(area, frames);
  }
  ConvertBlock(playback.ring.get() + static_cast<size_t>(w) * frames * 2, area, frames);
  playback.ringPublished.fetch_add(1, std::memory_order_release);
  playback.writeBlock = (w + 1) % mixSettings.blockCount;
}
