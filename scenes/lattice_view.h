// scenes/lattice_view.h: which cubes of the 11 x 11 x 11 lattice can put a fragment into a
// rectangle of the window, nearest first, and which are hidden whole behind a nearer one. The
// software rasteriser pays for every triangle it sets up and every hidden fragment it shades:
// cubes that cannot reach the pixels being drawn, or never show, are not sent, and the rest go
// nearest first so that hidden fragments fail the depth test before shading.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "scenes/pixel_rect.h"

// What a pass is drawn with: GL's projection and model-view matrices (column-major, as
// read back) and viewport (x, y, width, height), and the eye in world coordinates.
struct LatticeView {
  std::array<float, 16> projection{}, view{};
  std::array<float, 4> viewport{};
  std::array<float, 3> eye{};
};

// Lattice cube k is the one at grid point (k / 121 - 5, k / 11 % 11 - 5, k % 11 - 5): x slowest,
// z fastest.
constexpr int kLatticeCubes = 11 * 11 * 11;

// For each lattice cube, whether it is hidden whole behind a single nearer cube: then none of its
// fragments is ever the one a pixel keeps. Only some of the nearest cubes are tried as occluders.
std::vector<bool> LatticeCubesHidden(const LatticeView& v);

// Every cube that may cover a pixel centre inside `rect` and is not marked in `hidden` (which may
// be empty), nearest centre to the eye first. A cube is counted out of the rectangle only when all
// eight corners lie beyond one and the same side of it (widened by two pixels), or before the near
// or beyond the far plane.
void LatticeCubesReaching(const LatticeView& v, PixelRect rect, const std::vector<bool>& hidden,
                          std::vector<int16_t>& cubes);

// Whether the axis-aligned box from corner `base` with the given edge may put a fragment into the
// window, by the same test as a lattice cube against a rectangle.
bool BoxMayReachWindow(const LatticeView& v, const double base[3], double edge);
