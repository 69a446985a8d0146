// Filters and combiners: channel moves, combiners, tone operations, HSV.
#include "tests/texgen/texgen_test_util.h"

TEST_F(TexgenTest, ChannelMoves) {
  FillPattern(0);
  const TextureLayer before = L(0);
  for (uint32_t& p : L(0)) p |= 0x5A000000u;  // a stray top byte
  Run({OpSwapChannels, 0, 1, 0, 1});
  EXPECT_EQ(L(0), before);  // same channel of the same layer: only the top bytes clear
  Run({OpSwapChannels, 0, 0, 0, 2});
  for (int i = 0; i < TexturePixelCount; ++i) {
    const uint32_t p = before[i];
    ASSERT_EQ(L(0)[i], MakePixel(p & 255, (p >> 8) & 255, p >> 16));
  }
  // Three swaps exchange whole layers.
  FillPattern(0, 1);
  FillPattern(1, 2);
  const TextureLayer a = L(0), b = L(1);
  for (int c = 0; c < 3; ++c) Run({OpSwapChannels, 0, c, 1, c});
  EXPECT_EQ(L(0), b);
  EXPECT_EQ(L(1), a);

  Fill(2, 0x123456);
  Run({OpCopyChannel, 2, 0, 2, 2});
  EXPECT_EQ(L(2)[5], 0x563456u);
  Run({OpChannelToGrey, 2, 1});
  EXPECT_EQ(L(2)[5], 0x343434u);
}

TEST_F(TexgenTest, Combiners) {
  FillPattern(0);
  Fill(1, 0xFFFFFF);
  const TextureLayer t = L(0);
  Run({OpMultiply, 0, 1});
  for (int i = 0; i < TexturePixelCount; ++i)
    for (int c = 0; c < 3; ++c) ASSERT_EQ(ChannelOf(L(0)[i], c), ChannelOf(t[i], c) * 255 >> 8);
  Fill(0, 0xFF8000);
  Run({OpMultiply, 0, 1});
  EXPECT_EQ(L(0)[0], 0xFE7F00u);  // 255 -> 254, 128 -> 127

  Fill(0, 0x80F010);
  Fill(1, 0x902005);
  Run({OpAddSaturate, 0, 1});
  EXPECT_EQ(L(0)[0], 0xFFFF15u);
  Fill(0, 0x80F010);
  Run({OpLighten, 0, 1});
  EXPECT_EQ(L(0)[0], 0x90F010u);

  FillPattern(0, 3);
  FillPattern(1, 4);
  const TextureLayer keep = L(0), source = L(1);
  Run({OpCrossfade, 0, 1, 254});
  EXPECT_EQ(L(0), keep);
  Run({OpCrossfade, 0, 1, 0});
  EXPECT_EQ(L(0), source);
  Fill(0, 0x000000);
  Fill(1, 0xFEFEFE);
  Run({OpCrossfade, 0, 1, 128});  // k = 64: 63/127 of 254 plus nothing
  EXPECT_EQ(L(0)[0], 0x7E7E7Eu);

  // Masked blend: mask 255 keeps, mask 0 moves 255/256 of the way.
  Fill(0, 0x00FF80);
  Fill(1, 0xFF0040);
  Fill(2, 0x0000FF);
  Run({OpMaskedBlend, 0, 1, 2, 2});
  EXPECT_EQ(L(0)[0], 0x00FF80u);
  Run({OpMaskedBlend, 0, 1, 2, 0});
  EXPECT_EQ(L(0)[0], 0xFE0040u);  // 0 -> 254, 255 -> 0.996 -> 0, 128 -> 64.25 -> 64
}

