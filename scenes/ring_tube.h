// scenes/ring_tube.h: the ring tube (the camera flying into a textured, tapering tube whose
// centre line snakes with time, under a line of small glyphs) exposed for tests and tools.
#pragma once
#include <array>

#include "geometry/vec3.h"

// 13 points around (12 closes onto 0) by 32 along; point (r, 0) is on the circle of radius 6
// around the camera, the axial points 0..30 are drawn.
using RingTubeGrid = std::array<std::array<Vec3, 32>, 13>;
// The grid at t seconds.
void FillRingTubeGrid(float t, RingTubeGrid& grid);
// The glyph line written over the tube.
inline constexpr char kRingTubeText[] = "abcde ifghilk123!@#";
// Forgets the set-up (for a new GL context).
void ResetRingTubeScene();
