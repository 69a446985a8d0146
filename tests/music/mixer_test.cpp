// The voice mixer: ramps, loops, segment ends, 16-bit conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "music/mixer.h"
#include "music/module.h"

namespace {

struct TestSample {
  std::vector<int16_t> data;
  SampleRecord record;
  TestSample(std::vector<int16_t> values, uint8_t mode, uint32_t loopStart, uint32_t loopLength)
      : data(std::move(values)) {
    record.length = static_cast<uint32_t>(data.size());
    data.resize(data.size() + 8, 0);
    record.data = data.data();
    record.loopMode = mode;
    record.loopStart = loopStart;
    record.loopLength = loopLength;
    record.bits = 16;
    if (mode == kLoopForward) data[loopStart + loopLength] = data[loopStart];
    if (mode == kLoopPingPong) data[loopStart + loopLength] = data[loopStart + loopLength - 1];
  }
};

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mixSettings = ComputeMixSettings(44100);
    ResetVoices();
  }
  void TearDown() override {
    ResetVoices();
    SetMixLoop(DefaultMixLoop());
  }
  static void Sound(Voice& v, const SampleRecord* s, int32_t gainA, int32_t gainB, uint32_t stepInt = 1,
                    uint32_t stepFrac = 0) {
    v.sample = s;
    v.gainA = gainA;
    v.gainB = gainB;
    v.stepInt = stepInt;
    v.stepFrac = stepFrac;
  }
};

TEST_F(MixerTest, NoteFadesInOverExactly128Frames) {
  TestSample s(std::vector<int16_t>(64, 1000), kLoopForward, 0, 64);
  Sound(voices[3], &s.record, 63, 31);
  std::vector<float> out(2 * 300, 0.0f), split(2 * 300, 0.0f);
  MixVoices(out.data(), 300);
  const float fullA = static_cast<float>(1000.0 * static_cast<float>(63 / 255.0));
  const float fullB = static_cast<float>(1000.0 * static_cast<float>(31 / 255.0));
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_GT(out[2 * 64], 0.0f);
  EXPECT_LT(out[2 * 127], fullA);
  EXPECT_LT(out[2 * 127 + 1], fullB);
  for (int k = 128; k < 300; ++k) {
    EXPECT_EQ(out[2 * k], fullA) << k;
    EXPECT_EQ(out[2 * k + 1], fullB) << k;
  }

  // Mixed in two calls, the ramp goes on where it stopped; the gain in force is rounded to 8
  // fractional bits between calls, so values agree to within that rounding.
  ResetVoices();
  Sound(voices[3], &s.record, 63, 31);
  MixVoices(split.data(), 50);
  MixVoices(split.data() + 100, 250);
  for (int k = 0; k < 2 * 300; ++k) EXPECT_NEAR(out[k], split[k], 1000.0 / (256 * 255) * 2) << k;
  for (int k = 2 * 128; k < 2 * 300; ++k) EXPECT_EQ(out[k], split[k]) << k;

  // A gain change (key-off) fades out over the same 128 frames, then the voice is silent.
  voices[3].gainA = voices[3].gainB = 0;
  std::fill(out.begin(), out.end(), 0.0f);
  MixVoices(out.data(), 300);
  EXPECT_GT(out[2 * 127], 0.0f);
  for (int k = 128; k < 300; ++k) EXPECT_EQ(out[2 * k], 0.0f) << k;
  EXPECT_NE(voices[3].sample, nullptr);  // still running, silently
}

// A fade-in over a short forward loop crosses the loop point many times: it must sound exactly
// like the same fade over the loop written out as one long sample (up to the gain's 8-bit
// rounding where the loop point splits the ramp), and end on the same frame.
TEST_F(MixerTest, RampCrossingTheLoopPointSoundsLikeTheUnrolledLoop) {
  const std::vector<int16_t> values = {0, 200, 400, 100, -300, 700, -900, 500};  // loop: 3..7
  std::vector<int16_t> written(400);
  for (uint32_t i = 0; i < 400; ++i) written[i] = values[i < 3 ? i : 3 + (i - 3) % 5];
  TestSample looped(values, kLoopForward, 3, 5), unrolled(written, kLoopNone, 0, 400);
  std::vector<float> a(2 * 300, 0.0f), b(2 * 300, 0.0f);
  Sound(voices[0], &looped.record, 127, 64, 0, 3u << 30);  // 0.75 values a frame
  MixVoices(a.data(), 300);
  Sound(voices[1], &unrolled.record, 127, 64, 0, 3u << 30);
  voices[0].sample = nullptr;
  MixVoices(b.data(), 300);
  for (int k = 0; k < 2 * 300; ++k) {
    if (k < 2 * 128)
      EXPECT_NEAR(a[k], b[k], 0.5) << k;
    else
      EXPECT_EQ(a[k], b[k]) << k;
  }
  EXPECT_EQ(voices[0].rampRemaining, 0);
  EXPECT_EQ(voices[0].currentA, voices[1].currentA);
}

