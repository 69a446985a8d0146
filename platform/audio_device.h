// platform/audio_device.h: the default audio output device, 16-bit stereo. Either it pulls its
// frames through a procedure the caller gives (the music's ring reader) on the device's own thread,
// or it plays the caller's ring in place, looping, and reports how far it has played.
#pragma once
#include <cstdint>
#include <string>

// Fills `frames` interleaved stereo frames; runs on the device's thread.
using AudioPullProc = void (*)(int16_t* destination, int32_t frames);

// Opens the default device at `rate` Hz, signed 16-bit stereo, paused. One device at a time.
// False (with the reason in `error` when given) when no device can be opened.
bool OpenAudioDevice(int32_t rate, AudioPullProc pull, std::string* error = nullptr);
// Frames the open device holds between its count of frames played and the speaker: for a
// pulling device its buffer (SDL: the size granted, 1024 frames asked for, 23 ms at 44100 Hz;
// a sound server's own latency behind it is not known); 0 for a device whose count is the
// played position, and when no device is open.
int32_t AudioDeviceBufferFrames();
// Starts pulling.
void StartAudioDevice();
// Pauses; when this returns no pull is running and none follows until the next start.
void StopAudioDevice();
void CloseAudioDevice();

// True for a device that plays a ring in place (then PlayRingInPlace and AudioDeviceFramesPlayed
// take the place of the pull procedure and StartAudioDevice).
bool AudioDevicePlaysInPlace();
// Starts looping over `frames` stereo frames of `ring`, which must stay in place until the stop.
void PlayRingInPlace(const int16_t* ring, int32_t frames);
// Frames played since PlayRingInPlace.
uint64_t AudioDeviceFramesPlayed();

// The web page's device only (audio_web.cpp): called on the page's thread after the device has
// taken each buffer from the ring, so that the caller refills what has been heard right there.
void SetAudioBufferTakenProc(void (*proc)());
