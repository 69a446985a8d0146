// Which lattice cubes can reach a window rectangle, nearest first.
//
// Sending them nearest first changes no pixel: the lattice passes draw opaque, with a strict
// depth test, depth writes on and the stencil kept, so a pixel ends with its nearest fragment
// whatever the order, unless two fragments tie in depth. Fragments of one cube keep their order
// (a cube is always drawn whole). Fragments of two different cubes cannot tie: the cubes are
// 0.6 apart on some axis, so along any ray their surfaces are at least 0.6 apart, at least 0.06
// in eye depth even at the corner of a 160-degree view, which at the farthest cube (eye depth
// under 13, near plane 0.2) is more than a thousand steps of a 24-bit depth buffer.
//
// Leaving out a cube hidden behind one nearer cube changes no pixel either. Both lie whole beyond
// the near plane, so neither is clipped; the nearer one's outline on screen holds the other's
// with a pixel to spare, so every pixel centre the hidden cube covers is covered by the nearer
// cube's front faces, which tile its outline; every corner of the nearer cube is nearer the eye
// than every corner of the hidden one, so along every such ray its fragment is the nearer, and the
// hidden cube's fragment was never the one kept. The nearer cube is drawn in every pass the hidden
// one would be: whatever of the window the hidden cube reaches, the nearer one does too.
#include "scenes/lattice_view.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEdge = 0.4, kOffset = -0.75;
constexpr double kMarginPixels = 2.0;
// For hidden cubes: corners counted clear of the near plane, the eye-depth gap between the
// occluder's farthest and the hidden cube's nearest corner, the pixels between the hidden cube's
// corners and the occluder's outline, and how many of the nearest cubes are tried as occluders.
constexpr double kClearOfNearPlane = 0.25, kDepthGap = 0.01, kPixelGap = 1.0;
constexpr size_t kOccluders = 48;

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

// The corner of lattice cube k nearest the grid's low end, in world coordinates.
void CubeBase(int k, double base[3]) {
  base[0] = k / 121 - 5 + kOffset, base[1] = k / 11 % 11 - 5 + kOffset, base[2] = k % 11 - 5 + kOffset;
}

