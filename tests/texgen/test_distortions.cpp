// Distortions and convolutions: sampler, warps, scroll, twirl, reliefs, blur, smear.
#include <cmath>
#include <cstdlib>

#include "tests/texgen/texgen_test_util.h"

TEST_F(TexgenTest, BilinearSampler) {
  FillPattern(0);
  const TextureLayer& t = L(0);
  EXPECT_EQ(BilinearSample(t, 17.0f, 250.0f), t[PixelIndex(17, 250)]);
  EXPECT_EQ(BilinearSample(t, -1.0f, 256.0f), t[PixelIndex(255, 0)]);
  EXPECT_EQ(BilinearSample(t, 600.0f, -300.0f), t[PixelIndex(88, 212)]);
  L(1).fill(0);
  L(1)[PixelIndex(255, 255)] = 0xFF0000;
  L(1)[PixelIndex(0, 255)] = 0x00FF00;
  L(1)[PixelIndex(255, 0)] = 0x0000FF;
  // Halfway between the corners of the wrap: a quarter of each (63.75 truncated).
  EXPECT_EQ(BilinearSample(L(1), 255.5f, -0.5f), 0x3F3F3Fu);
  EXPECT_EQ(BilinearSample(L(1), -0.75f, 255.0f), 0xBF3F00u);  // x = 255.25: a quarter of the way to x = 0
}

TEST_F(TexgenTest, ScrollAndSineWarp) {
  FillPattern(0);
  const TextureLayer t = L(0);
  Run({OpScroll, 0, 0, 0});
  EXPECT_EQ(L(0), t);
  Run({OpScroll, 0, 1, 0});
  for (int y = 0; y < 256; y += 51) {
    EXPECT_EQ(L(0)[PixelIndex(0, y)], t[PixelIndex(1, y)]);
    EXPECT_EQ(L(0)[PixelIndex(255, y)], t[PixelIndex(0, y)]);
  }
  Run({OpScroll, 0, 255, 3});
  EXPECT_EQ(L(0)[PixelIndex(10, 10)], t[PixelIndex(10, 13)]);

  FillPattern(1);
  const TextureLayer u = L(1);
  Run({OpSineWarp, 1, 5, 7, 0, 0, 30, 40});
  EXPECT_EQ(L(1), u);
  // A vertical shift only (b3 = 0: dy = b5 everywhere) is a whole-pixel move.
  Run({OpSineWarp, 1, 0, 0, 0, 3, 0, 0});
  EXPECT_EQ(L(1)[PixelIndex(9, 9)], u[PixelIndex(9, 12)]);
}

TEST_F(TexgenTest, TwirlOutsideTheDiscIsAHalfPixelShift) {
  FillPattern(2);
  const TextureLayer t = L(2);
  Run({OpTwirl, 2, 200});
  int outside = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const double dx = x - 127.5, dy = y - 127.5;
      if (std::sqrt(dx * dx + dy * dy) <= 128.5) continue;
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
  // Inside, the two directions of twist differ.
  FillPattern(3);
  const TextureLayer s = L(3);
  Run({OpTwirl, 3, 0});
  Run({OpTwirl, 2, 255});
  EXPECT_NE(L(3), s);
}

TEST_F(TexgenTest, Reliefs) {
  FillPattern(0);
  const TextureLayer t = L(0);
  Run({OpDiagonalRelief, 0, 1});
  for (int i : {0, 1000, 65535}) {
    const uint32_t s = t[(i + 257) & 65535], p = t[i];
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(ChannelOf(L(0)[i], c), uint32_t(std::max(0, int(ChannelOf(s, c)) - int(ChannelOf(p, c)))));
  }
  FillPattern(0);
  Run({OpDiagonalRelief, 0, 0});
  for (uint32_t p : L(0)) ASSERT_EQ(p, 0u);
  Fill(0, 0x336699);
  Run({OpDiagonalRelief, 0, 77});
  for (uint32_t p : L(0)) ASSERT_EQ(p, 0u);

  Fill(1, 0x336699);
  Run({OpHorizontalRelief, 1});
  for (uint32_t p : L(1)) ASSERT_EQ(p, 0x808080u);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) L(1)[PixelIndex(x, y)] = MakePixel(x, 255 - x, 0);
  Run({OpHorizontalRelief, 1});
  EXPECT_EQ(L(1)[PixelIndex(10, 10)], 0x867A80u);  // 128 + 3 rows x 2 for the rise, - 6 for the fall
  EXPECT_EQ(L(1)[PixelIndex(0, 10)], 0x00FF80u);   // the wrap from 255 to 0: clamped
}

TEST_F(TexgenTest, Blur) {
  FillPattern(0);
  const TextureLayer t = L(0);
  Run({OpBlur, 0, 0});
  EXPECT_EQ(L(0), t);
  Fill(1, 0x336699);
  Run({OpBlur, 1, 5});
  for (uint32_t p : L(1)) ASSERT_EQ(p, 0x336699u);
  L(1).fill(0);
  L(1)[PixelIndex(0, 0)] = 0xFF00FF;
  Run({OpBlur, 1, 1});
  EXPECT_EQ(L(1)[PixelIndex(0, 0)], 0x7F007Fu);
  EXPECT_EQ(L(1)[PixelIndex(255, 0)], 0x1F001Fu);
  EXPECT_EQ(L(1)[PixelIndex(0, 255)], 0x1F001Fu);
  EXPECT_EQ(L(1)[PixelIndex(1, 1)], 0u);
}

TEST_F(TexgenTest, DisplaceByMap) {
  FillPattern(0);
  const TextureLayer t = L(0);
  Run({OpDisplaceByMap, 0, 0, 1, 0, 0, 2, 0});
  EXPECT_EQ(L(0), t);
  // A flat map of 128 at scale 128/256 moves everything by 64 pixels; the map may be T.
  Fill(1, 0x800080);
  Run({OpDisplaceByMap, 1, 1, 0, 128, 1, 2, 128});
  for (uint32_t p : L(1)) ASSERT_EQ(p, 0x800080u);
  Fill(2, 0x008000);
  Run({OpDisplaceByMap, 0, 2, 1, 128, 2, 1, 64});
  EXPECT_EQ(L(0)[PixelIndex(3, 5)], t[PixelIndex(67, 37)]);
}

TEST_F(TexgenTest, DirectionalSmear) {
  FillPattern(0);
  Run({OpDirectionalSmear, 0, 1, 0, 1});  // one sample: only the two blur passes
  FillPattern(1);
  Run({OpBlur, 1, 2});
  EXPECT_EQ(L(0), L(1));
  // Angle 0 walks down the column: 4 samples at rows y, y+2, y+4, y+6.
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) L(2)[PixelIndex(x, y)] = MakePixel(y, 0, x);
  L(3).fill(0);
  Run({OpDirectionalSmear, 2, 3, 0, 4});
  // Row 100 before blurring averages rows 100..106 (103), and the blur of a linear ramp keeps it.
  EXPECT_EQ(ChannelOf(L(2)[PixelIndex(50, 100)], 0), 103u);
  EXPECT_EQ(ChannelOf(L(2)[PixelIndex(50, 100)], 2), 50u);
}
