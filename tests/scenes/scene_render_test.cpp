// The wave floor, lightning, blob, wobbling-mesh and ring-tube scenes drawn off-screen.
// Generated texture k is stood in for by one plain colour, so each pixel tells which texture
// (if any) it came from.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/iso_surface.h"
#include "geometry/mesh.h"
#include "platform/headless.h"
#include "platform/random.h"
#include "scenes/blob_scenes.h"
#include "scenes/frame_clock.h"
#include "scenes/lightning.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "scenes/wobbling_mesh.h"
#include "tests/headless_util.h"
#include "tests/scenes/render_util.h"
#include "texgen/upload.h"

namespace {

constexpr int kW = 320, kH = 240;

class SceneRender : public PlainTextureTest<kW, kH> {
 protected:
  template <typename DrawScene>
  Picture Render(DrawScene draw, float seconds) {
    frameClock.elapsedSeconds = seconds;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    draw();
    return ReadPicture(context_);
  }

  // Where a world point lands on the picture (row 0 at the top), with the matrices as the scene left them.
  static void Project(double x, double y, double z, double& sx, double& sy) {
    GLdouble model[16], projection[16], wz;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, model, projection, viewport, &sx, &sy, &wz);
    sy = kH - 1 - sy;
  }
};

}  // namespace

// --- wave floor ---------------------------------------------------------------------------

TEST_F(SceneRender, WaveFloorIsLitAndUntexturedUnderATexturedUnlitSky) {
  Picture f = Render(DrawWaveFloorScene, 0.0f);
  // The camera sits 1.77 above a floor at -1.5..-0.5 and looks at the origin: sky above, floor below.
  for (int x = 0; x < kW; x += 7) EXPECT_TRUE(Near(f.At(x, 2), kTextureColour[3], 1)) << "sky at column " << x;
  std::vector<int> greys;
  for (int y = kH * 3 / 4; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      ASSERT_TRUE(IsGrey(f.At(x, y))) << "floor pixel (" << x << ", " << y << ") is coloured: untextured expected";
      greys.push_back(f.At(x, y).r);
    }
  std::sort(greys.begin(), greys.end());
  // Lit faces turned differently to the light differ; an unlit untextured floor would be one white.
  EXPECT_GT(greys[greys.size() * 9 / 10] - greys[greys.size() / 10], 20);
  EXPECT_GT(greys.front(), 0);
  EXPECT_LT(greys.front(), 250);
}

// --- lightning ----------------------------------------------------------------------------

// Advances a copy of the generator by n draws.
uint32_t StateAfter(uint32_t state, int n) {
  const uint32_t saved = RandomState();
  SeedRandom(state);
  for (int i = 0; i < n; ++i) NextRandom();
  const uint32_t result = RandomState();
  SeedRandom(saved);
  return result;
}

TEST_F(SceneRender, LightningFirstFrameCracklesAroundTheOriginAndDrawsAFixedCount) {
  SeedRandom(12345);  // as the music start might leave it; the scene itself never seeds
  Picture f = Render(DrawLightningScene, 0.0f);
  EXPECT_EQ(RandomState(), StateAfter(12345, 1024 * 3 + 31 * 150)) << "set-up 3072 numbers, then 31 bolts x 150";

  double ox, oy;
  Project(0, 0, 0, ox, oy);
  // Bolt pixels farther than `radius` from the origin's place on the picture.
  auto boltsBeyond = [&](const Picture& p, double radius) {
    return p.Count([&](int x, int y, Rgb c) {
      return Near(c, {0, 102, 255}, 8) && std::hypot(x - ox, y - oy) > radius;
    });
  };
  EXPECT_GT(boltsBeyond(f, -1), 5) << "the bolts are drawn";
  EXPECT_EQ(boltsBeyond(f, kW * 0.05), 0) << "on the first frame every bolt runs from the origin to the origin";

  // The next frame's bolts join this frame's sprites, which have left the origin.
  EXPECT_NE(LightningChain()[5][0], 0.0f);
  const uint32_t before = RandomState();
  Picture next = Render(DrawLightningScene, 0.02f);
  EXPECT_EQ(RandomState(), StateAfter(before, 31 * 150));
  EXPECT_GT(boltsBeyond(next, kW * 0.1), 20) << "second frame: the bolts reach out along the chain";
}

