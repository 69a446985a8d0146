// texgen/ops_distort.cpp: the operations that move or mix neighbouring pixels: warps
// through a wrap-around bilinear sampler, scroll, twirl, directional smear, blur and the
// two reliefs. Each builds its result in scratchA from the untouched target and copies
// it back, so no output pixel feeds another.
#include <algorithm>
#include <cmath>
#include <vector>

#include "texgen/ops.h"

namespace {
constexpr double kTurnStep = 0.02454369328916073;  // 2 pi / 256 from single precision

void CopyBack(TextureGenerator& g, int layer) { g.layers[layer] = g.scratchA; }

// 0x00RRGGBB to 0x000000RR00GG00BB.
inline uint64_t Spread(uint64_t p) { return (p & 0xFF) | (p & 0xFF00) << 8 | (p & 0xFF0000) << 16; }

inline float WrapCoordinate(float c) {
  while (c < 0) c = c + 256.0f;
  while (c >= 256) c = c - 256.0f;
  return c;
}
}  // namespace

// Coordinates arrive as 32-bit floats and wrap in floats; the interpolation itself runs
// in double precision.
uint32_t BilinearSample(const TextureLayer& layer, float x, float y) {
  x = WrapCoordinate(x);
  y = WrapCoordinate(y);
  // Both are now in 0..256, so truncation is the floor.
  const int ix = int(x), iy = int(y);
  const double fx = x - float(ix), fy = y - float(iy);
  const uint32_t a = layer[(iy << 8) | ix];
  const uint32_t b = layer[(iy << 8) | ((ix + 1) & 255)];
  const uint32_t c = layer[(((iy + 1) & 255) << 8) | ix];
  const uint32_t d = layer[(((iy + 1) & 255) << 8) | ((ix + 1) & 255)];
  uint32_t out = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const double va = (a >> shift) & 255, vb = (b >> shift) & 255, vc = (c >> shift) & 255, vd = (d >> shift) & 255;
    const double top = va + fx * (vb - va);
    const double bottom = vc + fx * (vd - vc);
    out |= uint32_t(int(top + fy * (bottom - top))) << shift;
  }
  return out;
}

void SineWarp(TextureGenerator& g, int layer, Record b) {
  float dy[256];
  for (int x = 0; x < 256; ++x) dy[x] = float(b[5] * std::cos(b[3] * (x + b[7]) * kTurnStep));
  const TextureLayer& t = g.layers[layer];
  for (int y = 0; y < 256; ++y) {
    const float dx = float(b[4] * std::sin((y + b[6]) * b[2] * kTurnStep));
    for (int x = 0; x < 256; ++x) g.scratchA[y * 256 + x] = BilinearSample(t, float(x + double(dx)), float(y + double(dy[x])));
  }
  CopyBack(g, layer);
}

void Scroll(TextureGenerator& g, int layer, Record b) {
  const TextureLayer& t = g.layers[layer];
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) g.scratchA[y * 256 + x] = t[PixelIndex(x + b[2], y + b[3])];
  CopyBack(g, layer);
}

void Twirl(TextureGenerator& g, int layer, Record b) {
  const float k = float((b[2] - 127.5) * 0.03125);
  const double sign = k > 0 ? -1.0 : 1.0;
  const TextureLayer& t = g.layers[layer];
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const float dx = float(x - 127.5), dy = float(y - 127.5);
      const float r = float(std::sqrt(double(dx) * dx + double(dy) * dy));
      const float phi = float(std::atan2(double(dx), double(dy)) * 40.74366429772945);
      const float w = 128 - double(r) < 0 ? 0.0f : float(std::cos((128 - double(r)) * k * 0.012271846644580364) * 128 + 128);
      const float theta = float((phi + sign * w) * kTurnStep);
      g.scratchA[y * 256 + x] = BilinearSample(t, float(std::sin(double(theta)) * r + 128), float(std::cos(double(theta)) * r + 128));
    }
  CopyBack(g, layer);
}

void DiagonalRelief(TextureGenerator& g, int layer, Record b) {
  const int o = b[2] * 257;
  const TextureLayer& t = g.layers[layer];
  auto diff = [](uint32_t s, uint32_t p) { return s > p ? s - p : 0u; };
  for (int i = 0; i < TexturePixelCount; ++i) {
    const uint32_t s = t[(i + o) & 65535], p = t[i];
    g.scratchA[i] = MakePixel(diff((s >> 16) & 255, (p >> 16) & 255), diff((s >> 8) & 255, (p >> 8) & 255), diff(s & 255, p & 255));
  }
  CopyBack(g, layer);
}

void BlurPasses(TextureGenerator& g, int layer, int passes) {
  TextureLayer& t = g.layers[layer];
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < 256; ++y) {
      const uint32_t* up = t.data() + ((y - 1) & 255) * 256;
      const uint32_t* mid = t.data() + y * 256;
      const uint32_t* down = t.data() + ((y + 1) & 255) * 256;
      uint32_t* out = g.scratchA.data() + y * 256;
      for (int x = 0; x < 256; ++x) {
        // Channels spread 16 bits apart so the five-point sum (at most 2,040) of all three
        // is one 64-bit addition.
        const uint64_t sum = 4 * Spread(mid[x]) + Spread(mid[(x - 1) & 255]) + Spread(mid[(x + 1) & 255]) +
                             Spread(up[x]) + Spread(down[x]);
        const uint64_t v = (sum >> 3) & 0x000000FF00FF00FFull;
        out[x] = uint32_t(v >> 16 & 0xFF0000) | uint32_t(v >> 8 & 0xFF00) | uint32_t(v & 0xFF);
      }
    }
    CopyBack(g, layer);
  }
}

void Blur(TextureGenerator& g, int layer, Record b) { BlurPasses(g, layer, b[2]); }

