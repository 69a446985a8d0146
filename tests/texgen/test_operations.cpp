// Operations the shipped scripts do not use (the golden texture hashes pin the rest): one
// representative pixel or property each, with the rounding edges that are easy to get wrong,
// the operand values that must write nothing, and a displacement whose map is its own target.
#include <cmath>
#include <cstdlib>

#include "tests/texgen/texgen_test_util.h"

TEST_F(TexgenTest, SinePlasma) {
  Fill(0, 0x0000FF);
  Run({OpSinePlasma, 0, 0, 0, 5, 9, 0, 0, 1});
  for (uint32_t p : L(0)) ASSERT_EQ(p, 0x007FFFu);
  Run({OpSinePlasma, 0, 1, 0, 0, 0, 0, 0, 0});
  // One period across x: x = 64 is the crest, 192 the trough.
  EXPECT_EQ(ChannelOf(L(0)[64], 0), 189u);  // the single-precision step puts 64 just past the crest
  EXPECT_EQ(ChannelOf(L(0)[192], 0), 64u);
}

TEST_F(TexgenTest, OperandsThatWriteNothing) {
  gen->noiseSeed = 77;
  Fill(0, 0x445566);
  Run({OpCubicNoise, 0, 1, 0, 1, 2, 3, 4});  // lattice step 0
  Run({OpRadialGlow, 0, 2, 0, 0});           // unknown glow mode
  for (uint32_t p : L(0)) ASSERT_EQ(p, 0x445566u);
  EXPECT_EQ(gen->noiseSeed, 77u);
}

TEST_F(TexgenTest, BitmapAndClear) {
  std::vector<uint8_t> rec = {OpBitmap, 3, 0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0, 0};
  rec.resize(9 + BitmapDataSize, 0x01);
  rec[9 + 8191] = 0x80;
  RunTextureInstruction(*gen, rec);
  for (int i = 0; i < TexturePixelCount - 8; ++i) ASSERT_EQ(L(3)[i], i % 8 == 0 ? 0xA0B0C0u : 0x102030u) << i;
  EXPECT_EQ(L(3)[65535], 0xA0B0C0u);
  Run({OpClear, 3});
  for (uint32_t p : L(3)) ASSERT_EQ(p, 0u);
}

TEST_F(TexgenTest, FiltersOutsideTheShippedScripts) {
  struct Case {
    uint32_t target, source;
    std::initializer_list<int> instruction;  // runs on layer 0 with layer 1 as the source
    uint32_t expect;
  };
  const Case cases[] = {
      {0x123456, 0, {OpChannelToGrey, 0, 1}, 0x343434},
      {0xFF8000, 0xFFFFFF, {OpMultiply, 0, 1}, 0xFE7F00},  // x * 255 >> 8: 255 -> 254, 128 -> 127
      {0x80F010, 0x902005, {OpLighten, 0, 1}, 0x90F010},
      {0x000000, 0xFEFEFE, {OpCrossfade, 0, 1, 128}, 0x7E7E7E},  // k = 64: 63/127 of 254
      {0x123456, 0xABCDEF, {OpCrossfade, 0, 1, 254}, 0x123456},  // the ends keep and replace
      {0x123456, 0xABCDEF, {OpCrossfade, 0, 1, 0}, 0xABCDEF},
      {0x11223344, 0, {OpInvertBlue, 0}, 0x112233BB},  // red, green and the top byte untouched
      {0xFF7F00, 0, {OpBrightness, 0, 64}, 0x804000},  // tone row 64: 255 -> 128, 127 -> 64
      {0xFF80FF, 0, {OpLevelRange, 0, 1, 0, 255}, 0xFF7FFF},
      {0xFF80FF, 0, {OpLevelRange, 0, 2, 200, 100}, 0xFF8064},  // inverted: 200 + 255 * -100 / 256
      {0xFF80FF, 0, {OpLevelRange, 0, 1, 9, 9}, 0xFF09FF},
  };
  for (const Case& c : cases) {
    Fill(0, c.target);
    Fill(1, c.source);
    Run(c.instruction);
    EXPECT_EQ(L(0)[0], c.expect) << "opcode " << *c.instruction.begin() << " on " << std::hex << c.target;
  }
  EXPECT_EQ(HsvToRgb(-120.0f, 1.0f, 200.0f), 0x0000C8u);  // a negative hue wraps to 240 degrees
}

TEST_F(TexgenTest, ScrollWraps) {
  FillPattern(0);
  const TextureLayer t = L(0);
  Run({OpScroll, 0, 1, 0});
  EXPECT_EQ(L(0)[PixelIndex(0, 7)], t[PixelIndex(1, 7)]);
  EXPECT_EQ(L(0)[PixelIndex(255, 7)], t[PixelIndex(0, 7)]);
  Run({OpScroll, 0, 255, 3});
  EXPECT_EQ(L(0)[PixelIndex(10, 10)], t[PixelIndex(10, 13)]);
}

TEST_F(TexgenTest, TwirlOutsideTheDiscIsAHalfPixelShift) {
  FillPattern(2);
  const TextureLayer t = L(2);
  Run({OpTwirl, 2, 200});
  int outside = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      if (std::hypot(x - 127.5, y - 127.5) <= 128.5) continue;
      ++outside;
      const uint32_t got = L(2)[PixelIndex(x, y)];
      const uint32_t a = t[PixelIndex(x, y)], b = t[PixelIndex(x + 1, y)], c = t[PixelIndex(x, y + 1)],
                     d = t[PixelIndex(x + 1, y + 1)];
      for (int ch = 0; ch < 3; ++ch) {
        const int mean = int((ChannelOf(a, ch) + ChannelOf(b, ch) + ChannelOf(c, ch) + ChannelOf(d, ch)) / 4);
        // The sample point is x + 0.5 up to float rounding of the angle.
        ASSERT_LE(std::abs(int(ChannelOf(got, ch)) - mean), 1) << x << "," << y;
      }
    }
  EXPECT_GT(outside, 10000);
}

TEST_F(TexgenTest, DiagonalReliefAndBlur) {
  FillPattern(0);
  const TextureLayer t = L(0);
  Run({OpDiagonalRelief, 0, 1});
  for (int i : {0, 1000, 65535}) {  // the neighbour one row and one column on, wrapping
    const uint32_t s = t[(i + 257) & 65535], p = t[i];
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(ChannelOf(L(0)[i], c), uint32_t(std::max(0, int(ChannelOf(s, c)) - int(ChannelOf(p, c)))));
  }
  L(1).fill(0);
  L(1)[PixelIndex(0, 0)] = 0xFF00FF;
  Run({OpBlur, 1, 1});
  EXPECT_EQ(L(1)[PixelIndex(0, 0)], 0x7F007Fu);
  EXPECT_EQ(L(1)[PixelIndex(255, 0)], 0x1F001Fu);  // spreads across the wrap
  EXPECT_EQ(L(1)[PixelIndex(0, 255)], 0x1F001Fu);
  EXPECT_EQ(L(1)[PixelIndex(1, 1)], 0u);
}

TEST_F(TexgenTest, DisplaceByMapMayReadItsOwnTarget) {
  // A flat map of 128 at scale 128/256 moves everything by 64 pixels, map and target alike.
  Fill(1, 0x800080);
  Run({OpDisplaceByMap, 1, 1, 0, 128, 1, 2, 128});
  for (uint32_t p : L(1)) ASSERT_EQ(p, 0x800080u);
}
