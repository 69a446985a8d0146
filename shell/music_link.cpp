#include "shell/music_link.h"

#include <cstdio>

#include "music/module.h"
#include "music/output.h"
#include "platform/audio_device.h"
#include "platform/system.h"
#include "shell/shell_state.h"

namespace {

bool OpenDevice(int32_t rate) {
  std::string error;
  if (OpenAudioDevice(rate, PullRingFrames, &error)) return true;
  std::fprintf(stderr, "vale: no audio device (%s); the music keeps time silently\n", error.c_str());
  return false;
}

void RaiseMixingThread() { RaiseCurrentThreadPriority(); }

void KeepPlayer(ModulePlayer* player) {
  shellState.player = player;
  if (!player) std::fprintf(stderr, "vale: no music: %s\n", ModuleLoadError());
}

}  // namespace

void LoadLiveMusic() {
  AudioDeviceProcs procs{OpenDevice, StartAudioDevice, StopAudioDevice, CloseAudioDevice};
  if (AudioDevicePlaysInPlace()) {
    procs.playRing = PlayRingInPlace;
    procs.framesPlayed = AudioDeviceFramesPlayed;
  }
  procs.bufferedFrames = AudioDeviceBufferFrames;
  InstallAudioDevice(procs);
  SetMixingThreadHook(RaiseMixingThread);
  KeepPlayer(MusicStart());
}

void StartOfflineMusic() { KeepPlayer(OfflineMusicStart()); }

void StartMusicPlayback() { StartPlayback(shellState.player); }

void StopMusic() {
  // Frees the player (after its mixing thread has ended), then closes the output.
  MusicStop(shellState.player);
  shellState.player = nullptr;
}
