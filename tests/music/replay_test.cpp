// The replay engine: rows, ticks, the volume column, slides, key-off and twins.
#include <gtest/gtest.h>

#include <array>
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

  XmCell& Cell(int row, int ch) { return PatternCellAt(m.patterns[0], m.channels, row, ch); }
  void Load() {
    if (m.instruments.empty()) m.instruments.push_back(MakeTestInstrument(4000, {}, 29, 100));
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

// Four channels side by side at speed 3, checked after each row.
// 0: the volume column, and the volume slide effect, which works on ticks 1 and 2 only and reuses
//    its last non-zero parameter.
// 1: instrument 2, panned 250: a panning slide past the edge is kept but not heard.
// 2: a key-off silences until the next instrument number.
// 3: a note of an instrument the module lacks plays silence.
TEST_F(ReplayTest, VolumePanningAndKeyOffRowByRow) {
  struct Step {
    XmCell volumeCell;
    int volume;
    uint8_t panningByte;
    int panning, heardPanning;
    XmCell keyOffCell;
    int gate, heardVolume;
  } const steps[] = {
      {{49, 1, 0, 0, 0}, 64, 0, 250, 250, {49, 1, 0, 0, 0}, 64, 127},
      // 0x6x: every tick of the row, the first included
      {{0, 0, 0x62, 0, 0}, 58, 0xE5, 265, 255, {kXmKeyOff, 0, 0, 0, 0}, 0, 0},
      // 0x8x: once; 0x7x raises, not above 64; a new note without an instrument starts at gate 0
      {{0, 0, 0x82, 0, 0}, 56, 0xD5, 250, 250, {50, 0, 0, 0, 0}, 0, 0},
      {{0, 0, 0x75, 0, 0}, 64, 0xC3, 48, 48, {0, 1, 0, 0, 0}, 64, 127},
      // set; slide up 2 on ticks 1 and 2; effect 0x14 is a key-off too
      {{0, 0, 0x10 + 20, 0, 0}, 20, 0, 48, 48, {0, 0, 0, 0x14, 0}, 0, 0},
      {{0, 0, 0, 0x0A, 0x20}, 24, 0, 48, 48, {}, 0, 0},
      {{0, 0, 0, 0x0A, 0x00}, 28, 0, 48, 48, {}, 0, 0},  // memory
      {{0, 0, 0, 0x0A, 0x31}, 34, 0, 48, 48, {}, 0, 0},  // the high nibble wins
      {{0, 0, 0, 0x0A, 0x04}, 26, 0, 48, 48, {}, 0, 0},  // the low nibble lowers
  };
  m.channels = 4;
  m.patterns = {MakeEmptyPattern(64, 4)};
  m.instruments = {MakeTestInstrument(4000, {}, 29, 100), MakeTestInstrument(4000, {}, 29, 100, 64, 250)};
  for (int r = 0; r < 9; ++r) {
    Cell(r, 0) = steps[r].volumeCell;
    Cell(r, 1) = {uint8_t(r ? 0 : 49), uint8_t(r ? 0 : 2), steps[r].panningByte, 0, 0};
    Cell(r, 2) = steps[r].keyOffCell;
  }
  Cell(0, 3) = {49, 1, 0, 0, 0};
  Cell(1, 3) = {49, 9, 0, 0, 0};
  Load();
  Row();
  // Middle C of the shipped tuning; volume 64, gate 64, global volume 64 gives 127, centre
  // panning splits it 63 / 63.
  const Voice& v = voices[0];
  EXPECT_EQ((std::array<int, 5>{Ch(0).realNote, Ch(0).period, v.frequency, v.gainA, v.gainB}),
            (std::array<int, 5>{77, 2702, 46714, 63, 63}));
  for (const Step& step : steps) {
    SCOPED_TRACE(::testing::Message() << "row " << &step - steps);
    if (&step != steps) Row();
    EXPECT_EQ(Ch(0).volume, step.volume);
    EXPECT_EQ(Ch(1).panning, step.panning);
    EXPECT_EQ(voices[1].panning, step.heardPanning);
    EXPECT_EQ(Ch(2).gate, step.gate);
    EXPECT_EQ(Ch(2).keyOff, step.gate == 0);
    EXPECT_EQ(Ch(2).voice->volume, step.heardVolume);
    EXPECT_NE(Ch(2).voice->sample, nullptr);
  }
  EXPECT_EQ(Ch(3).voice->sample, &EmptySample);
  std::vector<float> mix(2 * 10, 0.0f);
  MixVoices(mix.data(), 10);
  EXPECT_EQ(Ch(3).voice->sample, nullptr);
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

}  // namespace
