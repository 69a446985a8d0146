// platform/audio_device.h: the default audio output device, 16-bit stereo, pulling its frames
// through a procedure the caller gives (the music's ring reader) on the device's own thread.
#pragma once
#include <cstdint>
#include <string>

// Fills `frames` interleaved stereo frames; runs on the device's thread.
using AudioPullProc = void (*)(int16_t* destination, int32_t frames);

// Opens the default device at `rate` Hz, signed 16-bit stereo, paused. One device at a time.
// False (with the reason in `error` when given) when no device can be opened.
bool OpenAudioDevice(int32_t rate, AudioPullProc pull, std::string* error = nullptr);
// Frames the open device buffers between a pull and the speaker: the buffer size SDL
// actually granted (1024 asked for, 23 ms at 44100 Hz); 0 when no device is open. The sound
// server's own latency behind it is not known here.
int32_t AudioDeviceBufferFrames();
// Starts pulling.
void StartAudioDevice();
// Pauses; when this returns no pull is running and none follows until the next start.
void StopAudioDevice();
void CloseAudioDevice();
