// FreeType + fontconfig backend of platform/glyphs.h, with the built-in fall-back font.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/glyphs.h"

struct GlyphFont {
  FT_Library library = nullptr;
  FT_Face face = nullptr;  // null: built-in font
  int pixelHeight = 16;
  int scale = 1;           // built-in font: pixels per font dot
};

namespace {

// Built-in 5 x 7 font for the characters the chooser needs; others draw a hollow box.
struct BuiltInGlyph {
  char code;
  const char* rows[7];
};
constexpr BuiltInGlyph kBuiltIn[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {'d', {"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'f', {"..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'n', {".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
    {'r', {".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'t', {".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##."}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
    {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'(', {"...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."}},
    {')', {".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
};
constexpr const char* kMissingGlyph[7] = {"#####", "#...#", "#...#", "#...#", "#...#", "#...#", "#####"};

const char* const* BuiltInRows(char32_t c) {
  for (const auto& g : kBuiltIn)
    if (static_cast<char32_t>(static_cast<unsigned char>(g.code)) == c) return g.rows;
  return kMissingGlyph;
}

void Plot(uint8_t* image, int width, int height, int stride, int x, int y, uint8_t value) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  uint8_t& p = image[y * stride + x];
  p = std::max(p, value);
}

std::string FindFontFile(const char* family, bool bold) {
  std::string path;
  if (!FcInit()) return path;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  // The best match, or failing that any sans face fontconfig knows.
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) path = reinterpret_cast<char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

}  // namespace

GlyphFont* OpenGlyphFont(const char* family, bool bold, int pixelHeight, std::string* source) {
  GlyphFont* font = OpenBuiltInGlyphFont(pixelHeight);
  std::string path = FindFontFile(family, bold);
  if (!path.empty() && FT_Init_FreeType(&font->library) == 0) {
    if (FT_New_Face(font->library, path.c_str(), 0, &font->face) == 0 &&
        FT_Set_Pixel_Sizes(font->face, 0, static_cast<FT_UInt>(font->pixelHeight)) == 0) {
      if (source) *source = path;
      return font;
    }
    if (font->face) FT_Done_Face(font->face);
    font->face = nullptr;
    FT_Done_FreeType(font->library);
    font->library = nullptr;
  }
  if (source) *source = "built-in";
  return font;
}

GlyphFont* OpenBuiltInGlyphFont(int pixelHeight) {
  auto* font = new GlyphFont;
  font->pixelHeight = std::max(pixelHeight, 1);
  font->scale = std::max(1, font->pixelHeight / 9);
  return font;
}

void CloseGlyphFont(GlyphFont* font) {
  if (!font) return;
  if (font->face) FT_Done_Face(font->face);
  if (font->library) FT_Done_FreeType(font->library);
  delete font;
}

bool IsBuiltInGlyphFont(const GlyphFont* font) { return !font || !font->face; }

int GlyphAscent(const GlyphFont* font) {
  if (IsBuiltInGlyphFont(font)) return font ? 8 * font->scale : 8;
  return static_cast<int>((font->face->size->metrics.ascender + 63) >> 6);
}

int GlyphLineHeight(const GlyphFont* font) {
  if (IsBuiltInGlyphFont(font)) return font ? 10 * font->scale : 10;
  return static_cast<int>((font->face->size->metrics.height + 63) >> 6);
}

int MeasureGlyphText(const GlyphFont* font, std::u32string_view text) {
  if (IsBuiltInGlyphFont(font)) return static_cast<int>(text.size()) * 6 * (font ? font->scale : 1);
  long pen = 0;
  for (char32_t c : text)
    if (FT_Load_Char(font->face, c, FT_LOAD_DEFAULT) == 0) pen += font->face->glyph->advance.x;
  return static_cast<int>((pen + 32) >> 6);
}

void DrawGlyphText(GlyphFont* font, std::u32string_view text, int left, int top, uint8_t* image, int width,
                   int height, int stride) {
  if (!image) return;
  if (IsBuiltInGlyphFont(font)) {
    int s = font ? font->scale : 1;
    int pen = left;
    for (char32_t c : text) {
      if (c != U' ') {
        const char* const* rows = BuiltInRows(c);
        for (int r = 0; r < 7; ++r)
          for (int col = 0; col < 5; ++col)
            if (rows[r][col] == '#')
              for (int dy = 0; dy < s; ++dy)
                for (int dx = 0; dx < s; ++dx)
                  Plot(image, width, height, stride, pen + col * s + dx, top + (r + 1) * s + dy, 255);
      }
      pen += 6 * s;
    }
    return;
  }
  int baseline = top + GlyphAscent(font);
  long pen = static_cast<long>(left) << 6;
  for (char32_t c : text) {
    if (FT_Load_Char(font->face, c, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = font->face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    int x0 = static_cast<int>((pen + 32) >> 6) + g->bitmap_left;
    int y0 = baseline - g->bitmap_top;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned col = 0; col < bm.width; ++col) {
        uint8_t v = bm.pixel_mode == FT_PIXEL_MODE_MONO
                        ? ((bm.buffer[r * bm.pitch + col / 8] >> (7 - col % 8)) & 1 ? 255 : 0)
                        : bm.buffer[r * bm.pitch + col];
        Plot(image, width, height, stride, x0 + static_cast<int>(col), y0 + static_cast<int>(r), v);
      }
    pen += g->advance.x;
  }
}

namespace {

bool IsControlCode(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

bool RasterizeGlyphAtlas(const char* family, bool bold, int cellSize, std::span<uint8_t> image,
                         std::string* source) {
  const size_t side = static_cast<size_t>(cellSize) * 16;
  if (cellSize <= 0 || image.size() < side * side) return false;
  const std::string path = FindFontFile(family, bold);
  if (path.empty()) return false;
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return false;
  FT_Face face = nullptr;
  // The cell height is the font's whole line (ascender to descender), as a font asked for by
  // its cell height would be, so every glyph's line box fits the cell from its top.
  FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_REAL_DIM, 0, static_cast<FT_Long>(cellSize) << 6, 0, 0};
  if (FT_New_Face(library, path.c_str(), 0, &face) != 0 || FT_Request_Size(face, &request) != 0) {
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return false;
  }
  std::fill_n(image.begin(), side * side, uint8_t{0});
  const int ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
  for (int code = 0; code < 256; ++code) {
    if (IsControlCode(static_cast<char32_t>(code))) continue;
    if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    const int cellLeft = (code % 16) * cellSize, cellTop = (code / 16) * cellSize;
    // Centred by its advance, as a line of one character is; clipped to its own cell.
    const int advance = static_cast<int>((g->advance.x + 32) >> 6);
    const int x0 = cellLeft + (cellSize - advance) / 2 + g->bitmap_left;
    const int y0 = cellTop + ascent - g->bitmap_top;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) {
        const int x = x0 + static_cast<int>(c), y = y0 + static_cast<int>(r);
        if (x < cellLeft || x >= cellLeft + cellSize || y < cellTop || y >= cellTop + cellSize) continue;
        const uint8_t v = bm.pixel_mode == FT_PIXEL_MODE_MONO
                              ? ((bm.buffer[r * bm.pitch + c / 8] >> (7 - c % 8)) & 1 ? 255 : 0)
                              : bm.buffer[r * bm.pitch + c];
        uint8_t& p = image[static_cast<size_t>(y) * side + static_cast<size_t>(x)];
        p = std::max(p, v);
      }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  if (source) *source = path;
  return true;
}
