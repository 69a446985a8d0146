// The built soundtrack module, read byte by byte: the frame the program and the schedule
// rely on (header, order table, pattern shapes, instrument and sample table) and the subset of
// cell contents the replay engine plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

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
  // Magic, the song's name padded with zeros to 20 bytes, 0x1A.
  EXPECT_EQ(std::memcmp(bytes.data(), "Extended Module: vale of quoms\0\0\0\0\0\0\0\x1A", 38), 0);
  Reader r{bytes, 58};
  EXPECT_EQ(r.U16(), 0x0104u);
  EXPECT_EQ(r.U32(), 276u);
  // song length, restart, channels, stored patterns, instruments, linear table, tempo, BPM
  std::array<unsigned, 8> header{};
  for (unsigned& v : header) v = r.U16();
  EXPECT_EQ(header, (std::array<unsigned, 8>{47, 0, 10, 21, 20, 1, 3, 137}));
  // Every order names a stored pattern; the table is zero past the song's end.
  for (size_t i = 0; i < 256; ++i) {
    const unsigned order = r.U8();
    if (i < 47) EXPECT_LT(order, 21u) << "order " << i;
    else EXPECT_EQ(order, 0u) << "order " << i;
  }
}

TEST_F(BuiltModule, PatternsInstrumentsAndSamples) {
  Reader r{bytes, 60 + 276};
  for (int p = 0; p < 21; ++p) {
    SCOPED_TRACE("pattern " + std::to_string(p));
    const uint32_t rows = p == 0 ? 128 : 64;  // header length, packing type, rows:
    EXPECT_EQ((std::array<uint32_t, 3>{r.U32(), r.U8(), r.U16()}), (std::array<uint32_t, 3>{9, 0, rows}));
    const unsigned packed = r.U16();
    const size_t end = r.at + packed;
    for (unsigned cell = 0; packed && cell < rows * 10; ++cell) {
      std::array<unsigned, 5> f{};
      const unsigned b = r.U8();
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
    const size_t start = r.at;
    EXPECT_EQ(r.U32(), 243u);
    r.at = start + 27;
    EXPECT_EQ((std::array<uint32_t, 2>{r.U16(), r.U32()}), (std::array<uint32_t, 2>{1, 40})) << "one sample, its header's size";
    r.at = start + 243;
    const uint32_t length = r.U32();  // bytes of 16-bit data
    EXPECT_GT(length, 0u);
    // loop start and length, volume, finetune, type (16-bit, no loop)
    EXPECT_EQ((std::array<uint32_t, 5>{r.U32(), r.U32(), r.U8(), r.U8(), r.U8()}),
              (std::array<uint32_t, 5>{0, 0, 64, 100, 0x10}));
    r.at = start + 243 + 40;
    ASSERT_TRUE(r.Has(length));
    EXPECT_TRUE(std::all_of(&bytes[r.at], &bytes[r.at] + length, [](uint8_t b) { return b == 0; }))
        << "stored sample data are silence; the synthesiser makes them";
    r.at += length;
  }
  EXPECT_EQ(r.at, bytes.size()) << "nothing after the last sample";
}