// Where one frame's step leaves a looping voice; positions in 32.32 fixed point.
TEST_F(MixerTest, LoopsWrapAndTurn) {
  const uint64_t one = 1ull << 32, step = static_cast<uint64_t>(0.8 * one), at = 15 * (one / 2);
  struct Case {
    const char* name;
    uint8_t mode;
    uint32_t loopStart, loopLength;
    int32_t direction;
    uint64_t from, step, to;
    int32_t directionAfter;
  } const cases[] = {
      // 3 + 5 = 8: 2 + 3 loop lengths past the loop end (4).
      {"forward wraps", kLoopForward, 2, 2, kForward, 3 * one, 5 * one, 2 * one, kForward},
      // From 7.5 by 0.8: 0.3 past the end, reflected about it.
      {"end turns", kLoopPingPong, 0, 8, kForward, at, step, 16 * one - at - step - 1, kBackward},
      {"start turns", kLoopPingPong, 0, 8, kBackward, one / 4, step, step - one / 4 - 1, kForward},
  };
  for (const Case& c : cases) {
    TestSample s(std::vector<int16_t>(8, 100), c.mode, c.loopStart, c.loopLength);
    Voice& v = voices[0];
    Sound(v, &s.record, 0, 0, static_cast<uint32_t>(c.step >> 32), static_cast<uint32_t>(c.step));
    v.direction = c.direction;
    v.positionInt = static_cast<uint32_t>(c.from >> 32);
    v.positionFrac = static_cast<uint32_t>(c.from);
    std::vector<float> out(2, 0.0f);
    MixVoices(out.data(), 1);
    EXPECT_EQ(v.direction, c.directionAfter) << c.name;
    EXPECT_EQ((static_cast<uint64_t>(v.positionInt) << 32) | v.positionFrac, c.to) << c.name;
    EXPECT_EQ(v.sample, &s.record) << c.name;
  }
}

TEST_F(MixerTest, ConvertRoundsToNearestEvenAndClips) {
  const float in[8] = {16383.6f, 16383.25f, -20000.0f, 0.25f, 0.75f, -0.75f, 20000.0f, 100.0f};
  std::array<int16_t, 8> out;
  ConvertBlock(out.data(), in, 4);
  // Doubled: 0.5 ties to 0, 1.5 to 2, -1.5 to -2; beyond the range clips.
  EXPECT_EQ(out, (std::array<int16_t, 8>{32767, 32766, -32768, 0, 2, -2, 32767, 200}));
}

// A sample without a loop, at a quarter step and with the gain already in force (no ramp): values
// in between are interpolated, and the voice goes idle on the frame that reaches the end.
TEST_F(MixerTest, InterpolatesAndEndsAtTheSampleEnd) {
  TestSample s({0, 1000, 1000, 1000}, kLoopNone, 0, 4);
  Voice& v = voices[1];
  Sound(v, &s.record, 255, 0, 0, 1u << 30);
  v.currentA = 255 * 256;
  v.rampTargetA = 255;
  std::vector<float> out(2 * 64, 0.0f);
  MixVoices(out.data(), 64);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(out[2 * k], 250.0f * k);
  EXPECT_EQ(v.sample, nullptr);
  EXPECT_EQ(v.positionInt, 0u);
  EXPECT_NE(out[2 * 15], 0.0f);
  for (int k = 16; k < 64; ++k) EXPECT_EQ(out[2 * k], 0.0f) << k;
}

