// The sample synthesiser, its filters, the shared generator, and the patch source of the loader.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "platform/random.h"
#include "music/stream.h"
#include "music/synth.h"

namespace {

// What the whole-table check below cannot see, because no shipped patch uses it: an attack
// ramp and the averaging modes other than 2.
TEST(Synth, AttackRampsUpLinearlyAndTheDestinationCutsTheSample) {
  // A square at 0 Hz and phase pi/2: a constant 900.
  const SynthPatch p{.phaseOffset = static_cast<float>(3.14159265358979 / 2), .amplitude = 1000,
                     .waveform = kWaveSquare, .attack = 4, .release = 10};
  std::vector<int16_t> v(PatchValueCount(p) + 8, 0x5555);
  EXPECT_EQ(SynthesizeSample(p, v), PatchValueCount(p));
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(v[2], 450);
  EXPECT_EQ(v[4], 900);  // attack <= i <= attack + hold
  std::vector<int16_t> small(3, 7);
  EXPECT_EQ(SynthesizeSample(p, small), 3u);
}

TEST(Synth, AveragingModes) {
  // Windows of 2 (A) and 3 (B) over a constant 400 settle on sums 800 and 1200, over window + 1:
  // averages 266 and 300; mode 4 is the input less B, 8 is B - A, 6 is A - B.
  for (auto [mode, expect] : {std::pair{4, 100}, std::pair{8, 34}, std::pair{6, -34}}) {
    AveragingStage stage = MakeAveragingStage(mode, 44100);
    stage.lenA = 2;
    stage.lenB = 3;
    int16_t r = 0;
    for (int i = 0; i < 10; ++i) r = AverageStep(stage, 400);
    EXPECT_EQ(r, expect) << mode;
  }
}

// A plain synthesis of one 68-byte patch record, straight from the formulas: fields read byte by
// byte, filter coefficients worked out afresh for every value, a generator of its own, and each
// average summed over its window directly. Nothing here shares code with the engine.
namespace plain {

uint32_t state = 1;
int32_t Draw() {
  state = state * 214013u + 2531011u;
  return static_cast<int32_t>((state >> 16) & 0x7FFF);
}
uint32_t U32(std::span<const uint8_t> b, int at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t U16(std::span<const uint8_t> b, int at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
float F32(std::span<const uint8_t> b, int at) { return std::bit_cast<float>(U32(b, at)); }
int16_t Low16(double v) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(v))); }

std::vector<int16_t> Synthesize(std::span<const uint8_t> r) {
  const double pi = 3.1415926535, fullPi = 3.14159265358979323846;
  const double rate = U16(r, 16);
  const uint16_t wave = U16(r, 18), flags = U16(r, 64);
  const uint32_t attack = U32(r, 20), hold = U32(r, 24), release = U32(r, 28);
  const uint32_t n = attack + hold + release + 2;
  std::vector<int16_t> v(n);
  for (uint32_t i = 0; i < n; ++i) {
    const double t = i / rate;
    const double phi = 2.0 * pi * (F32(r, 0) + F32(r, 12) * t) * t + F32(r, 4);
    double o = std::sin(phi);
    if (wave == 2) o = std::fabs(o) < 0.05 ? 0.0 : (o > 0 ? 0.9 : -0.9);
    if (wave == 3) o = std::fmod(phi, 2.0 * pi) / pi - 1.0;
    if (wave == 4) {
      state = static_cast<uint32_t>(static_cast<int64_t>(std::ceil(2.0 * phi)));
      state = static_cast<uint32_t>(2 * Draw());
      int32_t x = Draw();
      while (x > 1000) x = Draw();
      o = (x - 500) * 0.0007;
    }
    double s = std::clamp(o, -1.0, 1.0) * F32(r, 8);
    if (i < attack) s = s * i / attack;
    if (i > attack + hold) s = release ? s * (n - i) / release : 0.0;
    v[i] = Low16(s);
  }
  if (flags & 1) {
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (uint32_t i = 0; i < n; ++i) {
      const double t = i / rate;
      const float cutoff = std::clamp(static_cast<float>(F32(r, 32) + F32(r, 40) * t), 20.0f, 22000.0f);
      const float q = std::clamp(static_cast<float>(F32(r, 36) + F32(r, 44) * t), 1.0f, 127.0f);
      const float w = static_cast<float>(cutoff * 2.0 * fullPi / rate);
      const double cs = std::cos(double{w}), alpha = static_cast<float>(std::sin(double{w})) / (2.0 * q);
      const double d = 1 + alpha, b0 = static_cast<float>((1 - cs) / 2 / d);
      const double b1 = static_cast<float>((1 - cs) / d), a1 = static_cast<float>(2 * cs / d);
      const double a2 = static_cast<float>(-(1 - alpha) / d);
      const float x = v[i];
      const float y = static_cast<float>(b0 * x + b1 * x1 + b0 * x2 + a1 * y1 + a2 * y2);
      x2 = x1, x1 = x, y2 = y1, y1 = y;
      v[i] = Low16(y);
    }
  }
  if (flags & 0x0E) {
    const std::vector<int16_t> in = v;
    // The sum of the last `len` inputs, up to and including value i.
    auto window = [&](uint32_t i, int32_t len) {
      int32_t sum = 0;
      for (int32_t k = 0; k < len && k <= static_cast<int32_t>(i); ++k) sum += in[i - k];
      return sum;
    };
    for (uint32_t i = 0; i < n; ++i) {
      const float t = static_cast<float>(i / rate);
      const auto lenA = static_cast<int32_t>(
          std::floor(rate / (static_cast<int32_t>(U32(r, 48)) + double{F32(r, 56)} * t)));
      const auto lenB = static_cast<int32_t>(
          std::floor(rate / (static_cast<int32_t>(U32(r, 52)) + double{F32(r, 60)} * t)));
      const int32_t a = window(i, lenA) / (lenA + 1), b = window(i, lenB) / (lenB + 1);
      const int32_t m = flags & 0x0E;
      v[i] = static_cast<int16_t>(m == 2 ? a : m == 4 ? in[i] - b : m == 8 ? b - a : a - b);
    }
  }
  return v;
}

uint64_t Fnv1a(uint64_t h, std::span<const int16_t> values) {
  for (int16_t x : values)
    for (int shift : {0, 8}) h = (h ^ ((static_cast<uint16_t>(x) >> shift) & 0xFF)) * 0x100000001B3ull;
  return h;
}

}  // namespace plain

