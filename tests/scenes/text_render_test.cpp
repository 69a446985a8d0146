// The font atlas's glyph lists and the closing overlay, drawn off-screen at 640 x 480, so one
// pixel is one unit of the virtual screen.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "scenes/frame_clock.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "tests/headless_util.h"
#include "tests/scenes/render_util.h"

namespace {

class TextRender : public HeadlessTest<640, 480> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    if (!context_) return;
    ResetScenes();
    if (BuildFontAtlas() != 0) GTEST_SKIP() << "no font on this machine";
  }
  // The overlay at scroll position p over a white picture, without scrolling it further.
  Picture EndTextAt(float p) {
    endTextPosition = p;
    frameClock.frameTime = frameClock.previousFrameTime = 10.0f;
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawEndText();
    return ReadPicture(context_);
  }

  // The first row from the top holding glyph ink right of the panel edge.
  static int FirstInkRow(const Picture& pic) {
    for (int y = 0; y < pic.height; ++y)
      for (int x = 430; x < 640; ++x)
        if (pic.Grey(x, y) > 160) return y;
    return -1;
  }
};

}  // namespace

TEST_F(TextRender, GlyphListsDrawTheirCellAndAdvanceThePen) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, 640, 480, 0);
  glMatrixMode(GL_MODELVIEW);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, 0);
  glColor4f(1, 1, 1, 1);

  for (auto [base, advance] : {std::pair{fontListBase, 8.0f}, {largeFontListBase, 12.0f}}) {
    glLoadIdentity();
    glTranslatef(100, 100, 0);
    glCallList(base + 'H');
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 100 + advance);
  }
  const Picture pic = ReadPicture(context_);
  int inkLeft = 640, inkRight = -1, inkTop = 480;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      if (pic.Grey(x, y) < 128) continue;
      ASSERT_TRUE(x >= 100 && x < 132 && y >= 100 && y < 132) << "ink outside the H quads at " << x << "," << y;
      inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x), inkTop = std::min(inkTop, y);
    }
  // The large H, the image's top row at the quad's top (y down): centred, near the top.
  EXPECT_NEAR(inkLeft + inkRight, 2 * 100 + 31, 4);
  EXPECT_LE(inkTop, 100 + 8);
}

TEST_F(TextRender, ThePanelSlidesInStaysAtFourTwentySlidesOutAndFadesToBlack) {
  const int row = 470;  // below the text at these positions
  for (float p : {2.0f, 30.0f, 56.0f}) {
    const Picture pic = EndTextAt(p);
    EXPECT_EQ(pic.Grey(418, row), 255) << "p " << p;
    EXPECT_NEAR(pic.Grey(422, row), 102, 2) << "p " << p << ": black at 0.6 over white";
  }
  const Picture sliding = EndTextAt(1.0f);  // 640 - sin(45 degrees) x 220 = 484.4
  EXPECT_EQ(sliding.Grey(482, row), 255);
  EXPECT_NEAR(sliding.Grey(487, row), 102, 2);
  const Picture gone = EndTextAt(58.5f);  // only the fade, sin(50 degrees) opaque
  EXPECT_NEAR(gone.Grey(300, row), 255 * (1 - std::sin(50 * M_PI / 180)), 2);
  EXPECT_EQ(gone.Grey(639, row), gone.Grey(300, row));
  const Picture black = EndTextAt(60.5f);
  for (int y = 0; y < 480; y += 3)
    for (int x = 0; x < 640; x += 3) ASSERT_LE(black.Grey(x, y), 1) << "black at 60.5: " << x << "," << y;
}

TEST_F(TextRender, TheTextRisesTwentyOneUnitsASecondAtAnyFrameRate) {
  // The first line starts at y = 510 - 21 p: on screen from p of about 1.5.
  const int at10 = FirstInkRow(EndTextAt(10.0f)), at12 = FirstInkRow(EndTextAt(12.0f));
  ASSERT_GE(at10, 300);
  EXPECT_EQ(at10 - at12, 42);

  // Four seconds at 25 frames a second and at 100: the same distance scrolled.
  auto scroll = [](int framesPerSecond) {
    endTextPosition = 0;
    float t = 100.0f;
    frameClock.frameTime = t;
    for (int i = 0; i < 4 * framesPerSecond; ++i) {
      t += 1.0f / framesPerSecond;
      frameClock.previousFrameTime = frameClock.frameTime;
      frameClock.frameTime = t;
      DrawEndText();
    }
    return endTextPosition;
  };
  const float slow = scroll(25), fast = scroll(100);
  EXPECT_NEAR(slow, 4.0f, 1e-3f);
  EXPECT_NEAR(fast, slow, 1e-3f);
}
