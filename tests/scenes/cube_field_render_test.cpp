// The cube field drawn off-screen: fog, the stencil panels of mode 3 and the fixed aspect.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/headless.h"
#include "scenes/camera.h"
#include "scenes/cube_field.h"
#include "scenes/frame_clock.h"
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
