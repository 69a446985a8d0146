// scenes/text.h: the font atlas and the glyph lists every text in the presentation is drawn
// with: 256 glyphs in one 256 x 256 texture (the default texture, name 0), a small set of
// lists (16 x 16 quads, pen advancing 8) and a large set (32 x 32 quads, pen advancing 12),
// and the closing overlay that scrolls the credits up through a side panel.
#pragma once
#include <cstdint>

// Rasterises the atlas, uploads it and compiles both list sets. 0 on success, -2 when no
// font can be had; the lists then do not exist and text simply draws nothing.
int BuildFontAtlas();
extern uint32_t fontListBase;       // small set, codes 0..254; 0 until built
extern uint32_t largeFontListBase;  // large set, codes 0..254; 0 until built

// Seconds the closing overlay has scrolled so far; only grows.
extern float endTextPosition;

// The overlay's scroll for one frame, without drawing it (what DrawEndText does first).
void AdvanceEndText();
// Forgets the lists and the scroll position (for a new GL context, as tests and tools make).
void ResetText();
// Deletes both list sets on the current context (the one they were compiled on), then as ResetText.
void ReleaseText();
// One untextured quad of the 640 x 480 overlay space in the current colour (panels and fades).
void DrawOverlayQuad(float x0, float y0, float x1, float y1);
