// platform/glyphs.h: text rasterised from a system font (FreeType, found through
// fontconfig), white coverage on black, for the chooser labels and the font atlas.
// When no font file can be found at all, a small built-in bitmap font stands in, so
// labels never vanish.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct GlyphFont;  // opaque

// Finds the best match for the family (e.g. "Arial" resolves to a metric-compatible face),
// bold or regular, at a pixel height (the em size, as a GDI font height of -h would be).
// Never null: falls back to the built-in font. `source` says which file or "built-in".
GlyphFont* OpenGlyphFont(const char* family, bool bold, int pixelHeight, std::string* source = nullptr);
// The built-in font alone, at about the given pixel height.
GlyphFont* OpenBuiltInGlyphFont(int pixelHeight);
void CloseGlyphFont(GlyphFont* font);
bool IsBuiltInGlyphFont(const GlyphFont* font);

// Line metrics in pixels: the distance from the top of the line box to the baseline, and the line height.
int GlyphAscent(const GlyphFont* font);
int GlyphLineHeight(const GlyphFont* font);
// Advance width of a run of code points.
int MeasureGlyphText(const GlyphFont* font, std::u32string_view text);

// Draws the text with the top of its line box at `top` and its pen starting at `left`,
// into an 8-bit coverage image, keeping the larger of old and new coverage per pixel.
// Clipped to the image; code points the font lacks draw nothing but still advance.
void DrawGlyphText(GlyphFont* font, std::u32string_view text, int left, int top, uint8_t* image, int width,
                   int height, int stride);

// A square atlas of 16 x 16 cells of `cellSize` pixels, one 8-bit coverage image with rows
// from the top: cell k (column k mod 16, row k div 16) holds the glyph of code point k
// (Latin-1), white on black, its line box at the top of the cell and centred across it by
// its advance. The font's line (ascender to descender) is `cellSize` high. Control codes
// (0-31, 127-159) stay empty. Only a real font will do: false, the image untouched, when
// fontconfig finds no font file or FreeType cannot open it; `source` names the file used.
bool RasterizeGlyphAtlas(const char* family, bool bold, int cellSize, std::span<uint8_t> image,
                         std::string* source = nullptr);

// The one atlas the program rasterises (the text overlays' font). Builds without a font
// rasteriser at run time carry it baked (vale-bake-glyphs) and answer only this request.
inline constexpr const char* kBakedAtlasFamily = "Arial";
inline constexpr bool kBakedAtlasBold = true;
inline constexpr int kBakedAtlasCell = 16;

// Latin-1 / ASCII bytes to code points.
inline std::u32string Latin1ToCodePoints(std::string_view bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
  return out;
}
