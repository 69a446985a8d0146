// The off-screen GL context: bad sizes, depth and stencil, and read-back orientation; an ES 3
// context drawn on through the GL layer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/gl_layer.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "tests/headless_util.h"

TEST(Headless, RejectsImpossibleSizes) {
  std::string error;
  EXPECT_EQ(CreateHeadlessContext(0, 10, error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(CreateHeadlessContext(10, -1, error), nullptr);
}

TEST(Headless, HasDepthAndStencilAndReadsTopRowFirst) {
  std::string error;
  HeadlessContext* c = CreateHeadlessContext(37, 21, error);
  VALE_REQUIRE_HEADLESS_CONTEXT(c, error);
  GLint depthBits = 0, stencilBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  EXPECT_GE(depthBits, 24);
  EXPECT_GE(stencilBits, 8);

  // Red everywhere, green in the top rows only (GL's y grows upwards).
  glClearColor(1, 0, 0, 1);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 16, 37, 5);
  glClearColor(0, 1, 0, 1);
  glClearStencil(3);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  std::vector<uint8_t> rgb = ReadHeadlessPixels(c);
  std::vector<uint8_t> stencil = ReadHeadlessStencil(c);
  ASSERT_EQ(rgb.size(), 37u * 21 * 3);
  ASSERT_EQ(stencil.size(), 37u * 21);
  const size_t last = 37 * 21 - 1;
  EXPECT_EQ((std::array{rgb[0], rgb[1], stencil[0]}), (std::array<uint8_t, 3>{0, 255, 3})) << "top left";
  EXPECT_EQ((std::array{rgb[3 * last], rgb[3 * last + 1], stencil[last]}), (std::array<uint8_t, 3>{255, 0, 0}))
      << "bottom right";
  EXPECT_FALSE(ResizeHeadlessContext(c, 0, 30, error));
  DestroyHeadlessContext(c);
}

namespace {
// Drawn through the layer's entry points on either kind of context: flat-shaded quads whose four
// corners have four colours (the whole quad takes the last one's), one of them from a display
// list reached through glCallLists and a list base, and a quad's outline as polygon-mode lines.
std::vector<uint8_t> DrawLayerSample(HeadlessContext* c) {
  VglViewport(0, 0, 40, 30);
  VglClearColor(0, 0, 0, 1);
  VglClear(GL_COLOR_BUFFER_BIT);
  VglMatrixMode(GL_PROJECTION);
  VglLoadIdentity();
  VgluOrtho2D(0, 40, 0, 30);
  VglMatrixMode(GL_MODELVIEW);
  VglLoadIdentity();
  VglShadeModel(GL_FLAT);
  auto quad = [](float x0, float y0, float x1, float y1) {
    VglBegin(GL_QUADS);
    VglColor3f(1, 0, 0), VglVertex2f(x0, y0);
    VglColor3f(0, 1, 0), VglVertex2f(x1, y0);
    VglColor3f(0, 0, 1), VglVertex2f(x1, y1);
    VglColor3f(1, 1, 0), VglVertex2f(x0, y1);
    VglEnd();
  };
  quad(2, 2, 14, 14);
  const unsigned base = VglGenLists(2);
  VglNewList(base + 1, GL_COMPILE);
  VglTranslatef(20, 0, 0);
  quad(0, 2, 12, 14);
  VglEndList();
  VglListBase(base);
  const unsigned char one = 1;
  VglCallLists(1, GL_UNSIGNED_BYTE, &one);
  VglLoadIdentity();
  VglPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  quad(5.5f, 18.5f, 30.5f, 27.5f);
  VglPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  return ReadHeadlessPixels(c);
}
}  // namespace

TEST(Headless, AnEs3ContextIsDrawnOnThroughTheLayerAsDesktopGlDraws) {
  std::string error;
  HeadlessContext* desktop = CreateHeadlessContext(40, 30, error);
  VALE_REQUIRE_HEADLESS_CONTEXT(desktop, error);
  const std::vector<uint8_t> expected = DrawLayerSample(desktop);
  DestroyHeadlessContext(desktop);

  HeadlessContext* c = CreateHeadlessContext(40, 30, error, HeadlessGl::Es3);
  VALE_REQUIRE_HEADLESS_CONTEXT(c, error);
  EXPECT_EQ(CurrentGlBackend(), GlBackend::Es3);
  const std::string version = reinterpret_cast<const char*>(VglGetString(GL_VERSION));
  EXPECT_EQ(version.rfind("OpenGL ES 3", 0), 0u) << version;
  // The blob scenes' look-up finds the layer's multitexture entry points.
  EXPECT_TRUE(HasGLExtension("GL_ARB_multitexture"));
  EXPECT_NE(GetGLProcAddress("glActiveTextureARB"), nullptr);
  const std::vector<uint8_t> drawn = DrawLayerSample(c);
  DestroyHeadlessContext(c);
  EXPECT_EQ(CurrentGlBackend(), GlBackend::Native);

  ASSERT_EQ(drawn.size(), expected.size());
  auto at = [&](int x, int y) { return std::array{drawn[3 * (y * 40 + x)], drawn[3 * (y * 40 + x) + 1], drawn[3 * (y * 40 + x) + 2]}; };
  const std::array<uint8_t, 3> yellow{255, 255, 0}, black{0, 0, 0};
  EXPECT_EQ(at(8, 22), yellow) << "the first quad, flat";           // rows count from the top
  EXPECT_EQ(at(26, 22), yellow) << "the quad of the list, flat";
  EXPECT_EQ(at(18, 7), black) << "inside the outline";
  EXPECT_EQ(at(18, 2), yellow) << "the outline's top edge";
  int differing = 0;
  for (size_t k = 0; k < drawn.size(); ++k) differing += drawn[k] != expected[k];
  EXPECT_EQ(differing, 0);
}
