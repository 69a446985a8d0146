// scenes/ring_tube.h: the ring tube (the camera flying into a textured, tapering tube whose
// centre line snakes with time, under a line of small glyphs) exposed for tests and tools.
#pragma once
#include <array>

#include "scenes/tube.h"

// The tube's grid; point (r, 0) is on the circle of radius 6 around the camera.
using RingTubeGrid = TubeGrid;
// The grid at t seconds.
void FillRingTubeGrid(float t, RingTubeGrid& grid);
// The glyph line written over the tube.
inline constexpr char kRingTubeText[] = "abcde ifghilk123!@#";
// Forgets the set-up (for a new GL context).
void ResetRingTubeScene();
