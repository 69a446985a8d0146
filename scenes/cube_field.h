// scenes/cube_field.h: the cube-field scene's music-driven panel pattern, exposed for tests, and
// its reset.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "scenes/lattice_view.h"

// The pattern (1..12) in force at syncTime, starting from the pattern held so far:
// every table entry at or before syncTime overrides it, the latest one last.
int32_t UpdatePanelPattern(float syncTime, int32_t current);
extern int32_t panelPattern;  // kept across frames and scenes; starts at 1

// Forgets the lattice (for a new GL context) and puts the pattern back at 1.
void ResetCubeFieldScene();

// The panels of a pattern (1..12) as the stencil marks them in a viewport (x, y, width, height):
// `marked` covers every pixel a lit panel may mark, `unmarked` every pixel it may leave unmarked.
// Pixels within a pixel and a half of a panel edge are in both; any other pixel is in exactly one
// of them, and the rectangles of one list do not overlap.
struct PanelRegions {
  std::vector<PixelRect> marked, unmarked;
};
PanelRegions PanelRegionsFor(int32_t pattern, const std::array<float, 4>& viewport);