// --- blob scenes --------------------------------------------------------------------------

namespace {
// Mean and spread of the surface's distance from the origin.
void SurfaceRadius(double& mean, double& spread) {
  double sum = 0, lo = 1e9, hi = 0;
  size_t n = 0;
  for (const IsoTriangle& t : blobSurface.triangles)
    for (const Vec3& v : t.vertices) {
      const double d = std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z);
      sum += d, lo = std::min(lo, d), hi = std::max(hi, d), ++n;
    }
  mean = n ? sum / n : 0;
  spread = hi - lo;
}
}  // namespace

TEST_F(SceneRender, BlobFramesStartFromTheStartUpChargesThenTheMovedOnes) {
  Render(DrawBlobOrbitScene, 0.0f);
  double mean, spread;
  SurfaceRadius(mean, spread);
  EXPECT_NEAR(mean, 0.80, 0.02) << "first frame: strengths 0.6, 0.25, 0.3 at the origin";
  EXPECT_LT(spread, 0.06);
  Render(DrawBlobOrbitScene, 0.02f);
  SurfaceRadius(mean, spread);
  EXPECT_NEAR(mean, 0.52, 0.02) << "second frame: three charges of 0.27 at the origin";
  EXPECT_EQ(BlobOrbitCounter(), 18);
}

// --- wobbling mesh ------------------------------------------------------------------------

TEST_F(SceneRender, WobblingMeshModeOneIsFixedAndTheCageLeavesLineMode) {
  frameClock.wobbleMode = 1;
  Render(DrawWobblingMeshScene, 0.0f);
  const Mesh& mesh = WobbleMesh();
  ASSERT_EQ(mesh.vertexCount, 842);
  auto positions = [&] {
    std::vector<float> xyz;
    for (int i = 0; i < mesh.vertexCount; ++i)
      xyz.insert(xyz.end(), {mesh.vertices[i].position.x, mesh.vertices[i].position.y, mesh.vertices[i].position.z});
    return xyz;
  };
  const std::vector<float> first = positions();
  Render(DrawWobblingMeshScene, 9.75f);
  EXPECT_EQ(positions(), first) << "mode 1 does not move with time";
  frameClock.wobbleMode = 2;
  Render(DrawWobblingMeshScene, 1.0f);
  EXPECT_NE(positions(), first) << "mode 2 moves with time";
  frameClock.wobbleMode = 1;
  GLint polygonMode[2];
  glGetIntegerv(GL_POLYGON_MODE, polygonMode);
  EXPECT_EQ(polygonMode[0], GL_LINE) << "the scene leaves polygon mode at lines";
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

// --- ring tube ----------------------------------------------------------------------------

TEST_F(SceneRender, RingTubeGlyphLineRunsAlongTheTop) {
  const Picture bare = Render(DrawRingTubeScene, 1.0f);  // no glyph lists yet: no line

  // The 19-glyph line: quads 16 units wide at an 8-unit pen, x below 160 and y below 16 of 640 x 480.
  if (BuildFontAtlas() != 0) GTEST_SKIP() << "no font on this machine";
  const Picture lined = Render(DrawRingTubeScene, 1.0f);
  auto changed = [&](int x, int y, Rgb c) {
    const Rgb a = bare.At(x, y);
    return a.r != c.r || a.g != c.g || a.b != c.b;
  };
  auto outside = [&](int x, int y, Rgb c) {
    return changed(x, y, c) && (x > 160 * kW / 640 || y > 16 * kH / 480);
  };
  EXPECT_GT(lined.Count(changed), 100);
  EXPECT_EQ(lined.Count(outside), 0);
  ResetText();
}
