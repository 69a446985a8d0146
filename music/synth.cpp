#include "music/synth.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/random.h"
#include "music/stream.h"

namespace {

constexpr double kShortPi = 3.1415926535;  // the synthesiser's own ten-decimal pi
constexpr double kPi = 3.14159265358979323846;

template <typename T>
T Get(std::span<const uint8_t, kPatchBytes> b, int offset) {
  T v;
  std::memcpy(&v, b.data() + offset, sizeof v);
  return v;
}
template <typename T>
void Put(std::span<uint8_t, kPatchBytes> b, int offset, T v) {
  std::memcpy(b.data() + offset, &v, sizeof v);
}

MemoryStream* patchStream = nullptr;

// Truncation toward zero, keeping the low 16 bits (values beyond 16 bits wrap, as stored words do).
int16_t Low16(double v) {
  if (v > -2147483648.0 && v < 2147483648.0) return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(v)));
  if (!std::isfinite(v)) return 0;
  const double t = std::fmod(std::trunc(v), 65536.0);
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(t)));
}

// floor(rate / frequency) as a window length; a zero or vanishing frequency gives no window.
int32_t WindowLength(double rate, double frequency) {
  const double len = std::floor(rate / frequency);
  if (!std::isfinite(len) || len < -1e9 || len > 1e9) return 0;
  return static_cast<int32_t>(len);
}

}  // namespace

uint32_t PatchValueCount(const SynthPatch& p) { return p.attack + p.hold + p.release + 2u; }

SynthPatch DecodeSynthPatch(std::span<const uint8_t, kPatchBytes> b) {
  static_assert(std::endian::native == std::endian::little);
  SynthPatch p;
  p.baseFrequency = Get<float>(b, 0);
  p.phaseOffset = Get<float>(b, 4);
  p.amplitude = Get<float>(b, 8);
  p.frequencySweep = Get<float>(b, 12);
  p.sampleRate = Get<uint16_t>(b, 16);
  p.waveform = Get<uint16_t>(b, 18);
  p.attack = Get<uint32_t>(b, 20);
  p.hold = Get<uint32_t>(b, 24);
  p.release = Get<uint32_t>(b, 28);
  p.cutoff = Get<float>(b, 32);
  p.resonance = Get<float>(b, 36);
  p.cutoffSweep = Get<float>(b, 40);
  p.resonanceSweep = Get<float>(b, 44);
  p.averageFrequencyA = Get<int32_t>(b, 48);
  p.averageFrequencyB = Get<int32_t>(b, 52);
  p.averageSweepA = Get<float>(b, 56);
  p.averageSweepB = Get<float>(b, 60);
  p.patchFlags = Get<uint16_t>(b, 64);
  p.reserved = Get<uint16_t>(b, 66);
  return p;
}

void EncodeSynthPatch(const SynthPatch& p, std::span<uint8_t, kPatchBytes> b) {
  Put(b, 0, p.baseFrequency);
  Put(b, 4, p.phaseOffset);
  Put(b, 8, p.amplitude);
  Put(b, 12, p.frequencySweep);
  Put(b, 16, p.sampleRate);
  Put(b, 18, p.waveform);
  Put(b, 20, p.attack);
  Put(b, 24, p.hold);
  Put(b, 28, p.release);
  Put(b, 32, p.cutoff);
  Put(b, 36, p.resonance);
  Put(b, 40, p.cutoffSweep);
  Put(b, 44, p.resonanceSweep);
  Put(b, 48, p.averageFrequencyA);
  Put(b, 52, p.averageFrequencyB);
  Put(b, 56, p.averageSweepA);
  Put(b, 60, p.averageSweepB);
  Put(b, 64, p.patchFlags);
  Put(b, 66, p.reserved);
}

void SetBiquadCoefficients(BiquadLowPass& f, float cutoff, float q) {
  f.cutoff = std::clamp(cutoff, 20.0f, 22000.0f);
  f.q = std::clamp(q, 1.0f, 127.0f);
  const float w = static_cast<float>(static_cast<double>(f.cutoff) * 2.0 * kPi / f.sampleRate);
  const float sn = static_cast<float>(std::sin(static_cast<double>(w)));
  const double cs = std::cos(static_cast<double>(w));
  const double alpha = sn / (2.0 * f.q);
  f.b0 = static_cast<float>((1.0 - cs) / 2.0 / (1.0 + alpha));
  f.b2 = f.b0;
  f.b1 = static_cast<float>((1.0 - cs) / (1.0 + alpha));
  f.a1 = static_cast<float>(2.0 * cs / (1.0 + alpha));
  f.a2 = static_cast<float>(-(1.0 - alpha) / (1.0 + alpha));
}

BiquadLowPass MakeBiquadLowPass() {
  BiquadLowPass f;
  SetBiquadCoefficients(f, 11050.0f, 1.0f);
  return f;
}

float BiquadStep(BiquadLowPass& f, float x) {
  const float y = static_cast<float>(static_cast<double>(f.b0) * x + static_cast<double>(f.b1) * f.x1 +
                                     static_cast<double>(f.b2) * f.x2 + static_cast<double>(f.a1) * f.y1 +
                                     static_cast<double>(f.a2) * f.y2);
  f.x2 = f.x1;
  f.x1 = x;
  f.y2 = f.y1;
  f.y1 = y;
  return y;
}

