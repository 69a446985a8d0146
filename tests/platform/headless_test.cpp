// The off-screen GL context: bad sizes, depth and stencil, and read-back orientation.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

#include "platform/headless.h"
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
