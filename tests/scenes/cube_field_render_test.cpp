// The cube field drawn off-screen: fog, the stencil panels of mode 3 and the regions they make,
// the lattice cubes that can reach a rectangle, and the fixed aspect.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/headless.h"
#include "scenes/camera.h"
#include "scenes/cube_field.h"
#include "scenes/frame_clock.h"
#include "scenes/lattice_view.h"
#include "scenes/scenes.h"
#include "tests/scenes/render_util.h"
#include "texgen/upload.h"

namespace {

constexpr int kW = 320, kH = 240;

struct Frame : Picture {
  std::vector<uint8_t> stencil;
  std::vector<float> depth;  // row 0 at the top
  Rgb C(int i) const { return At(i % kW, i / kW); }
  bool Lit(int i) const { return C(i).r + C(i).g + C(i).b > 45; }
  // Mostly the blue of texture 3, however fogged.
  bool Blue(int i) const { return C(i).r * 4 < C(i).b && C(i).g * 4 < C(i).b; }
};

class CubeFieldRender : public PlainTextureTest<kW, kH> {
 protected:
  Frame Render(int mode, float syncTime, float seconds) {
    frameClock.cubeFieldMode = mode;
    frameClock.syncTime = syncTime;
    frameClock.elapsedSeconds = seconds;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    DrawCubeFieldScene();
    Frame f;
    static_cast<Picture&>(f) = ReadPicture(context_);
    f.stencil = ReadHeadlessStencil(context_);
    std::vector<float> bottomUp(kW * kH);
    glReadPixels(0, 0, kW, kH, GL_DEPTH_COMPONENT, GL_FLOAT, bottomUp.data());
    f.depth.resize(bottomUp.size());
    for (int y = 0; y < kH; ++y) std::copy_n(&bottomUp[(kH - 1 - y) * kW], kW, &f.depth[y * kW]);
    return f;
  }
};

}  // namespace

TEST_F(CubeFieldRender, Mode1IsTheWhiteLatticeFoggedToBlackWithDistance) {
  Frame f = Render(1, 9.0f, 0.0f);
  std::vector<std::pair<float, int>> lit;  // depth, brightness
  for (int i = 0; i < kW * kH; ++i) {
    EXPECT_EQ(f.stencil[i], 0) << "mode 1 marks no stencil";
    if (!f.Lit(i)) continue;
    ASSERT_TRUE(IsGrey(f.C(i))) << "pixel " << i << " is not grey";
    lit.emplace_back(f.depth[i], f.C(i).r);
  }
  ASSERT_GT(lit.size(), static_cast<size_t>(kW * kH / 10));
  std::sort(lit.begin(), lit.end());
  size_t fifth = lit.size() / 5;
  double nearSum = 0, farSum = 0;
  for (size_t i = 0; i < fifth; ++i) {
    nearSum += lit[i].second;
    farSum += lit[lit.size() - 1 - i].second;
  }
  EXPECT_GT(nearSum / fifth, 1.5 * farSum / fifth) << "near faces should be brighter than far ones";
}

TEST_F(CubeFieldRender, Mode3ShowsTheWhiteLatticeInsideThePanelsAndTexture3Outside) {
  // Order 4 row 1: pattern 1, the top and bottom bands. In the panel view (45 degrees, square
  // aspect, plane 20 units away) they span |y| 1..7 and |x| 0..7 of a half-width of 8.28.
  panelPattern = 1;
  Frame f = Render(3, 4.001f, 0.5f);
  const double half = 20.0 * 0.41421356;
  int insideLit = 0, outsideLit = 0, insideGrey = 0, outsideBlue = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      int i = y * kW + x;
      double nx = ((x + 0.5) / kW * 2 - 1) * half, ny = (1 - (y + 0.5) / kH * 2) * half;
      bool inBand = std::abs(nx) < 7 && std::abs(ny) > 1 && std::abs(ny) < 7;
      bool nearEdge = std::abs(std::abs(nx) - 7) < 0.1 || std::abs(std::abs(ny) - 7) < 0.1 ||
                      std::abs(std::abs(ny) - 1) < 0.1;
      if (!nearEdge) {
        ASSERT_EQ(f.stencil[i], inBand ? 1 : 0) << "at " << x << "," << y;
      }
      if (!f.Lit(i)) continue;
      if (f.stencil[i]) {
        ++insideLit;
        insideGrey += IsGrey(f.C(i));
      } else {
        ++outsideLit;
        outsideBlue += f.Blue(i);
      }
    }
  ASSERT_GT(insideLit, 1000);
  ASSERT_GT(outsideLit, 1000);
  EXPECT_GT(insideGrey, insideLit * 95 / 100);
  EXPECT_GT(outsideBlue, outsideLit * 95 / 100);
  EXPECT_EQ(panelPattern, 1);
}

TEST_F(CubeFieldRender, ThePatternChangesOnItsRowEvenWhenNotDrawn) {
  Render(1, 4.014f, 0.0f);
  EXPECT_EQ(panelPattern, 7);
  Render(1, 9.0f, 0.0f);
  EXPECT_EQ(panelPattern, 10);
}