AveragingStage MakeAveragingStage(int32_t mode, int32_t sampleRate) {
  AveragingStage s;
  s.mode = mode;
  s.line.assign(static_cast<size_t>(std::max(sampleRate / 10, 1)), 0);
  return s;
}

int16_t AverageStep(AveragingStage& s, int16_t x) {
  const int32_t n = static_cast<int32_t>(s.line.size());
  s.index = s.index == 0 ? n - 1 : s.index - 1;
  s.line[s.index] = x;
  // Window lengths are meant to stay inside the line; anything else is folded back into it.
  auto tap = [&](int32_t len) {
    int32_t k = s.index + len;
    if (k >= n) k -= n;
    if (k < 0 || k >= n) k = ((k % n) + n) % n;
    return s.line[k];
  };
  s.sumA += x - tap(s.lenA);
  s.sumB += x - tap(s.lenB);
  // A window of -1 would divide by zero; such a window makes no average at all.
  auto avg = [](int32_t sum, int32_t len) { return len + 1 != 0 ? sum / (len + 1) : 0; };
  int32_t r;
  switch (s.mode) {
    case 2: r = avg(s.sumA, s.lenA); break;
    case 4: r = x - avg(s.sumB, s.lenB); break;
    case 8: r = avg(s.sumB, s.lenB) - avg(s.sumA, s.lenA); break;
    default: r = avg(s.sumA, s.lenA) - avg(s.sumB, s.lenB); break;
  }
  return static_cast<int16_t>(r);
}

double Oscillator(double phi, uint16_t waveform) {
  switch (waveform) {
    case kWaveSquare: {
      const double s = std::sin(phi);
      if (s > -0.05 && s < 0.05) return 0.0;
      return s > 0 ? 0.9 : -0.9;
    }
    case kWaveSawtooth: return std::fmod(phi, 2.0 * kShortPi) / kShortPi - 1.0;
    case kWaveNoise: {
      SeedRandom(static_cast<uint32_t>(static_cast<int64_t>(std::ceil(2.0 * phi))));
      const int32_t r = NextRandom();
      SeedRandom(static_cast<uint32_t>(2 * r));
      int32_t value = NextRandom();
      while (value > 1000) value = NextRandom();
      return (value - 500) * 0.0007;
    }
    default: return std::sin(phi);
  }
}

uint32_t SynthesizeSample(const SynthPatch& p, std::span<int16_t> destination) {
  const uint32_t n = PatchValueCount(p);
  if (p.sampleRate == 0 || n < 2) return 0;  // a rate of 0 has no time axis: nothing to make
  std::vector<int16_t> out(n);
  const double rate = p.sampleRate;
  const double attackEnd = p.attack;
  const double holdEnd = static_cast<double>(p.attack) + p.hold;
  for (uint32_t i = 0; i < n; ++i) {
    const double t = i / rate;
    const double phi = 2.0 * kShortPi * (p.baseFrequency + p.frequencySweep * t) * t + p.phaseOffset;
    double v = std::clamp(Oscillator(phi, p.waveform), -1.0, 1.0) * p.amplitude;
    if (i < attackEnd)
      v = v * i / p.attack;
    else if (i > holdEnd)
      v = p.release ? v * (n - i) / p.release : 0.0;  // without a release the last value is 0
    out[i] = Low16(v);
  }
  if (p.patchFlags & 1) {
    BiquadLowPass f = MakeBiquadLowPass();
    f.sampleRate = p.sampleRate;
    for (uint32_t i = 0; i < n; ++i) {
      const double t = i / rate;
      const float cutoff = std::clamp(static_cast<float>(p.cutoff + p.cutoffSweep * t), 20.0f, 22000.0f);
      const float q = std::clamp(static_cast<float>(p.resonance + p.resonanceSweep * t), 1.0f, 127.0f);
      // The coefficients depend only on the clamped cutoff and Q: unchanged values (no sweep, or a
      // sweep held at its limit) give the same coefficients, so they are not worked out again.
      if (i == 0 || cutoff != f.cutoff || q != f.q) SetBiquadCoefficients(f, cutoff, q);
      const float y = BiquadStep(f, static_cast<float>(out[i]));
      out[i] = Low16(y);
    }
  }
  if (p.patchFlags & 0x0E) {
    AveragingStage s = MakeAveragingStage(p.patchFlags & 0x0E, p.sampleRate);
    for (uint32_t i = 0; i < n; ++i) {
      const float t = static_cast<float>(i / rate);
      s.lenB = WindowLength(rate, p.averageFrequencyB + static_cast<double>(p.averageSweepB) * t);
      s.lenA = WindowLength(rate, p.averageFrequencyA + static_cast<double>(p.averageSweepA) * t);
      out[i] = AverageStep(s, out[i]);
    }
  }
  const uint32_t written = static_cast<uint32_t>(std::min<size_t>(n, destination.size()));
  std::copy_n(out.begin(), written, destination.begin());
  return written;
}

void SetPatchStream(MemoryStream* stream) { patchStream = stream; }

void PatchSynthProc(std::span<int16_t> destination, uint32_t, int32_t, int32_t, int32_t) {
  uint8_t bytes[kPatchBytes];
  if (!patchStream || StreamRead(bytes, kPatchBytes, patchStream) != kPatchBytes) return;
  SynthesizeSample(DecodeSynthPatch(std::span<const uint8_t, kPatchBytes>(bytes)), destination);
}
