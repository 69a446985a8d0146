// Which lattice cubes can reach a window rectangle, nearest first.
//
// Sending them nearest first changes no pixel: the lattice passes draw opaque, with a strict
// depth test, depth writes on and the stencil kept, so a pixel ends with its nearest fragment
// whatever the order, unless two fragments tie in depth. Fragments of one cube keep their order
// (a cube is always drawn whole). Fragments of two different cubes cannot tie: the cubes are
// 0.6 apart on some axis, so along any ray their surfaces are at least 0.6 apart, at least 0.06
// in eye depth even at the corner of a 160-degree view, which at the farthest cube (eye depth
// under 13, near plane 0.2) is more than a thousand steps of a 24-bit depth buffer.
#include "scenes/lattice_view.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEdge = 0.4, kOffset = -0.75;
constexpr double kMarginPixels = 2.0;

// c = a x b for column-major 4 x 4 matrices.
std::array<double, 16> Multiply(const std::array<float, 16>& a, const std::array<float, 16>& b) {
  std::array<double, 16> c{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += static_cast<double>(a[k * 4 + row]) * b[col * 4 + k];
      c[col * 4 + row] = s;
    }
  return c;
}

}  // namespace

ReachTest ReachTestFor(const LatticeView& v, PixelRect rect) {
  ReachTest t;
  t.m = Multiply(v.projection, v.view);
  t.empty = rect.x1 <= rect.x0 || rect.y1 <= rect.y0 || v.viewport[2] <= 0 || v.viewport[3] <= 0;
  if (t.empty) return t;
  // The rectangle's sides as normalised device coordinates, widened by the margin.
  t.left = (rect.x0 - kMarginPixels - v.viewport[0]) / v.viewport[2] * 2 - 1;
  t.right = (rect.x1 + kMarginPixels - v.viewport[0]) / v.viewport[2] * 2 - 1;
  t.bottom = (rect.y0 - kMarginPixels - v.viewport[1]) / v.viewport[3] * 2 - 1;
  t.top = (rect.y1 + kMarginPixels - v.viewport[1]) / v.viewport[3] * 2 - 1;
  return t;
}

bool BoxMayReach(const ReachTest& t, const double base[3], double edge) {
  if (t.empty) return false;
  const std::array<double, 16>& m = t.m;
  // Bit p set while every corner so far is outside plane p (clip-space half-spaces
  // x >= left w, x <= right w, y >= bottom w, y <= top w, z >= -w, z <= w).
  unsigned outside = 0x3f;
  for (int corner = 0; corner < 8 && outside; ++corner) {
    const double p[3] = {base[0] + (corner & 1 ? edge : 0), base[1] + (corner & 2 ? edge : 0),
                         base[2] + (corner & 4 ? edge : 0)};
    double clip[4];
    for (int row = 0; row < 4; ++row) clip[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
    const double x = clip[0], y = clip[1], z = clip[2], w = clip[3];
    // A corner counts as outside only clearly so, whatever rounding GL's own arithmetic does.
    const double slack = 1e-6 * (std::fabs(x) + std::fabs(y) + std::fabs(z) + std::fabs(w));
    const double distance[6] = {x - t.left * w, t.right * w - x, y - t.bottom * w, t.top * w - y, z + w, w - z};
    for (int plane = 0; plane < 6; ++plane)
      if (distance[plane] >= -slack) outside &= ~(1u << plane);
  }
  return outside == 0;
}

void LatticeCubesReaching(const LatticeView& v, PixelRect rect, std::vector<int16_t>& cubes) {
  cubes.clear();
  const ReachTest test = ReachTestFor(v, rect);
  std::vector<std::pair<double, int16_t>> keyed;
  keyed.reserve(kLatticeCubes);
  for (int k = 0; k < kLatticeCubes; ++k) {
    const double base[3] = {k / 121 - 5 + kOffset, k / 11 % 11 - 5 + kOffset, k % 11 - 5 + kOffset};
    if (!BoxMayReach(test, base, kEdge)) continue;
    const double centre[3] = {base[0] + kEdge / 2 - v.eye[0], base[1] + kEdge / 2 - v.eye[1], base[2] + kEdge / 2 - v.eye[2]};
    keyed.emplace_back(centre[0] * centre[0] + centre[1] * centre[1] + centre[2] * centre[2], static_cast<int16_t>(k));
  }
  std::sort(keyed.begin(), keyed.end());
  cubes.reserve(keyed.size());
  for (const auto& [key, k] : keyed) cubes.push_back(k);
}
