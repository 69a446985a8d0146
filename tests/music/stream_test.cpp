// Memory streams over resources, and the embedded patch table decoded field by field.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "music/stream.h"
#include "music/synth.h"

namespace {

TEST(MemoryStream, ReadsSeeksAndTells) {
  MemoryStream* s = OpenResourceStream(kPatchResourceId);
  ASSERT_EQ(s->size, 1364);
  uint8_t count[4];
  EXPECT_EQ(StreamRead(count, 4, s), 4);
  uint8_t record[68];
  for (int i = 0; i < 20; ++i) EXPECT_EQ(StreamRead(record, 68, s), 68);
  EXPECT_EQ(StreamRead(record, 68, s), 0);
  EXPECT_EQ(StreamTell(s), 1364);

  StreamSeek(s, s->size + 10, 0);
  EXPECT_EQ(StreamTell(s), 1364);
  EXPECT_EQ(StreamRead(record, 1, s), 0);
  StreamSeek(s, 100, 0);
  StreamSeek(s, 0, 1);
  EXPECT_EQ(StreamTell(s), 100);
  StreamSeek(s, 0, 2);
  EXPECT_EQ(StreamTell(s), 1364);
  StreamSeek(s, -4, 2);
  StreamSeek(s, 50, 7);  // unknown origin: unchanged
  EXPECT_EQ(StreamTell(s), 1360);
  // A read straddling the end returns the remainder only and leaves the rest of the buffer alone.
  uint8_t buffer[8];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(StreamRead(buffer, 8, s), 4);
  EXPECT_EQ(buffer[4], 0xEE);
  StreamSeek(s, -50, 0);
  EXPECT_EQ(StreamTell(s), 0);

  // Closing one stream leaves the bytes readable through another.
  MemoryStream* t = OpenResourceStream(kPatchResourceId);
  StreamClose(s);
  EXPECT_EQ(StreamRead(count, 4, t), 4);
  EXPECT_EQ(count[0], 20);
  StreamClose(t);
}

TEST(MemoryStream, UnknownResourceIsEmpty) {
  MemoryStream* s = OpenResourceStream(999);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->size, 0);
  EXPECT_EQ(s->data, nullptr);
  uint8_t b[4];
  EXPECT_EQ(StreamRead(b, 4, s), 0);
  StreamClose(s);
  EXPECT_FALSE(EmbeddedResource(kModuleResourceId).empty());
}

TEST(StreamProcs, AllOrNothing) {
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
  EXPECT_TRUE(StreamProcsInstalled());
  InstallStreamProcs(OpenResourceStream, StreamClose, nullptr, StreamSeek, StreamTell);
  EXPECT_FALSE(StreamProcsInstalled());
  EXPECT_EQ(InstalledStreamProcs().open, nullptr);
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
}

struct ExpectedPatch {
  int wave;
  float freq, sweep, amplitude;
  uint32_t hold, release;
  float cutoff, q, cutoffSweep, qSweep;
  int32_t avgA, avgB;
  uint16_t flags;
  uint32_t n;
};

constexpr ExpectedPatch kTable[20] = {
    {2, 440, 0, 1000, 0, 88200, 2000, 1, -1000, 0, 20, 30000, 1, 88202},
    {2, 440, 0, 2000, 0, 11025, 2000, 1, -4000, 0, 20, 30000, 1, 11027},
    {5, 110, 0, 3000, 882, 0, 0, 1, 0, 0, 20, 30000, 0, 884},
    {3, 55, 0, 8000, 0, 44100, 400, 1, -800, 0, 20, 30000, 1, 44102},
    {2, 55, 0, 8000, 0, 44100, 400, 1, -400, 0, 20, 30000, 1, 44102},
    {2, 220, 0, 2000, 4410, 0, 500, 4, 0, 0, 20, 30000, 1, 4412},
    {2, 220, 0, 2000, 4410, 0, 750, 4, 0, 0, 20, 30000, 1, 4412},
    {2, 220, 0, 2000, 4410, 0, 1000, 4, 0, 0, 20, 30000, 1, 4412},
    {2, 220, 0, 2000, 4410, 0, 1500, 4, 0, 0, 20, 30000, 1, 4412},
    {2, 220, 0, 2000, 4410, 0, 2000, 4, 0, 0, 20, 30000, 1, 4412},
    {5, 110, -400, 32000, 0, 8820, 500, 2, -2000, 0, 20, 30000, 1, 8822},
    {2, 110, -300, 16000, 0, 8820, 200, 2, -1000, 0, 20, 30000, 1, 8822},
    {4, 2000, 0, 24000, 1, 2205, 0, 1, 0, 0, 2000, 2000, 0, 2208},
    {4, 2000, 0, 16000, 0, 4410, 1000, 16, 0, 0, 2000, 30000, 3, 4412},
    {4, 2000, 0, 3000, 0, 44100, 1000, 16, 0, 0, 2000, 30000, 3, 44102},
    {4, 1000, -4000, 6000, 1, 8820, 4000, 16, -16000, 0, 1000, 30000, 0, 8823},
    {3, 220, 0, 3000, 0, 22050, 2000, 6, -2000, -8, 20, 30000, 1, 22052},
    {3, 55, 0, 3000, 0, 88200, 200, 127, 0, 0, 20, 30000, 1, 88202},
    {3, 55, 0, 3000, 0, 88200, 300, 150, 0, 0, 20, 30000, 1, 88202},
    {3, 55, 0, 3000, 0, 88200, 400, 150, 0, 0, 20, 30000, 0, 88202},
};

TEST(PatchTable, EmbeddedBytesDecodeToTheTable) {
  std::span<const uint8_t> bytes = EmbeddedResource(kPatchResourceId);
  ASSERT_EQ(bytes.size(), 1364u);
  EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24, 20);
  for (int k = 0; k < 20; ++k) {
    SCOPED_TRACE(k);
    const SynthPatch p = DecodeSynthPatch(bytes.subspan(4 + 68 * k).first<68>());
    const ExpectedPatch& e = kTable[k];
    EXPECT_EQ(p.waveform, e.wave);
    EXPECT_EQ(p.baseFrequency, e.freq);
    EXPECT_EQ(p.phaseOffset, 0.0f);
    EXPECT_EQ(p.amplitude, e.amplitude);
    EXPECT_EQ(p.frequencySweep, e.sweep);
    EXPECT_EQ(p.sampleRate, 44100);
    EXPECT_EQ(p.attack, 0u);
    EXPECT_EQ(p.hold, e.hold);
    EXPECT_EQ(p.release, e.release);
    EXPECT_EQ(p.cutoff, e.cutoff);
    EXPECT_EQ(p.resonance, e.q);
    EXPECT_EQ(p.cutoffSweep, e.cutoffSweep);
    EXPECT_EQ(p.resonanceSweep, e.qSweep);
    EXPECT_EQ(p.averageFrequencyA, e.avgA);
    EXPECT_EQ(p.averageFrequencyB, e.avgB);
    EXPECT_EQ(p.averageSweepA, 0.0f);
    EXPECT_EQ(p.averageSweepB, 0.0f);
    EXPECT_EQ(p.patchFlags, e.flags);
    EXPECT_EQ(p.reserved, 0);
    EXPECT_EQ(PatchValueCount(p), e.n);
    // Encoding gives back the same 68 bytes.
    std::array<uint8_t, 68> again{};
    EncodeSynthPatch(p, again);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin() + 4 + 68 * k));
  }
}

}  // namespace
