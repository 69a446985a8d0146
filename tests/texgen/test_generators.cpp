// Generators the shipped scripts do not use (the golden texture hashes pin the rest), and the
// operand values that must write nothing.
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
