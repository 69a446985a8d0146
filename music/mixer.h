// music/mixer.h: the 64-voice software mixer. A block fill alternates between the replay step
// (whenever a tick's worth of frames is due) and MixVoices, which adds every sounding voice into
// a float stereo area with linear interpolation, a short volume ramp on every gain change and
// forward or ping-pong loops; the block is then converted to 16-bit with clipping.
#pragma once
#include <array>
#include <cstdint>

struct SampleRecord;

struct Voice {
  int32_t index = 0;
  const SampleRecord* sample = nullptr;  // null = idle
  int32_t volume = 0;                    // 0..127
  int32_t panning = 0;                   // 0..255, 0 fully left, 255 fully right
  int32_t frequency = 0;                 // Hz, informational
  int32_t gainA = 0, gainB = 0;          // target gains 0..127 of left and right
  uint32_t positionInt = 0, positionFrac = 0;
  uint32_t stepInt = 0, stepFrac = 0;
  int32_t direction = 1;  // 1 forward, 2 backward
  int32_t rampTargetA = 0, rampTargetB = 0;
  int32_t currentA = 0, currentB = 0;  // gains in force, times 256
  float rampStepA = 0, rampStepB = 0;  // per-frame change of gain / 255
  int32_t rampRemaining = 0;
};

inline constexpr int kVoiceCount = 64;
inline constexpr int32_t kForward = 1;
inline constexpr int32_t kBackward = 2;

// Sizes derived from the mix rate when the output opens.
struct MixSettings {
  int32_t mixRate = 44100;
  int32_t blockFrames = 884;
  int32_t ringFrames = 88400;
  int32_t blockCount = 100;
  int32_t rampLength = 128;
};

extern std::array<Voice, kVoiceCount> voices;
extern MixSettings mixSettings;

// Derives block, ring and ramp sizes from the rate.
MixSettings ComputeMixSettings(int32_t mixRate);
// Zeroes the 64 voices; voice i gets index i and direction forward.
void ResetVoices();

// The loops that mix a voice: one frame per iteration, or two (ramps and constant gains), or
// four at constant gains with two in ramps. All give the same bits; the widest this build and
// processor run is the default, and tests switch between them to hold them to that. Not to be
// switched while a mix runs.
enum class MixLoop : uint8_t { OneFrame, TwoFrames, FourFrames };
bool MixLoopAvailable(MixLoop loop);
void SetMixLoop(MixLoop loop);  // ignored for a loop that is not available
MixLoop DefaultMixLoop();

// Adds n frames of every sounding voice into `destination` (2n floats); nothing for n < 1.
void MixVoices(float* destination, int32_t n);
// 2n floats to 2n signed 16-bit values: round to nearest (ties to even) of x * 2, clipped.
void ConvertBlock(int16_t* destination, const float* source, int32_t n);
