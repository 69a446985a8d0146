// The module writer and the loader against each other, the loader's edge cases, and its
// behaviour on bad input.
#include <gtest/gtest.h>

#include <cstring>

#include "music/module.h"
#include "music/stream.h"
#include "music/xm_writer.h"
#include "tests/music/test_modules.h"

namespace {

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

TEST(XmWriter, RoundTripThroughTheLoader) {
  XmModule m = MakeTestModule(4);
  m.restartPosition = 1;
  m.tempo = 5;
  m.bpm = 125;
  m.orders = {1, 0, 1};
  XmPattern p1 = MakeEmptyPattern(32, 4);
  PatternCellAt(p1, 4, 0, 0) = {49, 1, 0x40, 0x0A, 0x21};  // every field: stored raw
  PatternCellAt(p1, 4, 1, 3) = {kXmKeyOff, 0, 0, 0, 0};
  PatternCellAt(p1, 4, 31, 2) = {0, 2, 0, 0x14, 0};
  m.patterns.push_back(p1);
  XmInstrument a = MakeTestInstrument(6, {0, 100, -100, 32767, -32768, 5}, 29, 100, 48, 200);
  a.samples[0].loop = XmLoop::PingPong;
  a.samples[0].loopStart = 1;
  a.samples[0].loopLength = 3;
  a.keymap[10] = 0;
  m.instruments.push_back(a);
  XmInstrument b = MakeTestInstrument(4, {-3, 7, 9, 1});
  b.samples[0].sixteenBit = false;
  b.samples[0].loop = XmLoop::Forward;
  b.samples[0].loopStart = 1;
  b.samples[0].loopLength = 2;
  m.instruments.push_back(b);
  m.instruments.push_back(XmInstrument{});  // no samples

  std::vector<uint8_t> bytes;
  ModulePlayer* p = LoadTestModule(m, bytes);
  ASSERT_NE(p, nullptr) << ModuleLoadError();
  EXPECT_EQ(Read32(bytes, 60), 276u);
  EXPECT_EQ(p->songLength, 3);
  EXPECT_EQ(p->restartPosition, 1);
  EXPECT_EQ(p->channelCount, 4);
  EXPECT_EQ(p->defaultTempo, 5);
  EXPECT_EQ(p->defaultBpm, 125);
  EXPECT_EQ(p->flags, 1);
  EXPECT_EQ(p->usedPatternCount, 2);
  EXPECT_EQ(p->patternSlotCount, 2);
  EXPECT_EQ(p->orderTable[0], 1);
  EXPECT_EQ(p->globalVolume, 64);
  EXPECT_EQ(p->patterns[0].rows, 64);
  ASSERT_EQ(p->patterns[1].rows, 32);
  const PatternCell& c0 = p->patterns[1].cells[0];
  EXPECT_EQ(c0.note, 49);
  EXPECT_EQ(c0.instrument, 1);
  EXPECT_EQ(c0.volume, 0x40);
  EXPECT_EQ(c0.effect, 0x0A);
  EXPECT_EQ(c0.parameter, 0x21);
  EXPECT_EQ(p->patterns[1].cells[1 * 4 + 3].note, kKeyOffNote);
  EXPECT_EQ(p->patterns[1].cells[31 * 4 + 2].instrument, 2);
  EXPECT_EQ(p->patterns[1].cells[31 * 4 + 2].effect, 0x14);

  ASSERT_EQ(p->instrumentCount, 3);
  const SampleRecord& s = *p->instruments[0].samples[0];
  EXPECT_EQ(s.length, 6u);
  EXPECT_EQ(s.loopStart, 1u);
  EXPECT_EQ(s.loopLength, 3u);
  EXPECT_EQ(s.loopMode, kLoopPingPong);
  EXPECT_EQ(s.volume, 48);
  EXPECT_EQ(s.finetune, 100);
  EXPECT_EQ(s.panning, 200);
  EXPECT_EQ(s.relativeNote, 29);
  EXPECT_EQ(s.bits, 16);
  const int16_t expected[] = {0, 100, -100, 32767, -32768, 5};
  for (int k : {0, 1, 2, 3, 5}) EXPECT_EQ(s.data[k], expected[k]) << k;
  EXPECT_EQ(s.data[4], 32767);  // the ping-pong guard at the loop end copies the value before it
  EXPECT_EQ(p->instruments[0].samples[1], &EmptySample);

  // 8-bit data come back widened by 256; the forward-loop guard copies the loop's first value.
  const SampleRecord& e = *p->instruments[1].samples[0];
  EXPECT_EQ(e.bits, 16);
  EXPECT_EQ(e.data[0], -3 * 256);
  EXPECT_EQ(e.data[2], 9 * 256);
  EXPECT_EQ(e.data[3], 7 * 256);
  EXPECT_EQ(p->instruments[2].sampleCount, 0);
  for (SampleRecord* slot : p->instruments[2].samples) EXPECT_EQ(slot, &EmptySample);
  EXPECT_TRUE(FreeModule(p));
}

TEST(XmWriter, PacksCellsInTheShortestForm) {
  XmPattern p = MakeEmptyPattern(1, 3);
  PatternCellAt(p, 3, 0, 0) = {1, 2, 3, 4, 5};
  PatternCellAt(p, 3, 0, 1) = {0, 0, 0x20, 0, 0};
  const std::vector<uint8_t> packed = PackXmPattern(p, 3);
  EXPECT_EQ(packed, (std::vector<uint8_t>{1, 2, 3, 4, 5, 0x84, 0x20, 0x80}));
  EXPECT_TRUE(PackXmPattern(MakeEmptyPattern(64, 3), 3).empty());
}

// Patches bytes of a written module in place (little-endian 16/32-bit fields).
void Poke16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Poke32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Poke16(b, at, v & 0xFFFF);
  Poke16(b, at + 2, v >> 16);
}

