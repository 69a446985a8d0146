// texgen/texture_reach.h: where in a generated texture each colour channel reaches a given
// value. A scene that adds a dim texture to the picture can tell from it which part of a quad
// can change a pixel at all, and leave the rest undrawn.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

// Texels x0..x1 by y0..y1, both ends included; empty when x1 < x0.
struct TexelBox {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool Empty() const { return x1 < x0; }
};

// The smallest box holding both.
inline TexelBox Union(TexelBox a, const TexelBox& b) {
  if (b.Empty()) return a;
  if (a.Empty()) return b;
  a.x0 = std::min(a.x0, b.x0), a.y0 = std::min(a.y0, b.y0);
  a.x1 = std::max(a.x1, b.x1), a.y1 = std::max(a.y1, b.y1);
  return a;
}

struct TextureReach {
  uint32_t name = 0;  // the GL texture it was measured for; 0 when none
  int width = 0, height = 0;
  // boxes[c][v]: the smallest box holding every texel whose channel c (red, green, blue) is at
  // least v.
  std::array<std::array<TexelBox, 256>, 3> boxes{};
};

// Measures width x height pixels 0x00RRGGBB, row 0 first (texture coordinate t = 0).
TextureReach MeasureTextureReach(std::span<const uint32_t> pixels, int width, int height);
