// scenes/opening.h: the opening scene's music-driven title words, exposed for tests, and its
// sprites and camera, for the benchmark that measures what drawing them must cost.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "scenes/pixel_rect.h"
#include "texgen/texture_reach.h"

// The intro word shown at a sync time, or empty outside the word block (1.008 .. 5).
std::string_view OpeningWordAt(float syncTime);
// Brightness of the light bands and the word on a music row: steady 0.6, except on rows
// 1 to 7 of every 16, where it steps from dark to bright with the sync time.
float OpeningBandBrightness(float syncTime, int32_t musicRow);
// One glowing sprite of the ribbon: its colour and its corners in the order they are drawn,
// texture corners (0,0), (1,0), (1,1), (0,1).
struct OpeningSprite {
  float colour[3];
  float corners[4][3];
};
// The 256 sprites at time t, facing a viewer whose right and up vectors are given.
void OpeningSpriteQuads(double t, const float right[3], const float up[3], std::span<OpeningSprite, 256> sprites);
// Where a sprite is seen: the model-view and projection matrices (column-major, as GL gives
// them) and the viewport (x, y, width, height).
struct SpriteView {
  float modelview[16], projection[16];
  float viewport[4];
};
// The pixels outside which the sprite, drawn with the glow texture of reach `glow` and added to
// the picture as the scene adds it, leaves every pixel as it was; empty when it changes none.
// False when that cannot be told (the part that adds reaches behind the eye).
bool OpeningSpriteBox(const OpeningSprite& sprite, const TextureReach& glow, const SpriteView& view, PixelRect& box);
// The scene's drifting camera and its projection at time t.
void ApplyOpeningCamera(double t);
// Forgets the one-time set-up (for a new GL context, as tests and tools make).
void ResetOpeningScene();