TEST(XmLoader, PatternEdgeCases) {
  XmModule m = MakeTestModule(2);
  XmPattern p0 = MakeEmptyPattern(16, 2);
  PatternCellAt(p0, 2, 0, 0).note = kXmKeyOff;
  PatternCellAt(p0, 2, 0, 1).instrument = 200;
  PatternCellAt(p0, 2, 1, 0).note = 120;  // beyond the keyboard
  PatternCellAt(p0, 2, 1, 1).effect = 1;  // keeps the pattern non-empty after instrument 200 goes
  m.patterns = {p0, MakeEmptyPattern(7, 2)};
  m.orders = {0, 30, 1};
  std::vector<uint8_t> bytes;
  ModulePlayer* p = LoadTestModule(m, bytes);
  ASSERT_NE(p, nullptr) << ModuleLoadError();
  EXPECT_EQ(p->patterns[0].cells[0].note, kKeyOffNote);
  EXPECT_EQ(p->patterns[0].cells[1].instrument, 0);
  EXPECT_EQ(p->patterns[0].cells[2].note, 0);
  // Packed size 0: all cells empty with the stated row count.
  EXPECT_EQ(p->patterns[1].rows, 7);
  for (int k = 0; k < 14; ++k) EXPECT_EQ(p->patterns[1].cells[k].note, 0);
  // Order 30 names a pattern the file does not store: slots 2..30 are 64 empty rows.
  EXPECT_EQ(p->usedPatternCount, 31);
  EXPECT_EQ(p->patternSlotCount, 31);
  for (int s = 2; s <= 30; ++s) EXPECT_EQ(p->patterns[s].rows, 64) << s;
  FreeModule(p);

  // Entries beyond the song length do not count.
  m.orders = {0};
  bytes.clear();
  std::string error;
  WriteXmModule(m, bytes, error);
  bytes[80 + 5] = 90;
  p = LoadTestBytes(bytes);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->usedPatternCount, 1);
  EXPECT_EQ(p->patternSlotCount, 2);
  FreeModule(p);
}

TEST(XmLoader, SampleHeaderConversions) {
  XmModule m = MakeTestModule(1);
  XmInstrument ins = MakeTestInstrument(5);
  ins.samples[0].loop = XmLoop::Forward;
  ins.samples[0].loopStart = 1;  // 2 bytes
  ins.samples[0].loopLength = 2;  // 4 bytes
  XmInstrument zeroLoop = MakeTestInstrument(9);
  zeroLoop.samples[0].loop = XmLoop::Forward;
  zeroLoop.samples[0].loopStart = 4;
  zeroLoop.samples[0].loopLength = 0;
  m.instruments = {ins, zeroLoop};
  std::vector<uint8_t> bytes;
  ModulePlayer* p = LoadTestModule(m, bytes);
  ASSERT_NE(p, nullptr);
  const SampleRecord& s = *p->instruments[0].samples[0];
  EXPECT_EQ(s.length, 5u);
  EXPECT_EQ(s.loopStart, 1u);
  EXPECT_EQ(s.loopLength, 2u);
  EXPECT_EQ(s.loopMode, kLoopForward);
  const SampleRecord& z = *p->instruments[1].samples[0];
  EXPECT_EQ(z.loopMode, kLoopNone);
  EXPECT_EQ(z.loopStart, 0u);
  EXPECT_EQ(z.loopLength, 9u);
  FreeModule(p);
}

