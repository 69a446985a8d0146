// The module writer and the loader against each other, the loader's edge cases, and its
// behaviour on bad input.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "music/module.h"
#include "music/xm_writer.h"
#include "tests/music/test_modules.h"

namespace {

// Cells out of range and orders naming patterns the file does not store are mended on the way.
TEST(XmWriter, RoundTripThroughTheLoader) {
  XmModule m = MakeTestModule(4);
  m.restartPosition = 1;
  m.tempo = 5;
  m.bpm = 125;
  m.orders = {1, 0, 30, 2};  // order 30: slots 3..30 are 64 empty rows
  PatternCellAt(m.patterns[0], 4, 0, 1).instrument = 200;
  PatternCellAt(m.patterns[0], 4, 1, 0).note = 120;  // beyond the keyboard
  XmPattern p1 = MakeEmptyPattern(32, 4);
  PatternCellAt(p1, 4, 0, 0) = {49, 1, 0x40, 0x0A, 0x21};  // every field: stored raw
  PatternCellAt(p1, 4, 1, 3) = {kXmKeyOff, 0, 0, 0, 0};
  PatternCellAt(p1, 4, 31, 2) = {0, 2, 0, 0x14, 0};
  m.patterns.push_back(p1);
  m.patterns.push_back(MakeEmptyPattern(7, 4));  // packed size 0: empty cells, the stated row count
  XmInstrument a = MakeTestInstrument(6, {0, 100, -100, 32767, -32768, 5}, 29, 100, 48, 200);
  SetTestLoop(a, XmLoop::PingPong, 1, 3);
  XmInstrument b = MakeTestInstrument(4, {-3, 7, 9, 1});
  b.samples[0].sixteenBit = false;
  SetTestLoop(b, XmLoop::Forward, 1, 2);
  m.instruments = {a, b, XmInstrument{}};  // the last without samples

  std::vector<uint8_t> bytes;
  ModulePlayer* p = LoadTestModule(m, bytes);
  ASSERT_NE(p, nullptr) << ModuleLoadError();
  EXPECT_EQ((std::array<int, 7>{p->songLength, p->restartPosition, p->channelCount, p->defaultTempo,
                                 p->defaultBpm, p->orderTable[0], p->patterns[0].rows}),
            (std::array<int, 7>{4, 1, 4, 5, 125, 1, 64}));
  EXPECT_EQ(p->patterns[0].cells[1].instrument, 0);
  EXPECT_EQ(p->patterns[0].cells[4].note, 0);
  ASSERT_EQ(p->patterns[1].rows, 32);
  const PatternCell& c0 = p->patterns[1].cells[0];
  EXPECT_EQ((std::array<int, 5>{c0.note, c0.instrument, c0.volume, c0.effect, c0.parameter}),
            (std::array<int, 5>{49, 1, 0x40, 0x0A, 0x21}));
  EXPECT_EQ(p->patterns[1].cells[1 * 4 + 3].note, kKeyOffNote);
  EXPECT_EQ(p->patterns[1].cells[31 * 4 + 2].effect, 0x14);
  EXPECT_EQ(p->patterns[2].rows, 7);
  EXPECT_EQ(p->usedPatternCount, 31);
  ASSERT_EQ(p->patternSlotCount, 31);
  for (int slot = 3; slot <= 30; ++slot) EXPECT_EQ(p->patterns[slot].rows, 64) << slot;

  ASSERT_EQ(p->instrumentCount, 3);
  const SampleRecord& s = *p->instruments[0].samples[0];
  EXPECT_EQ((std::array<int64_t, 8>{s.length, s.loopStart, s.loopLength, s.loopMode, s.volume,
                                     s.finetune, s.panning, s.relativeNote}),
            (std::array<int64_t, 8>{6, 1, 3, kLoopPingPong, 48, 100, 200, 29}));
  const int16_t expected[] = {0, 100, -100, 32767, -32768, 5};
  for (int k : {0, 1, 2, 3, 5}) EXPECT_EQ(s.data[k], expected[k]) << k;
  EXPECT_EQ(s.data[4], 32767);  // the ping-pong guard at the loop end copies the value before it
  EXPECT_EQ(p->instruments[0].samples[1], &EmptySample);

  // 8-bit data come back widened by 256; the forward-loop guard copies the loop's first value.
  const SampleRecord& e = *p->instruments[1].samples[0];
  EXPECT_EQ((std::array<int, 3>{e.data[0], e.data[2], e.data[3]}),
            (std::array<int, 3>{-3 * 256, 9 * 256, 7 * 256}));
  for (SampleRecord* slot : p->instruments[2].samples) EXPECT_EQ(slot, &EmptySample);
  EXPECT_TRUE(FreeModule(p));

  // Entries beyond the song length do not count.
  m.orders = {0};
  bytes = WriteTestModule(m);
  bytes[80 + 5] = 90;
  p = LoadTestBytes(bytes);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->usedPatternCount, 1);
  EXPECT_EQ(p->patternSlotCount, 3);
  FreeModule(p);
}

