// Generators: the noise hash, fractal and cubic noise, cells, plasma, glow, bitmap.
#include <cmath>

#include "tests/texgen/texgen_test_util.h"

namespace {
uint32_t MaxChannel(const TextureLayer& l, int c) {
  uint32_t m = 0;
  for (uint32_t p : l) m = std::max(m, ChannelOf(p, c));
  return m;
}
}  // namespace

TEST(NoiseHash, KnownValues) {
  EXPECT_EQ(NoiseHash(0, 0), 111361);
  EXPECT_EQ(NoiseHash(0, 1), 106546);
  EXPECT_EQ(NoiseHash(0, 2), 61368);
  EXPECT_EQ(NoiseHash(0, 3), -64535);
  const int low[4] = {80, 212, 216, 176};
  for (int n = 0; n < 4; ++n) EXPECT_EQ(NoiseHash(0x81FB863Du, n) & 255, low[n]);
}

TEST_F(TexgenTest, FractalNoiseStaysBelow248AndSetsTheSeed) {
  uint32_t highest = 0;
  for (int s = 0; s < 6; ++s) {
    Fill(1, 0x123456);
    Run({OpFractalNoise, 1, 1, 0, s * 37, 0xFB, 0x86, s});
    highest = std::max(highest, MaxChannel(L(1), 1));
    EXPECT_EQ(gen->noiseSeed, uint32_t(s * 37) << 24 | 0xFB86u << 8 | uint32_t(s));
    for (uint32_t p : L(1)) ASSERT_EQ(p & 0xFF00FFu, 0x120056u);  // only green changes
  }
  EXPECT_LE(highest, 247u);
  EXPECT_GT(highest, 150u);
}

TEST_F(TexgenTest, CubicNoiseLatticeAndStepZero) {
  gen->noiseSeed = 77;
  Fill(0, 0x010203);
  Run({OpCubicNoise, 0, 1, 0, 1, 2, 3, 4});
  for (uint32_t p : L(0)) ASSERT_EQ(p, 0x010203u);
  EXPECT_EQ(gen->noiseSeed, 77u);

  Run({OpCubicNoise, 0, 1, 32, 1, 2, 3, 4});
  const uint32_t seed = 0x01020304;
  EXPECT_EQ(gen->noiseSeed, seed);
  // Halfway between two lattice points of one row the cubic gives (-a + 5b + 5c - d) / 8.
  std::vector<float> f(TexturePixelCount);
  CubicNoiseOctave(std::span<float, TexturePixelCount>(f.data(), TexturePixelCount), seed, 32, 255.0f);
  const double a = f[7 * 32], b = f[0], c = f[32], d = f[64];
  EXPECT_EQ(f[16], float((-a + 5 * b + 5 * c - d) / 8));
}

TEST_F(TexgenTest, CellPatternCones) {
  Fill(2, 0xABCDEF);
  Run({OpCellPattern, 2, 1, 0, 80, 1, 2, 3, 4});
  for (uint32_t p : L(2)) ASSERT_EQ(p, 0xABFFEFu);  // no points: 255 everywhere
  Run({OpCellPattern, 2, 1, 30, 0, 1, 2, 3, 4});
  for (uint32_t p : L(2)) ASSERT_EQ(p, 0xAB00EFu);  // scale 0: distance 0 everywhere

  Run({OpCellPattern, 2, 0, 1, 40, 0, 0, 0, 9});
  const int px = NoiseHash(9, 0) & 255, py = NoiseHash(9, 1) & 255;
  const double scale = 40 * 0.0390625;
  EXPECT_EQ(ChannelOf(L(2)[PixelIndex(px, py)], 0), 0u);
  EXPECT_EQ(ChannelOf(L(2)[PixelIndex(px + 3, py + 4)], 0), uint32_t(5 * scale));
  // Wrapped offsets: -128 is the far edge, 127 the other.
  EXPECT_EQ(ChannelOf(L(2)[PixelIndex(px - 128, py)], 0), uint32_t(std::min(128 * scale, 255.0)));
  EXPECT_EQ(ChannelOf(L(2)[PixelIndex(px + 127, py - 2)], 0), uint32_t(std::min(std::sqrt(127.0 * 127 + 4) * scale, 255.0)));
}

TEST_F(TexgenTest, SinePlasmaAndGlow) {
  Fill(0, 0x0000FF);
  Run({OpSinePlasma, 0, 0, 0, 5, 9, 0, 0, 1});
  for (uint32_t p : L(0)) ASSERT_EQ(p, 0x007FFFu);
  Run({OpSinePlasma, 0, 1, 0, 0, 0, 0, 0, 0});
  // One period across x: x = 64 is the crest, 192 the trough.
  EXPECT_EQ(ChannelOf(L(0)[64], 0), 189u);  // the single-precision step puts 64 just past the crest
  EXPECT_EQ(ChannelOf(L(0)[192], 0), 64u);

  Fill(1, 0x445566);
  Run({OpRadialGlow, 1, 2, 0, 0});  // unknown mode writes nothing
  for (uint32_t p : L(1)) ASSERT_EQ(p, 0x445566u);
  Run({OpRadialGlow, 1, 0});
  EXPECT_EQ(L(1)[PixelIndex(128, 128)], 0xFFFFFFu);
  EXPECT_EQ(L(1)[PixelIndex(0, 0)], 0u);
  EXPECT_EQ(L(1)[PixelIndex(128, 28)], 0x373737u);  // 255 - 200 = 55
  Fill(1, 0x445566);
  Run({OpRadialGlow, 1, 1, 2, 0});  // falloff 0.8, blue only
  EXPECT_EQ(L(1)[PixelIndex(128, 28)], 0x445500u | uint32_t(int(255 - double(0.8f) * 100 * 2)));
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