// Without a ramp the gains are gain / 255 in double, not rounded to float as a ramp's are: the
// song has always been mixed so. For these values the float-rounded gain gives another sum.
TEST_F(MixerTest, ConstantGainsAreTheQuotientsInDouble) {
  TestSample s(std::vector<int16_t>(64, 12345), kLoopForward, 0, 64);
  const float left = static_cast<float>(12345 * (26 / 255.0)), right = static_cast<float>(12345 * (90 / 255.0));
  ASSERT_NE(right, static_cast<float>(12345 * static_cast<double>(static_cast<float>(90 / 255.0))));
  for (MixLoop loop : {MixLoop::OneFrame, MixLoop::TwoFrames, MixLoop::FourFrames}) {
    if (!MixLoopAvailable(loop)) continue;
    SetMixLoop(loop);
    ResetVoices();
    Sound(voices[0], &s.record, 26, 90);
    voices[0].currentA = 26 * 256;
    voices[0].currentB = 90 * 256;
    voices[0].rampTargetA = 26;
    voices[0].rampTargetB = 90;
    std::vector<float> out(2 * 8, 0.0f);
    MixVoices(out.data(), 8);
    for (int k = 0; k < 8; ++k) {
      EXPECT_EQ(out[2 * k], left) << static_cast<int>(loop) << " " << k;
      EXPECT_EQ(out[2 * k + 1], right) << static_cast<int>(loop) << " " << k;
    }
  }
}

// The wide loops must give the one-frame loop's bits: voices moving forward and backward at
// steps from a sliver to several values a frame, sample values at both ends of the 16-bit range,
// gains fixed and ramping, over calls of odd and even lengths into an area that already holds
// large values (so every float rounding matters).
TEST_F(MixerTest, EveryMixLoopGivesTheOneFrameLoopsBits) {
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  std::vector<int16_t> values(5000);
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = i % 7 == 0 ? static_cast<int16_t>(i % 2 ? 32767 : -32768) : static_cast<int16_t>(next() >> 16);
  TestSample forward(values, kLoopForward, 1000, 3999), pingPong(values, kLoopPingPong, 10, 2000),
      once(values, kLoopNone, 0, 5000);
  struct Setup {
    const SampleRecord* sample;
    int32_t gainA, gainB;
    uint32_t stepInt, stepFrac;
    bool inForce;  // gains already in force: no ramp
  } const setups[] = {
      {&forward.record, 127, 0, 0, 1u << 20, true},        {&forward.record, 64, 63, 1, 0, true},
      {&pingPong.record, 1, 126, 0, 0xC0000000u, true},   {&pingPong.record, 90, 37, 3, 0x12345678u, false},
      {&once.record, 127, 127, 1, 0x5EB851ECu, true},     {&forward.record, 5, 120, 7, 0xFFFFFFFFu, false},
      {&pingPong.record, 127, 127, 12, 0x9ABCDEF1u, true},
  };
  const int32_t calls[] = {1, 3, 804, 2, 5, 883, 7, 400, 1, 804, 804, 61};
  auto render = [&](MixLoop loop) {
    SetMixLoop(loop);
    ResetVoices();
    for (size_t i = 0; i < std::size(setups); ++i) {
      const Setup& u = setups[i];
      Voice& v = voices[2 * i];
      Sound(v, u.sample, u.gainA, u.gainB, u.stepInt, u.stepFrac);
      if (u.inForce) {
        v.currentA = u.gainA * 256;
        v.currentB = u.gainB * 256;
        v.rampTargetA = u.gainA;
        v.rampTargetB = u.gainB;
      }
    }
    uint32_t area = 777;
    std::vector<uint32_t> out;  // the bits of every float mixed, then every voice's position
    for (int32_t n : calls) {
      std::vector<float> part(2 * static_cast<size_t>(n));
      for (float& x : part) x = static_cast<float>(static_cast<int32_t>(area = area * 69069u + 1) >> 16) * 0.37f;
      MixVoices(part.data(), n);
      for (float x : part) out.push_back(std::bit_cast<uint32_t>(x));
      // Ramps now and then, cutting the runs: on a forward voice, and on a ping-pong voice that
      // turns every 160 frames or so.
      voices[2].gainA = (voices[2].gainA + 17) % 128;
      voices[12].gainB = (voices[12].gainB + 29) % 128;
    }
    for (const Voice& v : voices)
      out.insert(out.end(), {v.positionInt, v.positionFrac, static_cast<uint32_t>(v.direction), v.sample != nullptr});
    return out;
  };
  const std::vector<uint32_t> reference = render(MixLoop::OneFrame);
  for (MixLoop loop : {MixLoop::TwoFrames, MixLoop::FourFrames}) {
    if (!MixLoopAvailable(loop)) continue;
    const std::vector<uint32_t> out = render(loop);
    ASSERT_EQ(out.size(), reference.size());
    const size_t first = static_cast<size_t>(std::mismatch(out.begin(), out.end(), reference.begin()).first - out.begin());
    EXPECT_EQ(first, out.size()) << "loop " << static_cast<int>(loop) << " differs at value " << first;
  }
}

}  // namespace
