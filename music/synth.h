// music/synth.h: the sample synthesiser. Every instrument sample is computed from a 68-byte patch:
// an oscillator with a linear frequency sweep, an attack-hold-release envelope, an optional
// resonant low-pass with swept cutoff and resonance, and an optional moving-average stage.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

struct MemoryStream;

struct SynthPatch {
  float baseFrequency = 0;
  float phaseOffset = 0;
  float amplitude = 0;
  float frequencySweep = 0;
  uint16_t sampleRate = 44100;
  uint16_t waveform = 0;  // 2 square, 3 sawtooth, 4 noise, otherwise sine
  uint32_t attack = 0;
  uint32_t hold = 0;
  uint32_t release = 0;
  float cutoff = 0;
  float resonance = 0;
  float cutoffSweep = 0;
  float resonanceSweep = 0;
  int32_t averageFrequencyA = 0;
  int32_t averageFrequencyB = 0;
  float averageSweepA = 0;
  float averageSweepB = 0;
  uint16_t patchFlags = 0;  // bit 0 low-pass on; & 0x0E averaging mode
  uint16_t reserved = 0;
};

inline constexpr int kPatchBytes = 68;
inline constexpr uint16_t kWaveSquare = 2, kWaveSawtooth = 3, kWaveNoise = 4;

// Values a patch produces: attack + hold + release + 2 (32-bit unsigned arithmetic).
uint32_t PatchValueCount(const SynthPatch& patch);
// The 68-byte little-endian record and back.
SynthPatch DecodeSynthPatch(std::span<const uint8_t, kPatchBytes> bytes);
void EncodeSynthPatch(const SynthPatch& patch, std::span<uint8_t, kPatchBytes> bytes);

// The low-pass biquad, its coefficients recomputed for every value.
struct BiquadLowPass {
  float cutoff = 11050, q = 1;
  int32_t sampleRate = 44100;
  float b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};
BiquadLowPass MakeBiquadLowPass();
// Clamps cutoff to 20..22000 and q to 1..127 (kept in the state), then sets the coefficients.
void SetBiquadCoefficients(BiquadLowPass& filter, float cutoff, float q);
float BiquadStep(BiquadLowPass& filter, float x);

struct AveragingStage {
  int32_t mode = 0;
  std::vector<int16_t> line;  // sampleRate / 10 values
  int32_t index = 0;
  int32_t lenA = 0, lenB = 0;
  int32_t sumA = 0, sumB = 0;
};
AveragingStage MakeAveragingStage(int32_t mode, int32_t sampleRate);
int16_t AverageStep(AveragingStage& stage, int16_t x);

// One oscillator value for phase `phi`; noise re-seeds the shared generator.
double Oscillator(double phi, uint16_t waveform);

// Writes the patch's values into `destination`, cut to its size; returns how many were written.
// Values beyond the destination are computed (the filters run over the whole sample) but dropped.
uint32_t SynthesizeSample(const SynthPatch& patch, std::span<int16_t> destination);

// The loader's sample source at music start: the next patch of the open patch stream per sample.
// With no patch left (short table) the sample stays silent.
void SetPatchStream(MemoryStream* stream);
void PatchSynthProc(std::span<int16_t> destination, uint32_t byteCount, int32_t bits, int32_t instrument,
                    int32_t sample);
