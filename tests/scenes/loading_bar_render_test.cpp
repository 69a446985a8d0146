// The loading bar drawn off-screen: where its orange fill ends, at two frame sizes.
#include <gtest/gtest.h>

#include <string>

#include "scenes/loading_bar.h"
#include "tests/headless_util.h"
#include "tests/scenes/render_util.h"

namespace {

bool Orange(Rgb c) { return c.r > 200 && c.g > 80 && c.g < 125 && c.b < 30; }

// The first column, left to right along the middle of the bar, that is not orange; -1 when none is.
int FillEnd(const Picture& p) {
  const int y = p.height / 2 - p.height / 96;  // bar rows 233..247 of 480, y up
  int end = -1;
  for (int x = 0; x < p.width; ++x)
    if (Orange(p.At(x, y))) end = x + 1;
  return end;
}

class LoadingBarRender : public HeadlessTest<640, 480> {
 protected:
  Picture Draw(float fraction, int w = 640, int h = 480) {
    std::string error;
    EXPECT_TRUE(ResizeHeadlessContext(context_, w, h, error)) << error;
    glViewport(0, 0, w, h);
    DrawLoadingBar(fraction);
    return ReadPicture(context_);
  }
};

}  // namespace

TEST_F(LoadingBarRender, TheFillEndsWhereTheFractionSays) {
  EXPECT_EQ(FillEnd(Draw(0.0f)), -1) << "no orange at 0";
  EXPECT_EQ(FillEnd(Draw(0.5f)), 320);
  EXPECT_EQ(FillEnd(Draw(1.0f)), 627) << "full: the trough's right edge";
  EXPECT_EQ(FillEnd(Draw(0.5f, 320, 240)), 160) << "stretched over any view";
}
