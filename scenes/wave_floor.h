// scenes/wave_floor.h: the wave floor (32 x 32 lit cubes bobbing under a textured sky sphere,
// the camera circling above): its reset, for the scene table.
#pragma once

// Forgets the set-up, so the next frame builds it again (for a new GL context).
void ResetWaveFloorScene();
