// vale-bake-glyphs: the glyph atlas the text overlays draw from (16 x 16 cells of 16 pixels,
// Arial bold, as scenes/text.cpp asks for it), rasterised here once and written as raw 8-bit
// coverage, so that a build without a font rasteriser at run time (the web page) draws the same
// opening words and end text as the program does.
//
// usage: vale-bake-glyphs OUT.bin
#include <cstdio>
#include <string>
#include <vector>

#include "platform/glyphs.h"
#include "platform/output_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vale-bake-glyphs OUT.bin\n");
    return 2;
  }
  std::vector<uint8_t> atlas(static_cast<size_t>(kBakedAtlasCell) * 16 * kBakedAtlasCell * 16);
  std::string source;
  if (!RasterizeGlyphAtlas(kBakedAtlasFamily, kBakedAtlasBold, kBakedAtlasCell, atlas, &source)) {
    std::fprintf(stderr, "vale-bake-glyphs: no font file for %s\n", kBakedAtlasFamily);
    return 1;
  }
  std::string error;
  if (!WriteWholeFile(argv[1], atlas, error)) {
    std::fprintf(stderr, "vale-bake-glyphs: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "vale-bake-glyphs: %s from %s\n", argv[1], source.c_str());
  return 0;
}
