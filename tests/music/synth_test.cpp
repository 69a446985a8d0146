// The sample synthesiser, its filters, the shared generator, and the patch source of the loader.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "platform/random.h"
#include "music/stream.h"
#include "music/synth.h"

namespace {

SynthPatch Plain(uint16_t wave, float freq, float amplitude, uint32_t hold, uint32_t release) {
  SynthPatch p;
  p.waveform = wave;
  p.baseFrequency = freq;
  p.amplitude = amplitude;
  p.hold = hold;
  p.release = release;
  p.resonance = 1;
  p.averageFrequencyA = 20;
  p.averageFrequencyB = 30000;
  return p;
}

std::vector<int16_t> Synthesize(const SynthPatch& p) {
  std::vector<int16_t> out(PatchValueCount(p) + 8, 0x5555);
  EXPECT_EQ(SynthesizeSample(p, out), PatchValueCount(p));
  out.resize(PatchValueCount(p));
  return out;
}

TEST(SharedRandom, LinearCongruentialSequence) {
  SeedRandom(1);
  EXPECT_EQ(NextRandom(), 41);
  EXPECT_EQ(NextRandom(), 18467);
  EXPECT_EQ(NextRandom(), 6334);
  EXPECT_EQ(RandomState(), 1u * 214013u * 214013u * 214013u + 2531011u * 214013u * 214013u + 2531011u * 214013u + 2531011u);
}

TEST(Synth, SquareStartsAtZeroThenStepsBetweenLevels) {
  const std::vector<int16_t> v = Synthesize(Plain(kWaveSquare, 441, 1000, 400, 0));
  EXPECT_EQ(v[0], 0);
  int zeros = 0, highs = 0, lows = 0;
  for (size_t i = 1; i + 1 < v.size(); ++i) {
    if (v[i] == 0) ++zeros;
    else if (v[i] == 900) ++highs;
    else if (v[i] == -900) ++lows;
    else ADD_FAILURE() << "value " << v[i] << " at " << i;
  }
  EXPECT_GT(highs, 150);
  EXPECT_GT(lows, 150);
  EXPECT_GT(zeros, 0);
  EXPECT_LT(zeros, 20);
}

TEST(Synth, SawtoothStartsAtMinusAmplitudeAndRises) {
  const std::vector<int16_t> v = Synthesize(Plain(kWaveSawtooth, 441, 8000, 120, 0));
  EXPECT_EQ(v[0], -8000);
  for (int i = 1; i < 99; ++i) EXPECT_GT(v[i], v[i - 1]) << i;  // one period is 100 values
  EXPECT_LT(v[101], v[99]);  // wrapped into the next period
}

TEST(Synth, HoldWithoutReleaseEndsOnZero) {
  // Record 2 of the table: 884 values, 883 at full level, the last one 0.
  SynthPatch p = Plain(5, 110, 3000, 882, 0);
  const std::vector<int16_t> v = Synthesize(p);
  ASSERT_EQ(v.size(), 884u);
  for (uint32_t i : {1u, 100u, 500u, 882u}) {
    const double phi = 2 * 3.1415926535 * 110.0 * (i / 44100.0) * 1.0;
    EXPECT_EQ(v[i], static_cast<int16_t>(std::sin(phi) * 3000)) << i;
  }
  EXPECT_EQ(v[883], 0);
}

TEST(Synth, ReleaseAndAttackScaleLinearly) {
  SynthPatch p = Plain(kWaveSquare, 0, 1000, 0, 10);  // 0 Hz at phase pi/2: a constant 900
  p.phaseOffset = static_cast<float>(3.14159265358979 / 2);
  p.attack = 4;
  const std::vector<int16_t> v = Synthesize(p);
  ASSERT_EQ(v.size(), 16u);
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(v[2], 450);
  EXPECT_EQ(v[4], 900);  // attack <= i <= attack + hold
  EXPECT_EQ(v[5], 990);  // (N - i) / release = 11 / 10
  EXPECT_EQ(v[15], 90);
}

TEST(Synth, NoiseIsHeldBetweenIntegerSteps) {
  const double a = Oscillator(10.2, kWaveNoise);
  const double b = Oscillator(10.4, kWaveNoise);  // ceil(20.4) = ceil(20.8) = 21
  EXPECT_EQ(a, b);
  EXPECT_LE(std::fabs(a), 0.35 + 1e-12);
  // Re-seeded for every value: the generator state depends only on the phase.
  Oscillator(3.0, kWaveNoise);
  const uint32_t state = RandomState();
  NextRandom();
  Oscillator(3.0, kWaveNoise);
  EXPECT_EQ(RandomState(), state);
}

TEST(Synth, MovingAverageOverTwentyTwoDividesByTwentyThree) {
  AveragingStage s = MakeAveragingStage(2, 44100);
  ASSERT_EQ(s.line.size(), 4410u);
  s.lenA = 22;
  s.lenB = 1;
  int16_t r = 0;
  for (int i = 0; i < 40; ++i) r = AverageStep(s, 2300);
  EXPECT_EQ(r, 2200);
}

TEST(Synth, AveragingModes) {
  AveragingStage hp = MakeAveragingStage(4, 44100);
  hp.lenA = 2;
  hp.lenB = 3;
  int16_t r = 0;
  for (int i = 0; i < 10; ++i) r = AverageStep(hp, 400);
  EXPECT_EQ(r, 400 - 1200 / 4);
  AveragingStage bp = MakeAveragingStage(8, 44100);
  bp.lenA = 2;
  bp.lenB = 3;
  for (int i = 0; i < 10; ++i) r = AverageStep(bp, 400);
  EXPECT_EQ(r, 1200 / 4 - 800 / 3);
  AveragingStage other = MakeAveragingStage(6, 44100);
  other.lenA = 2;
  other.lenB = 3;
  for (int i = 0; i < 10; ++i) r = AverageStep(other, 400);
  EXPECT_EQ(r, 800 / 3 - 1200 / 4);
}

TEST(Synth, FilterClampsCutoffAndResonance) {
  BiquadLowPass f = MakeBiquadLowPass();
  EXPECT_EQ(f.cutoff, 11050.0f);
  EXPECT_EQ(f.q, 1.0f);
  SetBiquadCoefficients(f, 5.0f, 150.0f);
  EXPECT_EQ(f.cutoff, 20.0f);
  EXPECT_EQ(f.q, 127.0f);
  SetBiquadCoefficients(f, 30000.0f, 0.5f);
  EXPECT_EQ(f.cutoff, 22000.0f);
  EXPECT_EQ(f.q, 1.0f);
  // Unity gain at DC: a long constant input settles on itself.
  SetBiquadCoefficients(f, 1000.0f, 1.0f);
  float y = 0;
  for (int i = 0; i < 5000; ++i) y = BiquadStep(f, 1000.0f);
  EXPECT_NEAR(y, 1000.0f, 0.5f);
  // The coefficients follow the low-pass recipe.
  const double w = static_cast<float>(1000.0 * 2 * 3.14159265358979323846 / 44100);
  const double alpha = static_cast<float>(std::sin(w)) / 2.0;
  EXPECT_EQ(f.b1, static_cast<float>((1 - std::cos(w)) / (1 + alpha)));
  EXPECT_EQ(f.a2, static_cast<float>(-(1 - alpha) / (1 + alpha)));
}

TEST(Synth, WholeTableGivesTheSampleLengths) {
  std::span<const uint8_t> table = EmbeddedResource(kPatchResourceId);
  uint64_t total = 0;
  for (int k = 0; k < 20; ++k) {
    const SynthPatch p = DecodeSynthPatch(table.subspan(4 + 68 * k).first<68>());
    total += PatchValueCount(p);
  }
  EXPECT_EQ(total, 574224u);
}

TEST(Synth, DestinationCutsTheSample) {
  std::vector<int16_t> small(10, 7);
  EXPECT_EQ(SynthesizeSample(Plain(kWaveSquare, 440, 1000, 100, 0), small), 10u);
}

TEST(Synth, PatchSourceReadsRecordsInOrderAndFallsSilentWhenOut) {
  MemoryStream* s = OpenResourceStream(kPatchResourceId);
  StreamSeek(s, 4 + 68 * 19, 0);  // the last record: 3000-amplitude sawtooth, 88202 values
  SetPatchStream(s);
  std::vector<int16_t> buf(88200 + 8, 0);
  PatchSynthProc(buf, 176400, 16, 19, 0);
  EXPECT_EQ(buf[0], -3000);
  std::vector<int16_t> next(100, 0);
  PatchSynthProc(next, 184, 16, 20, 0);  // no record left: untouched silence
  EXPECT_TRUE(std::all_of(next.begin(), next.end(), [](int16_t v) { return v == 0; }));
  SetPatchStream(nullptr);
  StreamClose(s);
}

}  // namespace
