// texgen/ops_filter.cpp: the operations that work pixel by pixel: channel moves, layer
// combiners and colour remaps (formulas, the tone table, HSV, colour ramps). Where a formula
// divides a non-negative result by 256 and truncates, the integer shift used here gives the
// same value.
#include <algorithm>
#include <cmath>

#include "texgen/ops.h"

namespace {
// Applies f to red, green and blue of each pixel of t (and of o at the same index).
template <typename F>
void PerChannel(TextureLayer& t, F f) {
  for (uint32_t& p : t) p = MakePixel(f((p >> 16) & 255), f((p >> 8) & 255), f(p & 255));
}
template <typename F>
void PerChannelWith(TextureLayer& t, const TextureLayer& o, F f) {
  for (int i = 0; i < TexturePixelCount; ++i) {
    const uint32_t p = t[i], q = o[i];
    t[i] = MakePixel(f((p >> 16) & 255, (q >> 16) & 255), f((p >> 8) & 255, (q >> 8) & 255), f(p & 255, q & 255));
  }
}
uint32_t KeepMask(int channel) { return 0x00FFFFFFu - (0xFFu << ChannelShift(channel)); }
// from + v * (to - from) / 256, truncated; never negative, so the shift floors alike.
inline uint32_t Ramp(int from, int to, int v) { return uint32_t(from + ((v * (to - from)) >> 8)); }
}  // namespace

void SwapChannels(TextureGenerator& g, int layer, Record b) {
  TextureLayer& t = g.layers[layer];
  TextureLayer& o = g.layers[b[3]];
  const int ct = b[2], co = b[4];
  for (int i = 0; i < TexturePixelCount; ++i) {
    g.scratchA[i] = ChannelOf(o[i], co) << ChannelShift(ct);
    g.scratchB[i] = ChannelOf(t[i], ct) << ChannelShift(co);
  }
  const uint32_t keepT = KeepMask(ct), keepO = KeepMask(co);
  for (int i = 0; i < TexturePixelCount; ++i) t[i] = (t[i] & keepT) | g.scratchA[i];
  for (int i = 0; i < TexturePixelCount; ++i) o[i] = (o[i] & keepO) | g.scratchB[i];
}

void ChannelToGrey(TextureGenerator& g, int layer, Record b) {
  for (uint32_t& p : g.layers[layer]) p = ChannelOf(p, b[2]) * 0x010101u;
}

void CopyChannel(TextureGenerator& g, int layer, Record b) {
  TextureLayer& t = g.layers[layer];
  const TextureLayer& s = g.layers[b[3]];
  const int ct = b[2], cs = b[4];
  for (int i = 0; i < TexturePixelCount; ++i) g.scratchA[i] = ChannelOf(s[i], cs) << ChannelShift(ct);
  const uint32_t keep = KeepMask(ct);
  for (int i = 0; i < TexturePixelCount; ++i) t[i] = (t[i] & keep) | g.scratchA[i];
}

void Crossfade(TextureGenerator& g, int layer, Record b) {
  const uint32_t k = b[3] >> 1;
  const uint8_t* keepRow = g.toneTable.data() + k * 256;
  const uint8_t* takeRow = g.toneTable.data() + (127 - k) * 256;
  TextureLayer& t = g.layers[layer];
  const TextureLayer& s = g.layers[b[2]];
  for (int i = 0; i < TexturePixelCount; ++i) {
    const uint32_t p = t[i], q = s[i];
    const uint32_t r = takeRow[(q >> 16) & 255] + keepRow[(p >> 16) & 255];
    const uint32_t gg = takeRow[(q >> 8) & 255] + keepRow[(p >> 8) & 255];
    const uint32_t bb = takeRow[q & 255] + keepRow[p & 255];
    t[i] = (p & 0xFF000000u) | MakePixel(r, gg, bb);  // only the colour bytes change
  }
}

void Multiply(TextureGenerator& g, int layer, Record b) {
  PerChannelWith(g.layers[layer], g.layers[b[2]], [](uint32_t t, uint32_t o) { return (t * o) >> 8; });
}

void AddSaturate(TextureGenerator& g, int layer, Record b) {
  PerChannelWith(g.layers[layer], g.layers[b[2]], [](uint32_t t, uint32_t o) { return std::min(t + o, 255u); });
}

void Lighten(TextureGenerator& g, int layer, Record b) {
  PerChannelWith(g.layers[layer], g.layers[b[2]], [](uint32_t t, uint32_t o) { return std::max(t, o); });
}

void MaskedBlend(TextureGenerator& g, int layer, Record b) {
  TextureLayer& t = g.layers[layer];
  const TextureLayer& o = g.layers[b[2]];
  const TextureLayer& k = g.layers[b[3]];
  const int ck = b[4];
  for (int i = 0; i < TexturePixelCount; ++i) {
    const int w = 255 - int(ChannelOf(k[i], ck));
    const uint32_t p = t[i], q = o[i];
    // t + w (o - t) / 256 truncated: the sum is never negative, so flooring the signed
    // quotient with a shift is the same truncation.
    auto mix = [w](int tv, int ov) { return uint32_t(tv + ((w * (ov - tv)) >> 8)); };
    t[i] = MakePixel(mix((p >> 16) & 255, (q >> 16) & 255), mix((p >> 8) & 255, (q >> 8) & 255), mix(p & 255, q & 255));
  }
}

