// The audio device over SDL2's audio subsystem.
#include <SDL.h>

#include "platform/audio_device.h"

namespace {

SDL_AudioDeviceID device = 0;
AudioPullProc pullProc = nullptr;
int32_t bufferFrames = 0;
bool subsystemStarted = false;

void Callback(void*, Uint8* stream, int bytes) {
  if (pullProc)
    pullProc(reinterpret_cast<int16_t*>(stream), bytes / 4);
  else
    SDL_memset(stream, 0, static_cast<size_t>(bytes));
}

}  // namespace

bool OpenAudioDevice(int32_t rate, AudioPullProc pull, std::string* error) {
  CloseAudioDevice();
  if (!SDL_WasInit(SDL_INIT_AUDIO)) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      if (error) *error = SDL_GetError();
      return false;
    }
    subsystemStarted = true;
  }
  SDL_AudioSpec want{};
  SDL_AudioSpec have{};
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = Callback;
  pullProc = pull;
  // No changes allowed: the device converts if its own format differs.
  device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    if (error) *error = SDL_GetError();
    pullProc = nullptr;
    if (subsystemStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemStarted = false;
    return false;
  }
  bufferFrames = have.samples;
  return true;
}

int32_t AudioDeviceBufferFrames() { return device ? bufferFrames : 0; }

void StartAudioDevice() {
  if (device) SDL_PauseAudioDevice(device, 0);
}

void StopAudioDevice() {
  if (device) SDL_PauseAudioDevice(device, 1);
}

void CloseAudioDevice() {
  if (device) {
    SDL_CloseAudioDevice(device);
    device = 0;
  }
  bufferFrames = 0;
  pullProc = nullptr;
  if (subsystemStarted) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemStarted = false;
  }
}

// SDL pulls: the ring is never played in place.
bool AudioDevicePlaysInPlace() { return false; }
void PlayRingInPlace(const int16_t*, int32_t) {}
uint64_t AudioDeviceFramesPlayed() { return 0; }
