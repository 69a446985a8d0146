// The replay engine: rows, ticks, the volume column, slides, key-off, twins and the song's wrap.
#include <gtest/gtest.h>

#include <vector>

#include "music/mixer.h"
#include "music/module.h"
#include "music/output.h"
#include "music/replay.h"
#include "tests/music/test_modules.h"

namespace {

class ReplayTest : public ::testing::Test {
 protected:
  XmModule m = MakeTestModule(2);
  std::vector<uint8_t> bytes;
  ModulePlayer* p = nullptr;

  XmCell& Cell(int row, int channel, int pattern = 0) { return PatternCellAt(m.patterns[pattern], m.channels, row, channel); }
  void Load() {
    if (m.instruments.empty()) m.instruments.push_back(MakeTestInstrument(4000, {}, 29, 100, 64, 128));
    p = LoadTestModule(m, bytes);
    ASSERT_NE(p, nullptr) << ModuleLoadError();
    ASSERT_TRUE(OpenOfflineOutput(44100));
    ResetPlaybackState(p);
  }
  void Row() {
    for (int t = 0; t < p->speed; ++t) ReplayStep(p);
  }
  void TearDown() override {
    FreeModule(p);
    CloseWaveOutput();
  }
  ChannelState& Ch(int c) { return p->channels[c]; }
};

TEST(ReplayTiming, NoZeroLengthTicks) { EXPECT_EQ(SamplesPerTick(0, 44100), SamplesPerTick(1, 44100)); }

TEST_F(ReplayTest, MiddleCOfTheShippedTuning) {
  Cell(0, 0) = {49, 1, 0, 0, 0};
  Load();
  ReplayStep(p);
  EXPECT_EQ(Ch(0).realNote, 77);
  EXPECT_EQ(Ch(0).period, 2702);
  EXPECT_EQ(voices[0].frequency, 46714);
  // Volume 64, gate 64, global volume 64 gives 127; centre panning splits it 63 / 63.
  EXPECT_EQ(voices[0].gainA, 63);
  EXPECT_EQ(voices[0].gainB, 63);
}

// The channel volume after each row at speed 3: volume-column slides and sets, and the volume
// slide effect, which works on ticks 1 and 2 only and reuses its last non-zero parameter.
TEST_F(ReplayTest, VolumeColumnAndVolumeSlide) {
  struct Step {
    uint8_t volume, effect, parameter;
    int after;
  } const steps[] = {
      {0, 0, 0, 64},        {0x62, 0, 0, 58},     // 0x6x: every tick of the row, the first included
      {0x82, 0, 0, 56},     {0x75, 0, 0, 64},     // 0x8x: once; 0x7x raises, not above 64
      {0x10 + 20, 0, 0, 20}, {0, 0x0A, 0x20, 24},  // set; slide up 2 on ticks 1 and 2
      {0, 0x0A, 0x00, 28},  {0, 0x0A, 0x31, 34},  // memory; the high nibble wins
      {0, 0x0A, 0x04, 26},                         // the low nibble lowers
  };
  for (int r = 0; r < 9; ++r) Cell(r, 0) = {uint8_t(r ? 0 : 49), uint8_t(r ? 0 : 1), steps[r].volume, steps[r].effect, steps[r].parameter};
  Load();
  for (const Step& step : steps) {
    Row();
    EXPECT_EQ(Ch(0).volume, step.after) << "row " << &step - steps;
  }
}

// The channel's panning after each row and the voice's, which stays within 0..255.
TEST_F(ReplayTest, PanningSlidePastTheEdgeIsKeptButNotHeard) {
  struct Step {
    uint8_t volume;
    int channel, heard;
  } const steps[] = {{0, 250, 250}, {0xE5, 265, 255}, {0xD5, 250, 250}, {0xC3, 48, 48}};
  m.instruments.push_back(MakeTestInstrument(4000, {}, 29, 100, 64, 250));
  for (int r = 0; r < 4; ++r) Cell(r, 0) = {uint8_t(r ? 0 : 49), uint8_t(r ? 0 : 1), steps[r].volume, 0, 0};
  Load();
  for (const Step& step : steps) {
    Row();
    EXPECT_EQ(Ch(0).panning, step.channel) << "row " << &step - steps;
    EXPECT_EQ(voices[0].panning, step.heard) << "row " << &step - steps;
    if (step.heard != 255) continue;
    EXPECT_EQ(voices[0].gainA, 0);  // fully right
    EXPECT_EQ(voices[0].gainB, 127);
  }
}

// The gate and the voice's volume after each row.
TEST_F(ReplayTest, KeyOffSilencesUntilTheNextInstrumentNumber) {
  struct Step {
    XmCell cell;
    int gate, volume;
  } const steps[] = {
      {{49, 1, 0, 0, 0}, 64, 127}, {{kXmKeyOff, 0, 0, 0, 0}, 0, 0},
      {{50, 0, 0, 0, 0}, 0, 0},  // started, but at gate 0
      {{0, 1, 0, 0, 0}, 64, 127},  {{0, 0, 0, 0x14, 0}, 0, 0},  // effect 0x14 is a key-off too
  };
  for (int r = 0; r < 5; ++r) Cell(r, 0) = steps[r].cell;
  Load();
  for (const Step& step : steps) {
    Row();
    EXPECT_EQ(Ch(0).gate, step.gate) << "row " << &step - steps;
    EXPECT_EQ(Ch(0).keyOff, step.gate == 0) << "row " << &step - steps;
    EXPECT_EQ(Ch(0).voice->volume, step.volume) << "row " << &step - steps;
    EXPECT_NE(Ch(0).voice->sample, nullptr) << "row " << &step - steps;
  }
}

TEST_F(ReplayTest, RetriggerLeavesTheOldNoteFadingOnTheTwin) {
  Cell(0, 1) = {49, 1, 0, 0, 0};
  Cell(1, 1) = {49, 1, 0, 0, 0};
  Cell(2, 1) = {49, 0, 0xF0, 0, 0};  // 0xFx: no restart, the voice keeps playing
  Load();
  Row();
  EXPECT_EQ(Ch(1).voice, &voices[1]);
  std::vector<float> mix(2 * 300, 0.0f);
  MixVoices(mix.data(), 300);
  const uint32_t playedTo = voices[1].positionInt;
  Row();
  EXPECT_EQ(Ch(1).voice, &voices[33]);
  EXPECT_EQ(voices[33].positionInt, 0u);
  EXPECT_EQ(voices[1].gainA, 0);
  EXPECT_EQ(voices[1].positionInt, playedTo);
  MixVoices(mix.data(), 128);
  EXPECT_EQ(voices[1].rampRemaining, 0);
  EXPECT_EQ(voices[1].currentA, 0);
  EXPECT_NE(voices[1].sample, nullptr);  // plays on silently
  EXPECT_EQ(voices[33].currentA, 63 * 256);
  Row();
  EXPECT_EQ(Ch(1).voice, &voices[33]);
  EXPECT_GT(voices[33].positionInt, 0u);
}

TEST_F(ReplayTest, MissingInstrumentPlaysSilence) {
  Cell(0, 0) = {49, 1, 0, 0, 0};
  Cell(1, 0) = {49, 9, 0, 0, 0};
  Load();
  Row();
  Row();
  EXPECT_EQ(Ch(0).voice->sample, &EmptySample);
  std::vector<float> mix(2 * 10, 0.0f);
  MixVoices(mix.data(), 10);
  EXPECT_EQ(Ch(0).voice->sample, nullptr);
}

TEST_F(ReplayTest, SongWrapsToTheRestartPosition) {
  m.tempo = 1;
  m.orders = {0, 1, 0};
  m.restartPosition = 1;
  m.patterns = {MakeEmptyPattern(2, 2), MakeEmptyPattern(3, 2)};
  Load();
  std::vector<std::pair<int, int>> seen;
  for (int i = 0; i < 10; ++i) {
    ReplayStep(p);
    seen.emplace_back(p->orderIndex, p->row);
  }
  const std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 2},
                                                     {2, 0}, {2, 1}, {1, 0}, {1, 1}, {1, 2}};
  EXPECT_EQ(seen, expected);
}

}  // namespace
