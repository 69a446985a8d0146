// The opening scene drawn off-screen at 640 x 480 with plain stand-in textures: the fade-in,
// the word block's timing and place, the bands' brightness, and the atlas that is missing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/opening.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "texgen/generator.h"
#include "texgen/texture_set.h"
#include "texgen/upload.h"
#include "tests/headless_util.h"
#include "tests/scenes/render_util.h"

namespace {

class OpeningRender : public HeadlessTest<640, 480> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    if (!context_) return;
    ResetScenes();
  }
  // Sprites (texture 8) and bands (texture 0) in plain colours.
  void UseTextures(uint8_t sprite, uint8_t band) {
    textureNames.fill(0);
    textureNames[8] = MakePlainTexture(sprite, sprite, sprite);
    textureNames[0] = MakePlainTexture(band, band, band);
  }
  Picture Frame(int order, int row, float seconds) {
    frameClock.musicOrder = order;
    frameClock.musicRow = row;
    frameClock.syncTime = ComputeSyncTime(order, row);
    frameClock.elapsedSeconds = seconds;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    DrawOpeningScene();
    return ReadPicture(context_);
  }
};

}  // namespace

TEST_F(OpeningRender, FadesInFromBlackBelowTheTopTwentyRows) {
  UseTextures(255, 255);
  auto litBelow20 = [](int, int y, Rgb c) { return y >= 20 && (c.r + c.g + c.b) / 3 > 0; };
  EXPECT_EQ(Frame(0, 0, 0.0f).Count(litBelow20), 0) << "the first frame is black";
  EXPECT_GT(Frame(0, 10, 1.0f).Count(litBelow20), 640 * 48) << "the sprites show through half way";
}

TEST_F(OpeningRender, TheWordsAndBandsComeOnOrderOneRowEight) {
  // Black sprites add nothing; white bands: only the bands and the word are seen.
  UseTextures(0, 255);
  const Picture before = Frame(1, 7, 3.0f);
  for (int y = 0; y < 480; ++y) ASSERT_EQ(before.Grey(20, y), 0) << "row " << y;
  const Picture on = Frame(1, 8, 3.0f);
  // Steady 0.6 under the additive blend of the colour with itself: 0.36 where one band lies
  // (screen rows 200..240 and 280..320), twice that where both do (240..280).
  EXPECT_NEAR(on.Grey(20, 220), 92, 2);
  EXPECT_NEAR(on.Grey(20, 260), 184, 2);
  EXPECT_EQ(on.Grey(20, 190), 0);
  // The band brightness per row is pinned by the opening words test; here that it reaches the bands.
  EXPECT_GT(Frame(1, 23, 3.0f).Grey(20, 220), 240);
}

TEST_F(OpeningRender, ImagineIsCentredAndDrawnTwice) {
  if (BuildFontAtlas() != 0) GTEST_SKIP() << "no font on this machine";
  ResetText();
  UseTextures(0, 0);  // the word alone
  const Picture pic = Frame(1, 8, 3.0f);
  int left = 640, right = -1, top = 480, bottom = -1;
  long ink = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const int v = pic.Grey(x, y);
      ink += v;
      if (v < 64) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  ASSERT_GE(right, 0) << "no word drawn";
  // Seven glyph quads 32 wide, 12 apart, from 320 - 42: they span 278..382, whose middle is 330;
  // each glyph sits centred in its quad, so the ink's middle lies there too.
  EXPECT_NEAR((left + right) / 2.0, 330, 6);
  EXPECT_GE(top, 240);
  EXPECT_LE(bottom, 272);

  // Drawn once by hand with the same state, the word has about half the ink.
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glColor4f(0.6f, 0.6f, 0.6f, 1);
  glLoadIdentity();
  glTranslatef(320 - 42, 240, 0);
  glCallLists(7, GL_UNSIGNED_BYTE, "imagine");
  long once = 0;
  const Picture single = ReadPicture(context_);
  for (size_t i = 0; i < single.rgb.size(); ++i) once += single.rgb[i];
  ASSERT_GT(once, 0);
  EXPECT_NEAR(static_cast<double>(ink) * 3 / once, 2.0, 0.15) << ink << " " << once;
}

// The sprites cut to the parts of them that can add (each drawn alone inside its box) against
// all of them drawn whole in one draw, as they are where the glow's reach is unknown: the
// pictures must be the same to the bit, at moments when some sprite reaches out of the view
// (GL clips) and when none does.
TEST_F(OpeningRender, CuttingTheSpritesToWhatTheyAddChangesNoPixel) {
  std::vector<TextureImage> images(GeneratedTextureCount);
  images[8] = std::move(GenerateTextures(TextureScriptList().subspan(8, 1), [](float) {})[0]);
  UploadTextureSet(images);
  ASSERT_NE(GeneratedTextureReach(8), nullptr);
  const TextureReach glow = textureReach[8];
  for (float seconds : {1.0f, 2.5f, 3.2f, 4.4f, 7.9f, 12.3f, 15.0f, 21.7f}) {
    textureReach[8] = glow;
    const Picture cut = Frame(0, 0, seconds);
    textureReach[8].name = 0;
    const Picture whole = Frame(0, 0, seconds);
    ASSERT_GT(whole.Count([](int, int, Rgb c) { return c.b > 0; }), 10000) << seconds;
    int differ = 0;
    for (size_t i = 0; i < cut.rgb.size(); ++i) differ += cut.rgb[i] != whole.rgb[i];
    EXPECT_EQ(differ, 0) << "at " << seconds << " s";
  }
  textureReach = {};
  textureNames.fill(0);
}

// Run by its own test with fontconfig knowing no font (see CMakeLists.txt).
using NoFont = HeadlessTest<640, 480>;
TEST_F(NoFont, TheAtlasAnswersMinusTwoAndTheTextIsAbsent) {
  if (!std::getenv("VALE_EXPECT_NO_FONT")) GTEST_SKIP() << "runs only where no font can be found";
  ResetText();
  EXPECT_EQ(BuildFontAtlas(), -2);
  EXPECT_EQ(fontListBase, 0u);
  EXPECT_EQ(largeFontListBase, 0u);
  // The overlay still draws its panel, and no glyph.
  frameClock = FrameClock{};
  endTextPosition = 20;
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  DrawEndText();
  const Picture pic = ReadPicture(context_);
  for (int y = 0; y < 480; y += 2) ASSERT_NEAR(pic.Grey(500, y), 102, 2) << y;
}