// Corner `corner` (bit 0 +x, bit 1 +y, bit 2 +z) of the box from `base` with the given edge, in
// clip coordinates under m.
void CornerClip(const std::array<double, 16>& m, const double base[3], double edge, int corner, double clip[4]) {
  const double p[3] = {base[0] + (corner & 1 ? edge : 0), base[1] + (corner & 2 ? edge : 0),
                       base[2] + (corner & 4 ? edge : 0)};
  for (int row = 0; row < 4; ++row) clip[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
}

// A window rectangle as a test on boxes in world coordinates: the pass's projection and view
// combined, and the rectangle's sides (widened by two pixels) in normalised device coordinates.
struct ReachTest {
  std::array<double, 16> m{};
  double left = 0, right = 0, bottom = 0, top = 0;
  bool empty = true;
};
// One cube seen whole in front of the near plane: its corners in window coordinates, the convex
// outline they make, and the range of eye depth (clip w) its corners span.
struct Outline {
  int16_t cube = -1;
  double nearest = 0, farthest = 0;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // bounding box of the corners
  std::array<std::array<double, 2>, 8> corners{};
  std::array<std::array<double, 2>, 8> hull{};
  int hullSize = 0;
};

double Cross(const std::array<double, 2>& o, const std::array<double, 2>& a, const std::array<double, 2>& b) {
  return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

// The convex hull of the corners, counter-clockwise (monotone chain).
void MakeHull(Outline& o) {
  std::array<std::array<double, 2>, 8> p = o.corners;
  std::sort(p.begin(), p.end());
  std::array<std::array<double, 2>, 16> h{};
  int n = 0;
  for (int i = 0; i < 8; ++i) {
    while (n >= 2 && Cross(h[n - 2], h[n - 1], p[i]) <= 0) --n;
    h[n++] = p[i];
  }
  for (int i = 6, lower = n + 1; i >= 0; --i) {
    while (n >= lower && Cross(h[n - 2], h[n - 1], p[i]) <= 0) --n;
    h[n++] = p[i];
  }
  o.hullSize = std::min(n - 1, 8);
  for (int i = 0; i < o.hullSize; ++i) o.hull[i] = h[i];
}

// Whether the point lies inside the hull by at least `margin` pixels from every side.
bool DeepInside(const Outline& o, const std::array<double, 2>& q, double margin) {
  for (int i = 0; i < o.hullSize; ++i) {
    const std::array<double, 2>& a = o.hull[i];
    const std::array<double, 2>& b = o.hull[(i + 1) % o.hullSize];
    const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
    if (length == 0) continue;
    if (Cross(a, b, q) / length < margin) return false;
  }
  return o.hullSize >= 3;
}

}  // namespace

std::vector<bool> LatticeCubesHidden(const LatticeView& v) {
  std::vector<bool> hidden(kLatticeCubes, false);
  if (v.viewport[2] <= 0 || v.viewport[3] <= 0) return hidden;
  const std::array<double, 16> m = Multiply(v.projection, v.view);
  std::vector<Outline> outlines;
  outlines.reserve(kLatticeCubes);
  for (int k = 0; k < kLatticeCubes; ++k) {
    double base[3];
    CubeBase(k, base);
    Outline o;
    o.cube = static_cast<int16_t>(k);
    o.nearest = 1e30;
    o.farthest = -1e30;
    bool whole = true;
    for (int corner = 0; corner < 8 && whole; ++corner) {
      double clip[4];
      CornerClip(m, base, kEdge, corner, clip);
      // Well clear of the near plane (0.2), so that no face of it is clipped there.
      whole = clip[3] > kClearOfNearPlane;
      o.corners[corner] = {v.viewport[0] + (clip[0] / clip[3] + 1) * v.viewport[2] / 2,
                           v.viewport[1] + (clip[1] / clip[3] + 1) * v.viewport[3] / 2};
      o.nearest = std::min(o.nearest, clip[3]);
      o.farthest = std::max(o.farthest, clip[3]);
    }
    if (!whole) continue;
    o.x0 = o.x1 = o.corners[0][0];
    o.y0 = o.y1 = o.corners[0][1];
    for (const auto& c : o.corners) {
      o.x0 = std::min(o.x0, c[0]), o.x1 = std::max(o.x1, c[0]);
      o.y0 = std::min(o.y0, c[1]), o.y1 = std::max(o.y1, c[1]);
    }
    outlines.push_back(o);
  }
  // The occluders tried: the cubes nearest the eye, which cover the most.
  std::sort(outlines.begin(), outlines.end(), [](const Outline& a, const Outline& b) {
    return a.nearest != b.nearest ? a.nearest < b.nearest : a.cube < b.cube;
  });
  const size_t occluders = std::min<size_t>(outlines.size(), kOccluders);
  for (size_t i = 0; i < occluders; ++i) MakeHull(outlines[i]);
  for (const Outline& b : outlines) {
    for (size_t i = 0; i < occluders; ++i) {
      const Outline& a = outlines[i];
      if (a.farthest >= b.nearest - kDepthGap) continue;
      if (b.x0 < a.x0 || b.y0 < a.y0 || b.x1 > a.x1 || b.y1 > a.y1) continue;
      if (!std::all_of(b.corners.begin(), b.corners.end(), [&](const auto& c) { return DeepInside(a, c, kPixelGap); }))
        continue;
      hidden[static_cast<size_t>(b.cube)] = true;
      break;
    }
  }
  return hidden;
}

namespace {

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

// False only when the axis-aligned box from `base` with the given edge cannot put a fragment into
// the rectangle: all eight corners lie beyond one and the same side of it, or before the near or
// beyond the far plane.
bool BoxMayReach(const ReachTest& t, const double base[3], double edge) {
  if (t.empty) return false;
  // Bit p set while every corner so far is outside plane p (clip-space half-spaces
  // x >= left w, x <= right w, y >= bottom w, y <= top w, z >= -w, z <= w).
  unsigned outside = 0x3f;
  for (int corner = 0; corner < 8 && outside; ++corner) {
    double clip[4];
    CornerClip(t.m, base, edge, corner, clip);
    const double x = clip[0], y = clip[1], z = clip[2], w = clip[3];
    // A corner counts as outside only clearly so, whatever rounding GL's own arithmetic does.
    const double slack = 1e-6 * (std::fabs(x) + std::fabs(y) + std::fabs(z) + std::fabs(w));
    const double distance[6] = {x - t.left * w, t.right * w - x, y - t.bottom * w, t.top * w - y, z + w, w - z};
    for (int plane = 0; plane < 6; ++plane)
      if (distance[plane] >= -slack) outside &= ~(1u << plane);
  }
  return outside == 0;
}

}  // namespace

void LatticeCubesReaching(const LatticeView& v, PixelRect rect, const std::vector<bool>& hidden,
                          std::vector<int16_t>& cubes) {
  cubes.clear();
  const ReachTest test = ReachTestFor(v, rect);
  std::vector<std::pair<double, int16_t>> keyed;
  keyed.reserve(kLatticeCubes);
  for (int k = 0; k < kLatticeCubes; ++k) {
    double base[3];
    CubeBase(k, base);
    if (!hidden.empty() && hidden[static_cast<size_t>(k)]) continue;
    if (!BoxMayReach(test, base, kEdge)) continue;
    const double centre[3] = {base[0] + kEdge / 2 - v.eye[0], base[1] + kEdge / 2 - v.eye[1], base[2] + kEdge / 2 - v.eye[2]};
    keyed.emplace_back(centre[0] * centre[0] + centre[1] * centre[1] + centre[2] * centre[2], static_cast<int16_t>(k));
  }
  std::sort(keyed.begin(), keyed.end());
  cubes.reserve(keyed.size());
  for (const auto& [key, k] : keyed) cubes.push_back(k);
}

bool BoxMayReachWindow(const LatticeView& v, const double base[3], double edge) {
  return BoxMayReach(ReachTestFor(v, PixelRectOf(v.viewport)), base, edge);
}
