// scenes/tube.h: the tapering tube whose centre line snakes with time, flown into by the ring-tube
// scene and behind the blob in the tunnel scene: its grid of points and its textured quads.
#pragma once
#include <array>

#include "geometry/vec3.h"

// Divisions of the tube's wiggle as products with these 32-bit floats: 1/29, 1/13, 1/33, 1/17,
// and a twelfth.
inline constexpr float kTubeBy29 = 0.03448276f, kTubeBy13 = 0.07692308f, kTubeBy33 = 0.030303031f,
                       kTubeBy17 = 0.05882353f, kTubeTwelfth = 0.083333336f;

// 13 points around (12 closes onto 0) by 32 along; point (r, 0) lies on the circle of radius 6
// around the tube's start, which the wiggle at that end is subtracted from; x is the column.
using TubeGrid = std::array<std::array<Vec3, 32>, 13>;
// The grid for the wiggle phase T (ten times the seconds, as a 32-bit float); angleOf gives the
// angle of row r around the tube (each scene forms it in its own way).
void FillTubeGrid(float T, double (*angleOf)(int r), TubeGrid& grid);
// The 30 x 12 quads of the first 31 columns, each column in its grey, the bound texture
// streaming along the tube with t seconds.
void DrawTubeQuads(const TubeGrid& grid, double t);
