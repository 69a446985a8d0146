// The audio device over the multimedia wave-out interface. The device does not pull: it plays the
// caller's ring in place with one header looping over it for ever, and its byte position is the
// music's clock.
#include <windows.h>
#include <mmsystem.h>

#include "platform/audio_device.h"

namespace {

HWAVEOUT device = nullptr;
WAVEHDR header{};
bool headerPrepared = false;

void ReleaseHeader() {
  if (!device) return;
  waveOutReset(device);  // hands the looping header back
  if (headerPrepared) waveOutUnprepareHeader(device, &header, sizeof header);
  headerPrepared = false;
}

}  // namespace

bool OpenAudioDevice(int32_t rate, AudioPullProc, std::string* error) {
  CloseAudioDevice();
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.nAvgBytesPerSec = static_cast<DWORD>(rate) * 4;
  format.nBlockAlign = 4;
  format.wBitsPerSample = 16;
  format.cbSize = 0;
  MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
  if (result != MMSYSERR_NOERROR) {
    device = nullptr;
    if (error) {
      char text[MAXERRORLENGTH] = {};
      waveOutGetErrorTextA(result, text, sizeof text);
      *error = text;
    }
    return false;
  }
  return true;
}

// The wave-out position is that of the sound being played, so nothing lies between it and the speaker.
int32_t AudioDeviceBufferFrames() { return 0; }

bool AudioDevicePlaysInPlace() { return true; }

void PlayRingInPlace(const int16_t* ring, int32_t frames) {
  if (!device || !ring || frames <= 0) return;
  ReleaseHeader();
  header = WAVEHDR{};
  header.lpData = reinterpret_cast<LPSTR>(const_cast<int16_t*>(ring));
  header.dwBufferLength = static_cast<DWORD>(frames) * 4;
  header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  header.dwLoops = 0xFFFFFFFFu;
  if (waveOutPrepareHeader(device, &header, sizeof header) != MMSYSERR_NOERROR) return;
  headerPrepared = true;
  waveOutWrite(device, &header, sizeof header);
}

uint64_t AudioDeviceFramesPlayed() {
  if (!device) return 0;
  MMTIME time{};
  time.wType = TIME_BYTES;
  if (waveOutGetPosition(device, &time, sizeof time) != MMSYSERR_NOERROR) return 0;
  // A 32-bit byte count: it wraps after about 6.8 hours, long after the presentation has ended.
  if (time.wType == TIME_BYTES) return time.u.cb / 4;
  if (time.wType == TIME_SAMPLES) return time.u.sample;
  return 0;
}

// A pulling start has nothing to do here: PlayRingInPlace starts the sound.
void StartAudioDevice() {}

void StopAudioDevice() { ReleaseHeader(); }

void CloseAudioDevice() {
  if (!device) return;
  ReleaseHeader();
  waveOutClose(device);
  device = nullptr;
}
