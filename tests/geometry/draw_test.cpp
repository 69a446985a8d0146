#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <string>

#include "geometry/iso_surface.h"
#include "geometry/metaball.h"
#include "geometry/mesh.h"
#include "platform/headless.h"
#include "tests/headless_util.h"

namespace {

class Draw : public HeadlessTest<64, 64> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    if (!context_) return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20, 20, -20, 20, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  std::array<uint8_t, 3> Pixel(int x, int y) {
    const std::vector<uint8_t> rgb = ReadHeadlessPixels(context_);
    const size_t at = (size_t(y) * 64 + x) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
  }
  // GL's current texture coordinates (s, t, r, q) or normal (x, y, z, then 0).
  static std::array<float, 4> Current(GLenum what) {
    std::array<float, 4> v{};
    glGetFloatv(what, v.data());
    return v;
  }
  static GLuint BoundTexture() {
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return GLuint(bound);
  }
};

TEST_F(Draw, MeshUsesItsTransformAndLeavesTheMatrixAlone) {
  Mesh box;
  ASSERT_TRUE(BuildBoxMesh(box));
  box.position = {10, 0, 0};
  box.scale = {0.5f, 0.5f, 0.5f};  // a 10-unit square centred at x = 10
  float before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  glTexCoord2f(0.25f, 0.75f);
  DrawMesh(box);
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(before[i], after[i]);
  EXPECT_EQ(Pixel(48, 32)[0], 255) << "inside the box";
  EXPECT_EQ(Pixel(16, 32)[0], 0) << "the untranslated place stays empty";
  EXPECT_EQ(Current(GL_CURRENT_TEXTURE_COORDS), (std::array{0.25f, 0.75f, 0.0f, 1.0f}))
      << "untextured meshes send no texture coordinates";
  EXPECT_EQ(BoundTexture(), 0u);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Draw, SurfaceDrawsItsTrianglesWithTheirNormalValues) {
  MetaballField = kStartupCharges;
  IsoSurface s;
  ASSERT_TRUE(CreateIsoSurface(s, 20, 1.0f, MetaballFieldValue));
  ASSERT_GT(PolygoniseIsoSurface(s), 0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -2, 2);
  glMatrixMode(GL_MODELVIEW);
  DrawIsoSurface(s);
  EXPECT_EQ(Pixel(32, 32)[2], 255) << "the blob covers the middle";
  EXPECT_EQ(Pixel(1, 1)[2], 0) << "and not the corner";
  const IsoTriangle& last = s.triangles.back();
  EXPECT_EQ(Current(GL_CURRENT_NORMAL), (std::array{last.normal.x, last.normal.y, last.normal.z, 0.0f}));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  DestroyIsoSurface(s);
}

}  // namespace