// Every sample of the embedded patch table as the loader's patch source makes it, records taken in
// order from the stream, hashed as a whole: the engine's shortcuts (kept coefficients, running
// window sums, the inline generator) must give the plain formulas' bits.
TEST(Synth, WholePatchTableMatchesAPlainSynthesis) {
  std::span<const uint8_t> table = EmbeddedResource(kPatchResourceId);
  const uint32_t records = plain::U32(table, 0);
  ASSERT_EQ(records, 20u);  // one per instrument of the soundtrack
  ASSERT_EQ(table.size(), 4u + kPatchBytes * records);
  MemoryStream* stream = OpenResourceStream(kPatchResourceId);
  StreamSeek(stream, 4, 0);
  SetPatchStream(stream);
  uint64_t expected = 0xCBF29CE484222325ull, actual = expected;
  plain::state = 1;
  SeedRandom(1);
  for (uint32_t k = 0; k < records; ++k) {
    const auto want = plain::Synthesize(table.subspan(4 + kPatchBytes * k).first<kPatchBytes>());
    std::vector<int16_t> got(want.size() + 8, 0x5555);
    PatchSynthProc(got, static_cast<uint32_t>(2 * want.size()), 16, static_cast<int32_t>(k), 0);
    expected = plain::Fnv1a(expected, want);
    actual = plain::Fnv1a(actual, std::span(got).first(want.size()));
  }
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(RandomState(), plain::state);  // the scenes draw on from here
  std::vector<int16_t> next(100, 0);
  PatchSynthProc(next, 184, 16, 20, 0);  // no record left: untouched silence
  EXPECT_TRUE(std::all_of(next.begin(), next.end(), [](int16_t v) { return v == 0; }));
  SetPatchStream(nullptr);
  StreamClose(stream);
}

}  // namespace
