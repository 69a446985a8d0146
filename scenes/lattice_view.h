// scenes/lattice_view.h: which boxes, and which cubes of the 11 x 11 x 11 lattice, can put a
// fragment into a rectangle of the window; the lattice's nearest first. The software rasteriser
// pays for every triangle it sets up and every hidden fragment it shades: cubes that cannot reach
// the pixels being drawn are not sent, and the lattice's go nearest first so that hidden
// fragments fail the depth test before shading.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

// Window pixels x0 <= x < x1, y0 <= y < y1, y counted upwards as GL's window coordinates.
struct PixelRect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// What a pass is drawn with: GL's projection and model-view matrices (column-major, as
// read back) and viewport (x, y, width, height), and the eye in world coordinates.
struct LatticeView {
  std::array<float, 16> projection{}, view{};
  std::array<float, 4> viewport{};
  std::array<float, 3> eye{};
};

// Lattice cube k is the one at grid point (k / 121 - 5, k / 11 % 11 - 5, k % 11 - 5), in the
// order the lattice list draws them.
constexpr int kLatticeCubes = 11 * 11 * 11;

// A window rectangle as a test on boxes in world coordinates: the pass's projection and view
// combined, and the rectangle's sides (widened by two pixels) in normalised device coordinates.
struct ReachTest {
  std::array<double, 16> m{};
  double left = 0, right = 0, bottom = 0, top = 0;
  bool empty = true;
};
ReachTest ReachTestFor(const LatticeView& v, PixelRect rect);
// False only when the axis-aligned box from `base` with the given edge cannot put a fragment into
// the rectangle: all eight corners lie beyond one and the same side of it, or before the near or
// beyond the far plane.
bool BoxMayReach(const ReachTest& test, const double base[3], double edge);

// For each lattice cube, whether it is hidden whole behind a single nearer cube: then none of its
// fragments is ever the one a pixel keeps. Only some of the nearest cubes are tried as occluders.
std::vector<bool> LatticeCubesHidden(const LatticeView& v);

// Every cube that may cover a pixel centre inside `rect` (BoxMayReach) and is not marked in
// `hidden` (which may be empty), nearest centre to the eye first.
void LatticeCubesReaching(const LatticeView& v, PixelRect rect, const std::vector<bool>& hidden,
                          std::vector<int16_t>& cubes);
