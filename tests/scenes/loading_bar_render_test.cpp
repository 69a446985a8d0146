// The loading bar drawn off-screen: where its orange fill ends, at two frame sizes.
#include <gtest/gtest.h>

#include "scenes/loading_bar.h"
#include "tests/headless_util.h"
#include "tests/scenes/render_util.h"

namespace {

bool Orange(const uint8_t* p) { return p[0] > 200 && p[1] > 80 && p[1] < 125 && p[2] < 30; }

// The first column, left to right along the middle of the bar, that is not orange; -1 when none is.
int FillEnd(const Picture& p) {
  const int y = p.height / 2 - p.height / 96;  // bar rows 233..247 of 480, y up
  int end = -1;
  for (int x = 0; x < p.width; ++x)
    if (Orange(p.At(x, y))) end = x + 1;
  return end;
}

Picture DrawBar(int w, int h, float fraction) {
  std::string error;
  HeadlessContext* context = CreateHeadlessContext(w, h, error);
  if (!context) return {};
  glViewport(0, 0, w, h);
  glClearColor(0, 0, 0, 1);
  DrawLoadingBar(fraction);
  Picture p = ReadPicture(context);
  DestroyHeadlessContext(context);
  return p;
}

}  // namespace

TEST(LoadingBarRender, TheFillEndsWhereTheFractionSays) {
  std::string error;
  HeadlessContext* probe = CreateHeadlessContext(8, 8, error);
  VALE_REQUIRE_HEADLESS_CONTEXT(probe, error);
  DestroyHeadlessContext(probe);

  EXPECT_EQ(FillEnd(DrawBar(640, 480, 0.0f)), -1) << "no orange at 0";
  const Picture half = DrawBar(640, 480, 0.5f);
  EXPECT_EQ(FillEnd(half), 320);
  const int y = 240 - 5;
  EXPECT_EQ(half.At(10, y)[0], 255) << "white frame";
  EXPECT_EQ(half.At(12, y)[0], 0) << "black gap";
  EXPECT_NEAR(half.At(400, y)[0], 77, 2) << "grey trough";
  EXPECT_EQ(FillEnd(DrawBar(640, 480, 1.0f)), 627) << "full: the trough's right edge";
  // Stretched over any view.
  EXPECT_EQ(FillEnd(DrawBar(320, 240, 0.5f)), 160);
}
