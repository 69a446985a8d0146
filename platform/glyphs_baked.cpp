// The glyph atlas of the web page: the bytes vale-bake-glyphs wrote at build time, linked in.
// Only the atlas the text overlays ask for exists; the chooser is the page's own, so nothing
// else here draws text.
#include <algorithm>
#include <cstring>

#include "platform/glyphs.h"

extern "C" const uint8_t valeGlyphAtlas[];
extern "C" const uint8_t valeGlyphAtlasEnd[];

bool RasterizeGlyphAtlas(const char* family, bool bold, int cellSize, std::span<uint8_t> image, std::string* source) {
  const size_t bytes = static_cast<size_t>(valeGlyphAtlasEnd - valeGlyphAtlas);
  if (std::strcmp(family, kBakedAtlasFamily) != 0 || bold != kBakedAtlasBold || cellSize != kBakedAtlasCell ||
      image.size() != bytes)
    return false;
  std::copy(valeGlyphAtlas, valeGlyphAtlasEnd, image.begin());
  if (source) *source = "baked";
  return true;
}