std::vector<std::pair<int32_t, int32_t>> synthCalls;
void RecordingSynth(std::span<int16_t> dst, uint32_t byteCount, int32_t bits, int32_t instrument, int32_t sample) {
  synthCalls.emplace_back(instrument, sample);
  EXPECT_EQ(bits, 16);
  EXPECT_EQ(byteCount, (dst.size() - 8) * 2);
  for (size_t k = 0; k < 3; ++k) dst[k] = 1;
}

TEST(XmLoader, SynthesisReplacesStoredDataWithoutDeltaDecoding) {
  XmModule m = MakeTestModule(1);
  m.instruments = {MakeTestInstrument(3, {5, 6, 7}), MakeTestInstrument(4, {9, 9, 9, 9})};
  std::vector<uint8_t> bytes;
  synthCalls.clear();
  ModulePlayer* p = LoadTestModule(m, bytes, RecordingSynth);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(synthCalls, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 0}}));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(p->instruments[0].samples[0]->data[k], 1);
  FreeModule(p);

  // Without a synthesiser, stored values 1, 1, 1 (as deltas) become 1, 2, 3.
  std::vector<uint8_t> raw;
  std::string error;
  WriteXmModule(m, raw, error);
  // Instrument 0's data lie just before instrument 1 (its 243-byte header, a 40-byte sample header
  // and 8 bytes of data).
  const size_t dataAt = raw.size() - 8 - 40 - 243 - 2 * 3;
  Poke16(raw, dataAt, 1);
  Poke16(raw, dataAt + 2, 1);
  Poke16(raw, dataAt + 4, 1);
  p = LoadTestBytes(raw);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->instruments[0].samples[0]->data[0], 1);
  EXPECT_EQ(p->instruments[0].samples[0]->data[1], 2);
  EXPECT_EQ(p->instruments[0].samples[0]->data[2], 3);
  FreeModule(p);
}

TEST(XmLoader, RejectsWhatTheEngineCannotHold) {
  std::vector<uint8_t> bytes;
  std::string error;
  XmModule m = MakeTestModule(2);
  m.instruments = {MakeTestInstrument(4)};
  ASSERT_TRUE(WriteXmModule(m, bytes, error));

  std::vector<uint8_t> bad = bytes;
  bad[3] = 'X';
  EXPECT_EQ(LoadTestBytes(bad), nullptr);
  EXPECT_NE(std::strstr(ModuleLoadError(), "signature"), nullptr);

  bad = bytes;
  Poke16(bad, 68, 33);
  EXPECT_EQ(LoadTestBytes(bad), nullptr);
  EXPECT_NE(std::strstr(ModuleLoadError(), "33 channels"), nullptr);

  bad = bytes;
  Poke16(bad, 64, 300);
  EXPECT_EQ(LoadTestBytes(bad), nullptr);
  EXPECT_NE(std::strstr(ModuleLoadError(), "song length"), nullptr);

  bad = bytes;
  Poke16(bad, 72, 129);
  EXPECT_EQ(LoadTestBytes(bad), nullptr);

  bad = bytes;
  Poke16(bad, 60 + 276 + 5, 257);  // rows of pattern 0
  EXPECT_EQ(LoadTestBytes(bad), nullptr);
  EXPECT_NE(std::strstr(ModuleLoadError(), "rows"), nullptr);

  // The instrument's sample count sits 27 bytes into the instrument (after the empty pattern).
  const size_t instrumentAt = 60 + 276 + 9;
  bad = bytes;
  Poke16(bad, instrumentAt + 27, 17);
  EXPECT_EQ(LoadTestBytes(bad), nullptr);
  EXPECT_NE(std::strstr(ModuleLoadError(), "17 samples"), nullptr);

  // A sample claiming 2 GB in a file of a few hundred bytes is refused before any allocation.
  bad = bytes;
  Poke32(bad, instrumentAt + 243, 0x7FFFFFF0);
  EXPECT_EQ(LoadTestBytes(bad), nullptr);
  EXPECT_NE(std::strstr(ModuleLoadError(), "exceeds"), nullptr);

  ModulePlayer* p = LoadTestBytes(bytes);  // the unmodified module still loads
  EXPECT_NE(p, nullptr);
  FreeModule(p);
}

