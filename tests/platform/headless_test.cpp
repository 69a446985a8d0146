// The off-screen GL context: bad sizes, depth and stencil, and read-back orientation.
#include <GL/gl.h>
#include <gtest/gtest.h>

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
  EXPECT_EQ(rgb[0], 0);
  EXPECT_EQ(rgb[1], 255);
  EXPECT_EQ(stencil[0], 3);
  size_t last = (37 * 21 - 1);
  EXPECT_EQ(rgb[3 * last], 255);
  EXPECT_EQ(rgb[3 * last + 1], 0);
  EXPECT_EQ(stencil[last], 0);
  DestroyHeadlessContext(c);
}

// A replay runs small and then draws large in the same context: the framebuffer changes size,
// what was uploaded stays.
TEST(Headless, ResizeKeepsTexturesAndListsAndReadsBackTheNewSize) {
  std::string error;
  HeadlessContext* ctx = CreateHeadlessContext(16, 12, error);
  VALE_REQUIRE_HEADLESS_CONTEXT(ctx, error);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const uint8_t texel[4] = {1, 2, 3, 4};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glEndList();

  ASSERT_TRUE(ResizeHeadlessContext(ctx, 40, 30, error)) << error;
  int w = 0, h = 0;
  GetHeadlessSize(ctx, w, h);
  EXPECT_EQ(w, 40);
  EXPECT_EQ(h, 30);
  EXPECT_TRUE(glIsTexture(texture));
  EXPECT_TRUE(glIsList(list));
  glViewport(0, 0, 40, 30);
  glCallList(list);
  glClear(GL_COLOR_BUFFER_BIT);
  const std::vector<uint8_t> rgb = ReadHeadlessPixels(ctx);
  ASSERT_EQ(rgb.size(), 40u * 30u * 3u);
  EXPECT_EQ(rgb[0], 0);
  EXPECT_EQ(rgb[1], 255);
  EXPECT_EQ(rgb[rgb.size() - 2], 255);  // the far corner is in the new storage too

  EXPECT_FALSE(ResizeHeadlessContext(ctx, 0, 30, error));
  DestroyHeadlessContext(ctx);
}
