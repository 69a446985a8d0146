// Glyphs from the system font (FreeType or GDI), and the built-in font that stands in when there is none.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "platform/glyphs.h"

namespace {
int Ink(const std::vector<uint8_t>& image) { return std::accumulate(image.begin(), image.end(), 0); }
}  // namespace

TEST(Glyphs, SystemFontDrawsBoldTextInsideTheLineBox) {
  std::string source;
  GlyphFont* font = OpenGlyphFont("Arial", true, 16, &source);
  ASSERT_NE(font, nullptr);
  if (IsBuiltInGlyphFont(font)) GTEST_SKIP() << "no font files on this machine";
  constexpr int w = 64, h = 24;
  std::vector<uint8_t> image(w * h, 0);
  DrawGlyphText(font, U"Start", 2, 0, image.data(), w, h, w);
  EXPECT_GT(Ink(image), 255 * 20);
  int first = w, last = -1;  // the columns holding ink
  for (int i = 0; i < w * h; ++i)
    if (image[i]) first = std::min(first, i % w), last = std::max(last, i % w);
  EXPECT_GE(first, 2);
  EXPECT_NEAR(last - first + 1, MeasureGlyphText(font, U"Start"), 3);
  EXPECT_GT(GlyphAscent(font), 8);
  EXPECT_LE(GlyphAscent(font), GlyphLineHeight(font));
  CloseGlyphFont(font);
}

TEST(Glyphs, DrawingIsClippedToTheImage) {
  GlyphFont* font = OpenGlyphFont("sans-serif", false, 40);
  std::vector<uint8_t> image(8 * 8 + 8, 0);  // 8 guard bytes past the 8 x 8 image
  DrawGlyphText(font, U"WWWW", -20, -10, image.data(), 8, 8, 8);
  DrawGlyphText(font, U"WWWW", 4, 4, image.data(), 8, 8, 8);
  for (int i = 64; i < 72; ++i) EXPECT_EQ(image[i], 0) << "wrote past the image";
  CloseGlyphFont(font);
}

TEST(Glyphs, TheBuiltInFontCoversEveryChooserLabel) {
  GlyphFont* builtIn = OpenBuiltInGlyphFont(12);
  ASSERT_NE(builtIn, nullptr);
  EXPECT_TRUE(IsBuiltInGlyphFont(builtIn));
  for (const char* label : {"64ox48o", "1o24x768 (default)", "windowed", "Start"}) {
    std::u32string text = Latin1ToCodePoints(label);
    EXPECT_GT(MeasureGlyphText(builtIn, text), 0) << label;
    std::vector<uint8_t> image(200 * 20, 0);
    DrawGlyphText(builtIn, text, 0, 0, image.data(), 200, 20, 200);
    EXPECT_GT(Ink(image), 0) << label;
  }
  CloseGlyphFont(builtIn);
  EXPECT_EQ(Latin1ToCodePoints("A\xE9\xFF"), std::u32string({U'A', 0xE9, 0xFF})) << "bytes above 127 too";
}

namespace {
// Ink bounds of one 16 x 16 cell of a 256-wide atlas: left, top, right, bottom; left > right when empty.
struct CellInk {
  int left = 16, top = 16, right = -1, bottom = -1;
};
CellInk InkOfCell(const std::vector<uint8_t>& atlas, int code) {
  CellInk ink;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (atlas[(code / 16 * 16 + y) * 256 + code % 16 * 16 + x] > 64) {
        ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
      }
  return ink;
}
}  // namespace

TEST(GlyphAtlas, EachCellHoldsItsGlyphCentredAtTheTopAndControlCodesStayEmpty) {
  std::vector<uint8_t> atlas(256 * 256, 7);
  if (!RasterizeGlyphAtlas("Arial", true, 16, atlas)) GTEST_SKIP() << "no font files on this machine";
  for (int code : {0, 9, 31, 127, 128, 159}) EXPECT_EQ(InkOfCell(atlas, code).right, -1) << "control code " << code;
  for (int code : {int{'H'}, int{'O'}, int{'M'}, int{'W'}, int{'8'}, 0xC9 /* E acute */}) {
    const CellInk ink = InkOfCell(atlas, code);
    ASSERT_GE(ink.right, 0) << "no glyph for " << code;
    // Centred across the cell (to the pixel), capitals from near the top with room below the baseline.
    EXPECT_NEAR(ink.left + ink.right, 15, 2) << code;
    EXPECT_LE(ink.top, code == 0xC9 ? 1 : 4) << code;
    EXPECT_LE(ink.bottom, 13) << code;
    EXPECT_GE(ink.bottom - ink.top, 8) << "about 16 pixels high, not smaller: " << code;
  }
}
