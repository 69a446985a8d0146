// Distortions the shipped scripts do not use (the golden texture hashes pin the rest), and
// a displacement whose map is its own target.
#include <cmath>
#include <cstdlib>

#include "tests/texgen/texgen_test_util.h"

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
