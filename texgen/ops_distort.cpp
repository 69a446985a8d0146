// texgen/ops_distort.cpp: the operations that move or mix neighbouring pixels: warps
// through a wrap-around bilinear sampler, scroll, twirl, directional smear, blur and the
// two reliefs. Each builds its result in scratchA from the untouched target and copies
// it back, so no output pixel feeds another.
#include <algorithm>
#include <cmath>

#include "texgen/ops.h"

namespace {
constexpr double kTurnStep = 0.02454369328916073;  // 2 pi / 256 from single precision

void CopyBack(TextureGenerator& g, int layer) { g.layers[layer] = g.scratchA; }

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
  const int ix = int(std::floor(x)), iy = int(std::floor(y));
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
        const uint32_t c = mid[x], l = mid[(x - 1) & 255], r = mid[(x + 1) & 255], u = up[x], d = down[x];
        uint32_t v = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
          const uint32_t sum = 4 * ((c >> shift) & 255) + ((l >> shift) & 255) + ((r >> shift) & 255) +
                               ((u >> shift) & 255) + ((d >> shift) & 255);
          v |= (sum >> 3) << shift;
        }
        out[x] = v;
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
  const float sx = float(b[4] / 256.0), sy = float(b[7] / 256.0);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const int i = y * 256 + x;
      const double u = ChannelOf(mx[i], cx), v = ChannelOf(my[i], cy);
      g.scratchA[i] = BilinearSample(t, float(sx * u + x), float(y + sy * v));
    }
  CopyBack(g, layer);
}

void DirectionalSmear(TextureGenerator& g, int layer, Record b) {
  float sinOf[256], cosOf[256];
  for (int v = 0; v < 256; ++v) {
    sinOf[v] = float(std::sin(v * kTurnStep));
    cosOf[v] = float(std::cos(v * kTurnStep));
  }
  const TextureLayer& t = g.layers[layer];
  const TextureLayer& map = g.layers[b[2]];
  const int cm = b[3], n = b[4];
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const uint32_t a = ChannelOf(map[y * 256 + x], cm);
      const double sa = sinOf[a], ca = cosOf[a];
      uint32_t r = 0, gg = 0, bb = 0;
      for (int j = 0; j < 2 * n; j += 2) {
        // Truncation toward zero comes before the wrap.
        const int col = int(x + j * sa) & 255, row = int(y + j * ca) & 255;
        const uint32_t p = t[row * 256 + col];
        r += (p >> 16) & 255, gg += (p >> 8) & 255, bb += p & 255;
      }
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