// Patches a little-endian field of a written module in place.
void Poke(std::vector<uint8_t>& b, size_t at, uint32_t v, int width = 4) {
  for (int k = 0; k < width; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

// Records each call (instrument, sample, byte count), marks the first values and the last one.
std::vector<std::array<int64_t, 3>> synthCalls;
void RecordingSynth(std::span<int16_t> dst, uint32_t byteCount, int32_t bits, int32_t instrument,
                    int32_t sample) {
  synthCalls.push_back({instrument, sample, byteCount});
  EXPECT_EQ(bits, 16);
  EXPECT_EQ(byteCount, (dst.size() - 8) * 2);
  dst[0] = dst[1] = 1;
  dst[dst.size() - 9] = 7;
}

// Stored bytes of a synthesised sample are skipped, not delta-decoded, so they need not be in the
// file: the second instrument declares 200,000 bytes in a module of a few hundred.
TEST(XmLoader, SynthesisReplacesStoredBytesThatNeedNotBeInTheFile) {
  XmModule m = MakeTestModule(1);
  m.instruments = {MakeTestInstrument(3, {5, 6, 7}), MakeTestInstrument(4, {9, 9, 9, 9})};
  std::vector<uint8_t> bytes = WriteTestModule(m);
  // After the 9-byte empty pattern: the first instrument's 243-byte header, its 40-byte sample
  // header and 3 values, then the second instrument's header and its sample length.
  Poke(bytes, 60 + 276 + 9 + 243 + 40 + 6 + 243, 200000);
  synthCalls.clear();
  ModulePlayer* p = LoadTestBytes(bytes, RecordingSynth);
  ASSERT_NE(p, nullptr) << ModuleLoadError();
  EXPECT_EQ(synthCalls, (std::vector<std::array<int64_t, 3>>{{0, 0, 6}, {1, 0, 200000}}));
  const SampleRecord& first = *p->instruments[0].samples[0];
  EXPECT_EQ((std::array<int, 3>{first.data[0], first.data[1], first.data[2]}), (std::array<int, 3>{1, 1, 7}));
  EXPECT_EQ(p->instruments[1].samples[0]->length, 100000u);
  EXPECT_EQ(p->instruments[1].samples[0]->data[99999], 7);
  FreeModule(p);
}

TEST(XmLoader, RejectsWhatTheEngineCannotHold) {
  XmModule m = MakeTestModule(2);
  m.instruments = {MakeTestInstrument(4)};
  const std::vector<uint8_t> bytes = WriteTestModule(m);

  // The instrument (after the 9-byte empty pattern) holds its sample count 27 bytes in; its
  // first sample header follows the 243-byte instrument header.
  const size_t instrumentAt = 60 + 276 + 9;
  struct Case {
    size_t at;
    uint32_t value;
    int width;
    const char* message;
  } const cases[] = {
      {3, 'X', 1, "signature"},
      {68, 33, 2, "33 channels"},
      {64, 300, 2, "song length"},
      {72, 129, 2, ""},                          // patterns
      {60 + 276 + 5, 257, 2, "rows"},            // rows of pattern 0
      {instrumentAt + 27, 17, 2, "17 samples"},
      {instrumentAt + 243, 0x7FFFFFF0, 4, "exceeds"},  // 2 GB in a file of a few hundred bytes
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = bytes;
    Poke(bad, c.at, c.value, c.width);
    EXPECT_EQ(LoadTestBytes(bad), nullptr) << c.at;
    EXPECT_NE(std::strstr(ModuleLoadError(), c.message), nullptr) << ModuleLoadError();
  }
  ModulePlayer* p = LoadTestBytes(bytes);  // the unmodified module still loads
  EXPECT_NE(p, nullptr);
  FreeModule(p);
}

TEST(XmLoader, ToleratesShortFilesAndMendsLoopsAndRestart) {
  XmModule m = MakeTestModule(1);
  m.restartPosition = 9;  // beyond the song: restarts at the top
  m.instruments = {MakeTestInstrument(9), MakeTestInstrument(100, std::vector<int16_t>(100, 0))};
  SetTestLoop(m.instruments[0], XmLoop::Forward, 4, 0);  // a zero-length loop plays once to the end
  SetTestLoop(m.instruments[1], XmLoop::Forward, 90, 50);  // past the end: cut to the sample
  std::vector<uint8_t> bytes = WriteTestModule(m);
  bytes.resize(bytes.size() - 120);  // cut into the sample data
  ModulePlayer* p = LoadTestBytes(bytes);
  ASSERT_NE(p, nullptr) << ModuleLoadError();
  EXPECT_EQ(p->restartPosition, 0);
  const SampleRecord& z = *p->instruments[0].samples[0];
  EXPECT_EQ((std::array<int64_t, 3>{z.loopMode, z.loopStart, z.loopLength}),
            (std::array<int64_t, 3>{kLoopNone, 0, 9}));
  const SampleRecord& s = *p->instruments[1].samples[0];
  EXPECT_EQ((std::array<int64_t, 2>{s.loopStart, s.loopLength}), (std::array<int64_t, 2>{90, 10}));
  FreeModule(p);
}

}  // namespace