void DisplaceByMap(TextureGenerator& g, int layer, Record b) {
  const TextureLayer& t = g.layers[layer];
  const TextureLayer& mx = g.layers[b[2]];
  const TextureLayer& my = g.layers[b[5]];
  const int cx = b[3], cy = b[6];
  // The sample point is x + (b4 / 256) u: a whole part plus k / 256 with k = b4 u mod 256,
  // exact in 32-bit floats. With weights of k / 256 the bilinear blend is exact in double
  // precision, so it is computed here in integers scaled by 256 x 256 with the same result
  // as BilinearSample at those coordinates.
  const int sx = b[4], sy = b[7];
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const int i = y * 256 + x;
      const int du = sx * int(ChannelOf(mx[i], cx)), dv = sy * int(ChannelOf(my[i], cy));
      const int ix = (x + (du >> 8)) & 255, iy = (y + (dv >> 8)) & 255;
      const int kx = du & 255, ky = dv & 255;
      const int ix1 = (ix + 1) & 255, iy1 = (iy + 1) & 255;
      const uint32_t pa = t[(iy << 8) | ix], pb = t[(iy << 8) | ix1], pc = t[(iy1 << 8) | ix], pd = t[(iy1 << 8) | ix1];
      uint32_t out = 0;
      for (int shift = 16; shift >= 0; shift -= 8) {
        const int va = (pa >> shift) & 255, vb = (pb >> shift) & 255, vc = (pc >> shift) & 255, vd = (pd >> shift) & 255;
        const int top = 256 * va + kx * (vb - va);
        const int bottom = 256 * vc + kx * (vd - vc);
        out |= uint32_t((256 * top + ky * (bottom - top)) >> 16) << shift;
      }
      g.scratchA[i] = out;
    }
  CopyBack(g, layer);
}

void DirectionalSmear(TextureGenerator& g, int layer, Record b) {
  const TextureLayer& t = g.layers[layer];
  const TextureLayer& map = g.layers[b[2]];
  const int cm = b[3], n = b[4];
  // Sample j of a pixel lies at truncate(x + j sa), truncate(y + j ca), computed in double
  // from the 32-bit sine and cosine of the map angle. With f = j sa that is x + floor(f)
  // when x + f >= 0 and x + ceil(f) otherwise: the double sum never rounds across an
  // integer (f is a short float multiple, at least 2^-28 away from any integer it is
  // not), so the steps are tabled per angle and sample as integers.
  std::vector<int16_t> steps(size_t(256) * n * 4);
  // Pixels whose samples all take the floor and stay inside the square (the bulk of the
  // image) need neither the choice nor the wrap: one linear offset per sample.
  std::vector<int32_t> linear(size_t(256) * n);
  struct Box {
    int x0, x1, y0, y1;
  };
  std::array<Box, 256> inside;
  for (int a = 0; a < 256; ++a) {
    const double sa = float(std::sin(a * kTurnStep)), ca = float(std::cos(a * kTurnStep));
    int16_t* st = steps.data() + size_t(a) * n * 4;
    Box box{0, 255, 0, 255};
    for (int k = 0; k < n; ++k) {
      const double fx = 2 * k * sa, fy = 2 * k * ca;
      const int flx = int(std::floor(fx)), fly = int(std::floor(fy));
      st[4 * k] = int16_t(flx), st[4 * k + 1] = int16_t(std::ceil(fx));
      st[4 * k + 2] = int16_t(fly), st[4 * k + 3] = int16_t(std::ceil(fy));
      linear[size_t(a) * n + k] = fly * 256 + flx;
      box.x0 = std::max(box.x0, -flx), box.x1 = std::min(box.x1, 255 - flx);
      box.y0 = std::max(box.y0, -fly), box.y1 = std::min(box.y1, 255 - fly);
    }
    inside[a] = box;
  }
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const uint32_t a = ChannelOf(map[y * 256 + x], cm);
      // The three channel sums share one 64-bit word, 16 bits apart: at most 255 samples
      // of 255 fit in each field.
      uint64_t sum = 0;
      const Box& box = inside[a];
      if (x >= box.x0 && x <= box.x1 && y >= box.y0 && y <= box.y1) {
        const uint32_t* at = t.data() + y * 256 + x;
        const int32_t* off = linear.data() + size_t(a) * n;
        for (int k = 0; k < n; ++k) sum += Spread(at[off[k]]);
      } else {
        const int16_t* st = steps.data() + size_t(a) * n * 4;
        for (int k = 0; k < n; ++k, st += 4) {
          const int col = (x + (x >= -st[0] ? st[0] : st[1])) & 255;
          const int row = (y + (y >= -st[2] ? st[2] : st[3])) & 255;
          sum += Spread(t[row * 256 + col]);
        }
      }
      const uint32_t r = uint32_t(sum >> 32), gg = uint32_t(sum >> 16) & 0xFFFF, bb = uint32_t(sum) & 0xFFFF;
      g.scratchA[y * 256 + x] = MakePixel(r / n, gg / n, bb / n);
    }
  CopyBack(g, layer);
  BlurPasses(g, layer, 2);
}

void HorizontalRelief(TextureGenerator& g, int layer, Record) {
  const TextureLayer& t = g.layers[layer];
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      uint32_t v = 0;
      for (int shift = 16; shift >= 0; shift -= 8) {
        int sum = 128;
        for (int dy = -1; dy <= 1; ++dy)
          sum += int((t[PixelIndex(x + 1, y + dy)] >> shift) & 255) - int((t[PixelIndex(x - 1, y + dy)] >> shift) & 255);
        v |= uint32_t(std::clamp(sum, 0, 255)) << shift;
      }
      g.scratchA[y * 256 + x] = v;
    }
  CopyBack(g, layer);
}