uint32_t synthesisedBytes = 0;
void CountingSynth(std::span<int16_t> dst, uint32_t byteCount, int32_t, int32_t, int32_t) {
  synthesisedBytes = byteCount;
  dst[dst.size() - 9] = 7;  // the last value of the declared length
}

// Stored bytes that are only skipped need not be in the file: a 660-byte module declaring a
// 200,000-byte sample loads under a synthesis procedure and is refused without one.
TEST(XmLoader, SkippedSampleBytesNeedNotBeInTheFile) {
  XmModule m = MakeTestModule(2);
  m.instruments = {MakeTestInstrument(16)};
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(WriteXmModule(m, bytes, error));
  ASSERT_EQ(bytes.size(), 660u);
  Poke32(bytes, 60 + 276 + 9 + 243, 200000);
  ModulePlayer* p = LoadTestBytes(bytes, CountingSynth);
  ASSERT_NE(p, nullptr) << ModuleLoadError();
  EXPECT_EQ(synthesisedBytes, 200000u);
  EXPECT_EQ(p->instruments[0].samples[0]->length, 100000u);
  EXPECT_EQ(p->instruments[0].samples[0]->data[99999], 7);
  FreeModule(p);
  EXPECT_EQ(LoadTestBytes(bytes), nullptr);
  EXPECT_NE(std::strstr(ModuleLoadError(), "exceeds"), nullptr);
}

TEST(XmLoader, ToleratesShortFilesAndMendsLoopsAndRestart) {
  XmModule m = MakeTestModule(1);
  m.restartPosition = 9;  // beyond the song: restarts at the top
  m.instruments = {MakeTestInstrument(100, std::vector<int16_t>(100, 0))};
  m.instruments[0].samples[0].loop = XmLoop::Forward;
  m.instruments[0].samples[0].loopStart = 90;
  m.instruments[0].samples[0].loopLength = 50;  // past the end: cut to the sample
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(WriteXmModule(m, bytes, error));
  bytes.resize(bytes.size() - 120);  // cut into the sample data
  ModulePlayer* p = LoadTestBytes(bytes);
  ASSERT_NE(p, nullptr) << ModuleLoadError();
  EXPECT_EQ(p->restartPosition, 0);
  const SampleRecord& s = *p->instruments[0].samples[0];
  EXPECT_EQ(s.loopStart, 90u);
  EXPECT_EQ(s.loopLength, 10u);
  FreeModule(p);
}

TEST(XmLoader, EveryTruncationOfAModuleIsSafe) {
  XmModule m = MakeTestModule(3);
  XmPattern pat = MakeEmptyPattern(8, 3);
  for (int r = 0; r < 8; ++r) PatternCellAt(pat, 3, r, r % 3) = {static_cast<uint8_t>(40 + r), 1, 0x30, 0x0A, 0x12};
  m.patterns = {pat};
  m.instruments = {MakeTestInstrument(16, std::vector<int16_t>(16, 3)), MakeTestInstrument(8)};
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(WriteXmModule(m, bytes, error));
  // (An empty override would fall back to the embedded module, so lengths start at 1.)
  for (size_t n = 1; n <= bytes.size(); n += 3) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
    ModulePlayer* p = LoadTestBytes(cut);
    if (n < 17) {
      EXPECT_EQ(p, nullptr);
    }
    FreeModule(p);
  }
}

TEST(XmLoader, MissingResourceAndNoProcedures) {
  InstallStreamProcs(nullptr, StreamClose, StreamRead, StreamSeek, StreamTell);
  EXPECT_EQ(LoadModule(kModuleResourceId, nullptr), nullptr);
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
  EXPECT_EQ(LoadModule(4242, nullptr), nullptr);  // empty stream: signature check fails
  EXPECT_FALSE(FreeModule(nullptr));
}

}  // namespace