TEST_F(CubeFieldRender, AspectStaysFourThirdsAtAnyFramebufferSize) {
  for (auto [w, h] : {std::pair{320, 240}, std::pair{100, 300}, std::pair{640, 200}}) {
    glViewport(0, 0, w, h);
    for (float fov : {20.0f, 100.0f, 160.0f}) {
      fieldOfView = fov;
      ApplyProjection();
      GLdouble m[16];
      glGetDoublev(GL_PROJECTION_MATRIX, m);
      EXPECT_NEAR(m[5] / m[0], 4.0 / 3.0, 1e-6) << w << "x" << h << " fov " << fov;
    }
  }
}

TEST_F(CubeFieldRender, TheLatticeIsCompiledOnce) {
  SetupCubeLattice();
  GLuint next = glGenLists(1);
  SetupCubeLattice();
  EXPECT_EQ(glGenLists(1), next + 1) << "a second set-up made another list";
  glDeleteLists(next, 2);
}

TEST_F(CubeFieldRender, PanelRegionsHoldEveryPixelThePanelsMarkOrLeaveOnce) {
  // The lattice passes are scissored to these regions, so a pixel the stencil would let through
  // but no region holds would lose its fragments; one held twice would be drawn twice.
  for (const auto [x0, y0, w, h] : {std::array{0, 0, kW, kH}, std::array{3, 5, 301, 227}}) {
    glViewport(x0, y0, w, h);
    for (int32_t pattern = 1; pattern <= 12; ++pattern) {
      panelPattern = pattern;
      const Frame f = Render(3, 4.001f, 0.5f);  // before the first change: the pattern stays
      const PanelRegions regions =
          PanelRegionsFor(pattern, {static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(w),
                                    static_cast<float>(h)});
      const auto holding = [](const std::vector<PixelRect>& rects, int x, int y) {
        return std::count_if(rects.begin(), rects.end(),
                             [&](const PixelRect& r) { return r.x0 <= x && x < r.x1 && r.y0 <= y && y < r.y1; });
      };
      int marked = 0;
      for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
          const bool mark = f.stencil[(kH - 1 - y) * kW + x] != 0;
          marked += mark;
          ASSERT_EQ(holding(mark ? regions.marked : regions.unmarked, x, y), 1)
              << "pattern " << pattern << " at " << x << "," << y << " in a " << w << "x" << h << " viewport";
          ASSERT_LE(holding(mark ? regions.unmarked : regions.marked, x, y), 1);
        }
      EXPECT_GT(marked, w * h / 10) << "pattern " << pattern;
    }
  }
}

TEST_F(CubeFieldRender, LatticeCubesLeftOutDrawNothingInTheirRectangle) {
  // Wide and narrow views, the rectangle off centre: every cube not listed is drawn alone and
  // must leave the rectangle black.
  for (float seconds : {0.3f, 1.1f, 2.4f}) {
    Render(1, 9.0f, seconds);
    const LatticeView view = CurrentLatticeView();
    const PixelRect rect{200, 40, 290, 130};
    std::vector<int16_t> listed;
    LatticeCubesReaching(view, rect, {}, listed);
    std::vector<int16_t> leftOut;
    for (int16_t k = 0; k < kLatticeCubes; ++k)
      if (std::find(listed.begin(), listed.end(), k) == listed.end()) leftOut.push_back(k);
    ASSERT_GT(leftOut.size(), listed.size()) << "at " << seconds << " s";
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    DrawLatticeCubes(leftOut);
    const Picture p = ReadPicture(context_);
    EXPECT_GT(p.Count([](int, int, Rgb c) { return c.r > 0; }), 0) << "the left-out cubes are on screen elsewhere";
    for (int y = rect.y0; y < rect.y1; ++y)
      for (int x = rect.x0; x < rect.x1; ++x) ASSERT_EQ(p.Grey(x, kH - 1 - y), 0) << x << "," << y << " at " << seconds << " s";
  }
}

TEST_F(CubeFieldRender, CubesHiddenBehindANearerCubeChangeNoPixelWhenLeftOut) {
  size_t leftOut = 0;
  for (float seconds : {0.3f, 1.1f, 2.4f, 3.3f}) {
    Render(1, 9.0f, seconds);
    const LatticeView view = CurrentLatticeView();
    const std::vector<bool> hidden = LatticeCubesHidden(view);
    std::vector<int16_t> all, shown;
    for (int16_t k = 0; k < kLatticeCubes; ++k) {
      all.push_back(k);
      if (!hidden[k]) shown.push_back(k);
    }
    leftOut += all.size() - shown.size();
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_TEXTURE_2D);  // white, fogged with distance
    const auto draw = [&](const std::vector<int16_t>& cubes) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      DrawLatticeCubes(cubes);
      return ReadPicture(context_).rgb;
    };
    const std::vector<uint8_t> whole = draw(all);
    EXPECT_GT(std::count_if(whole.begin(), whole.end(), [](uint8_t c) { return c > 0; }), kW * kH / 4);
    EXPECT_TRUE(whole == draw(shown)) << "at " << seconds << " s";
  }
  EXPECT_GT(leftOut, 100u);
}
