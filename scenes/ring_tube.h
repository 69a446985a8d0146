// scenes/ring_tube.h: the ring tube (the camera flying into a textured, tapering tube whose
// centre line snakes with time, under a line of small glyphs) exposed for tests and tools.
#pragma once

// Forgets the set-up (for a new GL context).
void ResetRingTubeScene();
