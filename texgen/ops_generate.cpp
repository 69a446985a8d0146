// texgen/ops_generate.cpp: the operations that make content from nothing: lattice value
// noise (cosine-interpolated in 16.16 fixed point, cubic in floats), the cell pattern,
// the sine plasma, the radial glow, the one-bit bitmap and clearing.
#include <algorithm>
#include <cmath>

#include "texgen/ops.h"
#include "texgen/script_format.h"

namespace {
// 2 pi / 256 and pi from pi rounded to single precision: the angles of the generated textures
// (and so their golden hashes) are those this rounding gives, not those of the exact pi.
constexpr double kTurnStep = 0.02454369328916073;
constexpr double kSinglePi = 3.1415927410125732;

uint32_t SeedFrom(Record b, int first) {
  return uint32_t(b[first]) << 24 | uint32_t(b[first + 1]) << 16 | uint32_t(b[first + 2]) << 8 | uint32_t(b[first + 3]);
}

std::span<int32_t, TexturePixelCount> AsSigned(TextureLayer& layer) {
  return std::span<int32_t, TexturePixelCount>(reinterpret_cast<int32_t*>(layer.data()), TexturePixelCount);
}

// Four lattice values a, b, c, d around position t of s between b and c.
inline double CubicInterpolate(double a, double b, double c, double d, int t, int s) {
  const double u = double(t) / s;
  const double p = (d - c) - (a - b);
  const double q = (a - b) - p;
  const double r = c - a;
  return p * u * u * u + q * u * u + r * u + b;
}

void ReplaceChannelFrom(TextureLayer& layer, int channel, const auto& valueAt) {
  const int shift = ChannelShift(channel);
  const uint32_t keep = 0x00FFFFFFu - (0xFFu << shift);
  for (int i = 0; i < TexturePixelCount; ++i) layer[i] = (layer[i] & keep) | (uint32_t(valueAt(i)) << shift);
}
}  // namespace

int32_t NoiseHash(uint32_t seed, int32_t n) {
  // Unsigned arithmetic gives the two's-complement wrap-around without overflow.
  const uint32_t x = (uint32_t(n) << 13) ^ uint32_t(n);
  const uint32_t v = (seed + x) * (x * x * 15731u + 789221u) + 1376312589u;
  return int32_t(v) / 12359;
}

void CosineNoiseOctave(std::span<int32_t, TexturePixelCount> d, uint32_t seed, int s, float amplitude) {
  std::fill(d.begin(), d.end(), 0);
  const float factor = amplitude * (1.0f / 256.0f);
  int32_t n = 0;
  for (int y = 0; y < 256; y += s)
    for (int x = 0; x < 256; x += s) d[y * 256 + x] = int32_t((NoiseHash(seed, n++) & 255) * double(factor)) << 16;

  int32_t w[128];
  for (int j = 0; j < s; ++j) w[j] = int32_t((1.0 - std::cos(j * kSinglePi / s)) * 0.5 * 256);

  const int cell = 256 - s;
  // Rows first, on lattice rows only; lattice columns keep their value (weight 0).
  for (int y = 0; y < 256; y += s) {
    int32_t* row = d.data() + y * 256;
    for (int x = 0; x < 256; ++x) {
      const int32_t a = row[x & cell], b = row[((x & cell) + s) & 255];
      row[x] = a + (((b - a) * w[x & (s - 1)]) >> 8);
    }
  }
  // Then columns for every row; lattice rows are unchanged, so working in place is exact.
  for (int y = 1; y < 256; ++y) {
    if ((y & (s - 1)) == 0) continue;
    const int32_t* ra = d.data() + (y & cell) * 256;
    const int32_t* rb = d.data() + (((y & cell) + s) & 255) * 256;
    const int32_t wy = w[y & (s - 1)];
    int32_t* out = d.data() + y * 256;
    for (int x = 0; x < 256; ++x) out[x] = ra[x] + (((rb[x] - ra[x]) * wy) >> 8);
  }
}

void CubicNoiseOctave(std::span<float, TexturePixelCount> d, uint32_t seed, int s, float amplitude) {
  std::fill(d.begin(), d.end(), 0.0f);
  const float factor = amplitude * (1.0f / 256.0f);
  int32_t n = 0;
  for (int y = 0; y < 256; y += s)
    for (int x = 0; x < 256; x += s) d[y * 256 + x] = float((NoiseHash(seed, n++) & 255) * double(factor));

  const int cell = 256 - s;
  for (int y = 0; y < 256; y += s) {
    float* row = d.data() + y * 256;
    for (int x = 1; x < 256; ++x) {
      const int k = x & cell;
      row[x] = float(CubicInterpolate(row[(k - s) & 255], row[k], row[(k + s) & 255], row[(k + 2 * s) & 255], x & (s - 1), s));
    }
  }
  for (int y = 1; y < 256; ++y) {
    const int k = y & cell;
    const float* ra = d.data() + ((k - s) & 255) * 256;
    const float* rb = d.data() + k * 256;
    const float* rc = d.data() + ((k + s) & 255) * 256;
    const float* rd = d.data() + ((k + 2 * s) & 255) * 256;
    const int t = y & (s - 1);
    float* out = d.data() + y * 256;
    for (int x = 0; x < 256; ++x) out[x] = float(CubicInterpolate(ra[x], rb[x], rc[x], rd[x], t, s));
  }
}

