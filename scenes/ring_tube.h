// scenes/ring_tube.h: the ring tube (the camera flying into a textured, tapering tube whose
// centre line snakes with time, under a line of small glyphs): its reset, for the scene table.
#pragma once

// Forgets the set-up (for a new GL context).
void ResetRingTubeScene();
