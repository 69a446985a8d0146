// scenes/lightning.h: the lightning scene (32 glowing sprites on a winding path joined by
// jittered blue bolts, in front of a cloud of 1024 white points) exposed for tests and tools.
#pragma once
#include <array>
#include <span>

using LightningPoint = std::array<float, 3>;

// The sprite positions of the last frame, which the next frame's bolts join.
std::span<const LightningPoint, 32> LightningChain();
// Forgets the set-up and puts the chain back at the origin (for a new GL context).
void ResetLightningScene();