void FractalNoise(TextureGenerator& g, int layer, Record b) {
  g.noiseSeed = SeedFrom(b, 4);
  const auto sum = AsSigned(g.scratchA);
  const auto octave = AsSigned(g.scratchB);
  CosineNoiseOctave(sum, g.noiseSeed, 128, 128.0f);
  for (int s = 64; s >= 1; s >>= 1) {
    CosineNoiseOctave(octave, g.noiseSeed, s, float(s));
    for (int i = 0; i < TexturePixelCount; ++i) sum[i] += octave[i];
  }
  // The octaves add up to at most 247, so the integer part needs no clamp.
  ReplaceChannelFrom(g.layers[layer], b[2], [&](int i) { return uint32_t(sum[i]) >> 16; });
}

void CubicNoise(TextureGenerator& g, int layer, Record b) {
  const int step = b[3];
  if (step == 0) return;
  g.noiseSeed = SeedFrom(b, 4);
  CubicNoiseOctave(g.floatImage, g.noiseSeed, step, 255.0f);
  ReplaceChannelFrom(g.layers[layer], b[2], [&](int i) { return std::clamp(int(g.floatImage[i]), 0, 255); });
}

void CellPattern(TextureGenerator& g, int layer, Record b) {
  const float scale = float(b[4] * 0.0390625);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const double dist = std::sqrt(double((x - 128) * (x - 128) + (y - 128) * (y - 128)));
      g.coneImage[y * 256 + x] = uint8_t(int(std::min(dist * scale, 255.0)));
    }
  g.noiseSeed = SeedFrom(b, 5);
  std::fill(g.byteImage.begin(), g.byteImage.end(), uint8_t(255));
  for (int p = 0; p < b[3]; ++p) {
    const int px = NoiseHash(g.noiseSeed, 2 * p) & 255;
    const int py = NoiseHash(g.noiseSeed, 2 * p + 1) & 255;
    // Cone pixel (cx, cy) lands on ((cx + px + 128) & 255, (cy + py + 128) & 255): each cone
    // row covers one full image row, split in two runs at the wrap.
    const int shift = (px + 128) & 255;
    for (int cy = 0; cy < 256; ++cy) {
      const uint8_t* cone = g.coneImage.data() + cy * 256;
      uint8_t* row = g.byteImage.data() + ((cy + py + 128) & 255) * 256;
      for (int cx = 0; cx < 256 - shift; ++cx) row[cx + shift] = std::min(row[cx + shift], cone[cx]);
      for (int cx = 256 - shift; cx < 256; ++cx) row[cx + shift - 256] = std::min(row[cx + shift - 256], cone[cx]);
    }
  }
  ReplaceChannelFrom(g.layers[layer], b[2], [&](int i) { return g.byteImage[i]; });
}

void SinePlasma(TextureGenerator& g, int layer, Record b) {
  double rowSin[256], colSin[256];
  for (int i = 0; i < 256; ++i) {
    rowSin[i] = std::sin(b[3] * (i + b[5]) * kTurnStep);
    colSin[i] = std::sin(b[2] * (i + b[4]) * kTurnStep);
  }
  const int shift = ChannelShift(b[8]);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      g.scratchA[y * 256 + x] = uint32_t(int((rowSin[y] + colSin[x]) * 63 + 127)) << shift;
  const uint32_t keep = 0x00FFFFFFu - (0xFFu << shift);
  TextureLayer& t = g.layers[layer];
  for (int i = 0; i < TexturePixelCount; ++i) t[i] = (t[i] & keep) | g.scratchA[i];
}

void RadialGlow(TextureGenerator& g, int layer, Record b) {
  const int mode = b[2];
  if (mode > 1) return;
  const float d = mode == 0 ? 1.0f : float(b[4] * (1.0 / 256) + 0.8);
  TextureLayer& t = g.layers[layer];
  const int shift = ChannelShift(b[3]);
  const uint32_t keep = 0x00FFFFFFu - (0xFFu << shift);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const double dist = std::sqrt(double((x - 128) * (x - 128) + (y - 128) * (y - 128)));
      const uint32_t v = uint32_t(std::clamp(int(255 - d * dist * 2), 0, 255));
      uint32_t& p = t[y * 256 + x];
      p = mode == 0 ? v * 0x010101u : (p & keep) | (v << shift);
    }
}

void ClearLayer(TextureGenerator& g, int layer, Record) { g.layers[layer].fill(0); }

void Bitmap(TextureGenerator& g, int layer, Record b) {
  const uint32_t zero = MakePixel(b[2], b[3], b[4]);
  const uint32_t one = MakePixel(b[5], b[6], b[7]);
  const uint8_t* bits = b + InstructionSize;  // the bitmap follows the record
  TextureLayer& t = g.layers[layer];
  for (int i = 0; i < TexturePixelCount; ++i) t[i] = (bits[i >> 3] >> (i & 7)) & 1 ? one : zero;
}
