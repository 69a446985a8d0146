// scenes/cube_field.h: the cube-field scene's music-driven panel pattern, exposed for tests, and
// its reset.
#pragma once
#include <cstdint>

// The pattern (1..12) in force at syncTime, starting from the pattern held so far:
// every table entry at or before syncTime overrides it, the latest one last.
int32_t UpdatePanelPattern(float syncTime, int32_t current);
extern int32_t panelPattern;  // kept across frames and scenes; starts at 1

// Forgets the lattice (for a new GL context) and puts the pattern back at 1.
void ResetCubeFieldScene();
