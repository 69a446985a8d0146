// The start-up off-screen: the loading bar presented once per work unit, the nine textures
// uploaded each under its own name with the upload's parameters, the cube field drawn with
// them, and a stop asked for while the bar fills.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "platform/headless.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/scenes.h"
#include "shell/shell_state.h"
#include "shell/startup.h"
#include "texgen/upload.h"
#include "tests/headless_util.h"

namespace {

constexpr int kW = 320, kH = 240;
int presents = 0, stopAfter = 0, musicStarts = 0;
void CountPresent() { ++presents; }
bool StopAfterSome() { return stopAfter > 0 && presents >= stopAfter; }
void CountMusicStart() { ++musicStarts; }

std::vector<uint8_t> TextureBytes(uint32_t name) {
  std::vector<uint8_t> bytes(256 * 256 * 4);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  return bytes;
}

// Mean colour as shares of its sum.
std::array<double, 3> ColourShares(const uint8_t* rgb, size_t pixels, size_t stride, int floor) {
  std::array<double, 3> sum{};
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* p = rgb + i * stride;
    if (p[0] + p[1] + p[2] <= floor) continue;
    for (int c = 0; c < 3; ++c) sum[c] += p[c];
  }
  const double total = sum[0] + sum[1] + sum[2];
  for (double& s : sum) s /= total;
  return sum;
}

class StartupRender : public HeadlessTest<kW, kH> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    if (!context_) return;
    shellState = ShellState{};
    frameClock = FrameClock{};
    textureNames.fill(0);
    ResetCubeLattice();
    presents = stopAfter = musicStarts = 0;
  }
  void TearDown() override {
    shellState = ShellState{};
    textureNames.fill(0);
    HeadlessTest::TearDown();
  }
};

}  // namespace

TEST_F(StartupRender, UploadsNineTexturesUnderTheirOwnNamesAfterTheFullBar) {
  ASSERT_TRUE(RunStartupSequence({CountPresent, CountMusicStart, nullptr, StopAfterSome}));
  EXPECT_EQ(presents, 104) << "one loading-bar image per work unit";
  EXPECT_EQ(musicStarts, 1);
  EXPECT_EQ(shellState.ready, 1);
  // The last bar image, still on screen, is full: orange up to the trough's end.
  const std::vector<uint8_t> bar = ReadHeadlessPixels(context_);
  const uint8_t* end = &bar[3 * (118 * kW + 311)];  // 622 of 640 units across, on the bar
  EXPECT_GT(end[0], 200);
  EXPECT_LT(end[2], 30);

  const std::set<uint32_t> names(textureNames.begin(), textureNames.end());
  EXPECT_EQ(names.size(), 9u);
  EXPECT_EQ(names.count(0), 0u);
  GLint env = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_MODULATE);
  std::array<std::vector<uint8_t>, 9> images;
  for (int k = 0; k < 9; ++k) {
    glBindTexture(GL_TEXTURE_2D, textureNames[k]);
    auto level = [](GLenum what) { GLint v = 0; glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v); return v; };
    auto param = [](GLenum what) { GLint v = 0; glGetTexParameteriv(GL_TEXTURE_2D, what, &v); return v; };
    EXPECT_EQ((std::array<GLint, 6>{level(GL_TEXTURE_WIDTH), level(GL_TEXTURE_HEIGHT), param(GL_TEXTURE_WRAP_S),
                                    param(GL_TEXTURE_WRAP_T), param(GL_TEXTURE_MIN_FILTER), param(GL_TEXTURE_MAG_FILTER)}),
              (std::array<GLint, 6>{256, 256, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR})) << k;
    const GLint components = level(GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(components == 4 || components == GL_RGBA || components == GL_RGBA8) << k;
    images[k] = TextureBytes(textureNames[k]);
    for (size_t i = 3; i < images[k].size(); i += 4) ASSERT_EQ(images[k][i], 128) << "alpha of texture " << k;
  }
  for (int k : {4, 5, 6, 7}) EXPECT_EQ(images[k], images[0]) << "texture " << k << " is script A's image";
  for (int k : {1, 2, 3, 8}) EXPECT_NE(images[k], images[0]) << k;

  // Mode 2 covers the lattice with texture 1: fogged to black, but in texture 1's hues.
  frameClock.cubeFieldMode = 2;
  frameClock.syncTime = 21.0f;
  frameClock.elapsedSeconds = 1.3f;
  DrawCubeFieldScene();
  const std::vector<uint8_t> frame = ReadHeadlessPixels(context_);
  const auto seen = ColourShares(frame.data(), kW * kH, 3, 60);
  const auto texture1 = ColourShares(images[1].data(), 256 * 256, 4, 60);
  const auto texture3 = ColourShares(images[3].data(), 256 * 256, 4, 60);
  double off1 = 0, off3 = 0;
  for (int c = 0; c < 3; ++c) off1 += std::abs(seen[c] - texture1[c]), off3 += std::abs(seen[c] - texture3[c]);
  EXPECT_LT(off1, 0.1) << "red share seen " << seen[0] << ", in texture 1 " << texture1[0];
  EXPECT_GT(off3, 3 * off1);
}

TEST_F(StartupRender, AStopWhileTheBarFillsEndsTheStartUpThere) {
  stopAfter = 10;
  EXPECT_FALSE(RunStartupSequence({CountPresent, CountMusicStart, nullptr, StopAfterSome}));
  EXPECT_EQ(presents, 10);
  EXPECT_EQ(musicStarts, 0);
  EXPECT_EQ(shellState.ready, 0);
  EXPECT_EQ(textureNames[0], 0u) << "nothing uploaded";
}
