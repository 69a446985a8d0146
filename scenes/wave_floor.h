// scenes/wave_floor.h: the wave floor (32 x 32 lit cubes bobbing under a textured sky sphere,
// the camera circling above) exposed for tests and tools.
#pragma once

// Height of the floor cube of row r and column j at t seconds: its phase is fixed by r x j.
float WaveFloorCubeHeight(int r, int j, float t);
// Forgets the set-up, so the next frame builds it again (for a new GL context).
void ResetWaveFloorScene();