TEST_F(TexgenTest, ToneOperations) {
  Fill(0, 0x81807F);
  Run({OpContrast, 0, 255});
  EXPECT_EQ(L(0)[0], 0x878079u);  // 129 -> 135, 128 stays, 127 -> 121
  Fill(0, 0x00FF10);
  Run({OpContrast, 0, 0});
  EXPECT_EQ(L(0)[0], 0x808080u);
  Fill(0, 0x00FF10);
  Run({OpContrast, 0, 32});
  EXPECT_EQ(L(0)[0], 0x01FF10u);  // unchanged except 0 -> 1

  Fill(0, 0x11223344);
  Run({OpInvertBlue, 0});
  EXPECT_EQ(L(0)[0], 0x112233BBu);  // red, green and top byte untouched

  FillPattern(1);
  const TextureLayer t = L(1);
  for (uint32_t map : {127u, 128u}) {
    Fill(2, map << 8);
    Run({OpShadeByChannel, 1, 2, 1});
    EXPECT_EQ(L(1), t) << map;
  }
  Fill(2, 255);
  Run({OpShadeByChannel, 1, 2, 2});
  for (uint32_t p : L(1)) ASSERT_EQ(p, 0xFFFFFFu);
  Fill(2, 0);
  Run({OpShadeByChannel, 1, 2, 2});
  for (uint32_t p : L(1)) ASSERT_EQ(p, 0u);

  Fill(3, 0xFF7F00);
  Run({OpBrightness, 3, 64});
  EXPECT_EQ(L(3)[0], 0x804000u);  // row 64: 255 -> 128, 127 -> 64

  Fill(0, 0x008000);
  Run({OpCosineRemap, 0, 1, 1});
  EXPECT_EQ(L(0)[0], 0x00FE00u);
  Fill(0, 0xFF00FF);
  Run({OpCosineRemap, 0, 2, 1});
  EXPECT_EQ(L(0)[0], 0xFF0000u);

  Fill(0, 0xFF80FF);
  Run({OpLevelRange, 0, 0, 0, 255});
  Run({OpLevelRange, 0, 1, 0, 255});
  EXPECT_EQ(L(0)[0], 0xFE7FFFu);  // 255 -> 254, 128 -> 127
  Run({OpLevelRange, 0, 2, 200, 100});
  EXPECT_EQ(L(0)[0], 0xFE7F64u);  // inverted ramp: 200 + 255 * -100 / 256 = 100.4
  Run({OpLevelRange, 0, 1, 9, 9});
  EXPECT_EQ(L(0)[0], 0xFE0964u);
}

TEST_F(TexgenTest, GradientMap) {
  FillPattern(0);
  Run({OpGradientMap, 0, 1, 7, 7, 8, 8, 9, 9});
  for (uint32_t p : L(0)) ASSERT_EQ(p, 0x070809u);
  Fill(0, 0x00C000);
  Run({OpGradientMap, 0, 1, 0, 255, 255, 0, 10, 20});
  EXPECT_EQ(L(0)[0], MakePixel(191, 63, 17));  // 192: 191.25, 255 - 191.25, 10 + 7.5
}

TEST_F(TexgenTest, HueSaturation) {
  for (uint32_t grey : {0u, 0x404040u, 0xFFFFFFu}) {
    for (int shift : {0, 77, 255}) {
      Fill(0, grey);
      Run({OpHueSaturation, 0, shift, 0});
      EXPECT_EQ(L(0)[0], grey) << shift;
    }
  }
  Fill(0, 0xFF0000);
  Run({OpHueSaturation, 0, 0, 255});
  EXPECT_EQ(L(0)[0], 0xFFFFFFu);  // fully desaturated red at value 255
  Fill(0, 0xFF0000);
  Run({OpHueSaturation, 0, 0, 0});
  EXPECT_EQ(L(0)[0], 0xFF0000u);
  // 85 x 1.40625 = 119.53 degrees: just short of green, red keeps 255 x 0.0078 = 1.99 -> 1.
  Run({OpHueSaturation, 0, 85, 0});
  EXPECT_EQ(L(0)[0], 0x01FF00u);

  const Hsv c = RgbToHsv(0, 128, 255);
  EXPECT_FLOAT_EQ(c.h, float(float(4 + (0.0 - 128) / 255) * 60.0));
  EXPECT_FLOAT_EQ(c.s, 1.0f);
  EXPECT_EQ(RgbToHsv(9, 9, 9).h, -1.0f);
  EXPECT_EQ(HsvToRgb(-120.0f, 1.0f, 200.0f), 0x0000C8u);  // wraps to 240 degrees
}
