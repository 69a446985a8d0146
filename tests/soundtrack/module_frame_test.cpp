// The built soundtrack module, read byte by byte: the frame the program and the schedule
// rely on (header, order table, pattern shapes, instrument and sample table), the subset of
// cell contents the replay engine plays, and reproduction from the song source.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "data/soundtrack/song_xm.h"
#include "tests/soundtrack/song_test_util.h"

namespace {

struct Reader {
  const std::vector<uint8_t>& b;
  size_t at = 0;
  bool Has(size_t n) const { return at + n <= b.size(); }
  unsigned U8() { return Has(1) ? b[at++] : 0; }
  unsigned U16() { unsigned lo = U8(); return lo | (U8() << 8); }
  uint32_t U32() { uint32_t lo = U16(); return lo | (static_cast<uint32_t>(U16()) << 16); }
};

const std::array<uint8_t, 47> kOrders = {3,  4,  4,  5,  6,  7,  7,  7,  10, 11, 11, 12, 13, 14, 14, 14,
                                         15, 14, 14, 14, 10, 10, 10, 10, 7,  7,  7,  7,  11, 11, 11, 11,
                                         16, 16, 16, 16, 17, 17, 17, 17, 17, 17, 17, 17, 18, 19, 20};
const std::array<uint32_t, 20> kLengths = {88200, 11025, 882,  44100, 44100, 4410, 4410,  4410,  4410,  4410,
                                           8820,  8820,  2206, 4410,  44100, 8821, 22050, 88200, 88200, 88200};
const std::array<int, 20> kRelativeNotes = {5, 5, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 29, 17, 29, 29, 29};

class BuiltModule : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes = ReadBinaryFile(VALE_SOUNDTRACK_XM_PATH);
    ASSERT_GT(bytes.size(), 336u) << VALE_SOUNDTRACK_XM_PATH;
  }
  std::vector<uint8_t> bytes;
};

}  // namespace

TEST_F(BuiltModule, HeaderAndOrderTable) {
  EXPECT_EQ(std::memcmp(bytes.data(), "Extended Module: ", 17), 0);
  EXPECT_EQ(bytes[37], 0x1A);
  Reader r{bytes, 58};
  EXPECT_EQ(r.U16(), 0x0104u);
  EXPECT_EQ(r.U32(), 276u);
  EXPECT_EQ(r.U16(), 47u);   // song length
  EXPECT_EQ(r.U16(), 0u);    // restart position
  EXPECT_EQ(r.U16(), 10u);   // channels
  EXPECT_EQ(r.U16(), 21u);   // stored patterns
  EXPECT_EQ(r.U16(), 20u);   // instruments
  EXPECT_EQ(r.U16(), 1u);    // linear frequency table
  EXPECT_EQ(r.U16(), 3u);    // tempo
  EXPECT_EQ(r.U16(), 137u);  // BPM
  for (size_t i = 0; i < 256; ++i) EXPECT_EQ(r.U8(), i < kOrders.size() ? kOrders[i] : 0u) << "order " << i;
}

TEST_F(BuiltModule, PatternsInstrumentsAndSamples) {
  Reader r{bytes, 60 + 276};
  for (int p = 0; p < 21; ++p) {
    SCOPED_TRACE("pattern " + std::to_string(p));
    EXPECT_EQ(r.U32(), 9u);
    EXPECT_EQ(r.U8(), 0u);
    unsigned rows = r.U16();
    EXPECT_EQ(rows, p == 0 ? 128u : 64u);
    unsigned packed = r.U16();
    size_t end = r.at + packed;
    if (packed == 0) continue;
    for (unsigned cell = 0; cell < rows * 10; ++cell) {
      std::array<unsigned, 5> f{};
      unsigned b = r.U8();
      if (b & 0x80) {
        for (int k = 0; k < 5; ++k) f[k] = (b >> k) & 1 ? r.U8() : 0;
      } else {
        f = {b, r.U8(), r.U8(), r.U8(), r.U8()};
      }
      const auto [note, instrument, volume, effect, parameter] = f;
      EXPECT_LE(note, 97u);
      EXPECT_LE(instrument, 20u);
      // nothing, a volume, or a panning
      EXPECT_TRUE(volume == 0 || (volume >= 0x10 && volume <= 0x50) || (volume >= 0xC0 && volume <= 0xCF))
          << "volume column " << volume;
      EXPECT_TRUE((effect == 0 && parameter == 0) || (effect == 2 && parameter == 0x50));
    }
    EXPECT_EQ(r.at, end) << "packed size matches the cells";
    r.at = end;
  }
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE("instrument " + std::to_string(i + 1));
    size_t start = r.at;
    EXPECT_EQ(r.U32(), 243u);
    r.at = start + 27;
    EXPECT_EQ(r.U16(), 1u);
    EXPECT_EQ(r.U32(), 40u);
    r.at = start + 243;
    EXPECT_EQ(r.U32(), kLengths[i] * 2);  // bytes of 16-bit data
    EXPECT_EQ(r.U32(), 0u);
    EXPECT_EQ(r.U32(), 0u);
    EXPECT_EQ(r.U8(), 64u);                // volume
    EXPECT_EQ(r.U8(), 100u);               // finetune
    EXPECT_EQ(r.U8(), 0x10u);              // 16-bit, no loop
    EXPECT_EQ(r.U8(), 128u);               // panning
    EXPECT_EQ(static_cast<int8_t>(r.U8()), kRelativeNotes[i]);
    r.at = start + 243 + 40;
    ASSERT_TRUE(r.Has(kLengths[i] * 2));
    bool zero = true;
    for (size_t k = 0; k < kLengths[i] * 2; ++k) zero = zero && bytes[r.at + k] == 0;
    EXPECT_TRUE(zero) << "stored sample data are silence; the synthesiser makes them";
    r.at += kLengths[i] * 2;
  }
  EXPECT_EQ(r.at, bytes.size()) << "nothing after the last sample";
}

TEST_F(BuiltModule, ReproducesByteForByteFromTheSource) {
  SongModule song;
  std::string error;
  ASSERT_TRUE(CompileShippedSong(song, error)) << error;
  std::vector<uint8_t> again = WriteSongXm(song, {});
  EXPECT_EQ(again.size(), bytes.size());
  EXPECT_TRUE(again == bytes);
}