void Contrast(TextureGenerator& g, int layer, Record b) {
  const double f = b[2] * 0.03125;
  uint32_t map[256];
  for (int v = 0; v < 256; ++v) map[v] = uint32_t(std::clamp(int(f * (v - 128)), -127, 127) + 128);
  PerChannel(g.layers[layer], [&](uint32_t v) { return map[v]; });
}

void InvertBlue(TextureGenerator& g, int layer, Record) {
  for (uint32_t& p : g.layers[layer]) p ^= 0xFFu;
}

void ShadeByChannel(TextureGenerator& g, int layer, Record b) {
  TextureLayer& t = g.layers[layer];
  const TextureLayer& m = g.layers[b[2]];
  const int cm = b[3];
  for (int i = 0; i < TexturePixelCount; ++i) {
    const uint8_t* row = g.toneTable.data() + ChannelOf(m[i], cm) * 256;
    const uint32_t p = t[i];
    t[i] = MakePixel(row[(p >> 16) & 255], row[(p >> 8) & 255], row[p & 255]);
  }
}

void Brightness(TextureGenerator& g, int layer, Record b) {
  const uint8_t* row = g.toneTable.data() + b[2] * 256;
  PerChannel(g.layers[layer], [&](uint32_t v) { return uint32_t(row[v]); });
}

void CosineRemap(TextureGenerator& g, int layer, Record b) {
  uint32_t map[256];
  // The cosine is kept as a 32-bit float, so a half period lands exactly on 254.
  for (int v = 0; v < 256; ++v) {
    const float c = float(std::cos(v * b[3] * 6.2831854820251465 / 256));
    map[v] = uint32_t(int(127 - c * 127.0));
  }
  const int c = b[2];
  const uint32_t keep = KeepMask(c);
  for (uint32_t& p : g.layers[layer]) p = (p & keep) | (map[ChannelOf(p, c)] << ChannelShift(c));
}

void LevelRange(TextureGenerator& g, int layer, Record b) {
  const int c = b[2];
  const uint32_t keep = KeepMask(c);
  for (uint32_t& p : g.layers[layer]) p = (p & keep) | (Ramp(b[3], b[4], int(ChannelOf(p, c))) << ChannelShift(c));
}

void GradientMap(TextureGenerator& g, int layer, Record b) {
  uint32_t ramp[256];
  for (int i = 0; i < 256; ++i) ramp[i] = MakePixel(Ramp(b[3], b[4], i), Ramp(b[5], b[6], i), Ramp(b[7], b[8], i));
  const int c = b[2];
  for (uint32_t& p : g.layers[layer]) p = ramp[ChannelOf(p, c)];
}

Hsv RgbToHsv(float r, float g, float b) {
  const float v = std::max({r, g, b});
  const float mn = std::min({r, g, b});
  const float delta = v - mn;
  const float s = v != 0 ? float(double(delta) / v) : 0.0f;
  if (s == 0) return {-1.0f, s, v};
  float h;
  if (r == v)
    h = float((double(g) - b) / delta);
  else if (g == v)
    h = float(2 + (double(b) - r) / delta);
  else
    h = float(4 + (double(r) - g) / delta);
  h = float(h * 60.0);
  while (h < 0) h = float(h + 360.0);
  while (h >= 360) h = float(h - 360.0);
  return {h, s, v};
}

uint32_t HsvToRgb(float h, float s, float v) {
  if (s == 0) {
    const uint32_t c = uint32_t(std::clamp(int(v), 0, 255));
    return MakePixel(c, c, c);
  }
  while (h < 0) h = float(h + 360.0);
  while (h >= 360) h = float(h - 360.0);
  const double q6 = h * 0.016666666666666666;
  const double i = std::floor(q6);
  const double f = q6 - i;
  const double p = v * (1.0 - s);
  const double q = v * (1.0 - s * f);
  const double t = v * (1.0 - s * (1.0 - f));
  double r, g, b;
  switch (int(i)) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;  // 5 (h is below 360, so nothing above)
  }
  auto channel = [](double x) { return uint32_t(std::clamp(int(x), 0, 255)); };
  return MakePixel(channel(r), channel(g), channel(b));
}

void HueSaturation(TextureGenerator& g, int layer, Record b) {
  const double shift = b[2] * 1.40625;
  const float factor = float((255 - b[3]) * (1.0 / 255));
  // Generated layers repeat colours a lot (a channel or two are often flat), so results
  // are remembered in a small direct-mapped table keyed by the input pixel.
  constexpr int kMemoBits = 12;
  std::array<uint32_t, 1 << kMemoBits> memoIn, memoOut;
  memoIn.fill(0xFFFFFFFFu);  // no pixel has a top byte, so this matches nothing
  for (uint32_t& p : g.layers[layer]) {
    const uint32_t in = p & 0xFFFFFFu;
    const uint32_t slot = (in * 2654435761u) >> (32 - kMemoBits);
    if (memoIn[slot] != in) {
      Hsv c = RgbToHsv(float((in >> 16) & 255), float((in >> 8) & 255), float(in & 255));
      c.h = float(c.h + shift);
      c.s = float(c.s * double(factor));
      memoIn[slot] = in;
      memoOut[slot] = HsvToRgb(c.h, c.s, c.v);
    }
    p = memoOut[slot];
  }
}
