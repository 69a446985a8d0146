// The start-up off-screen: the loading bar presented once per work unit, the nine textures
// uploaded each under its own name with the upload's parameters and its own entry's image, and a
// stop asked for while the bar fills.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <vector>

#include "platform/headless.h"
#include "scenes/scene_table.h"
#include "shell/shell_state.h"
#include "shell/startup.h"
#include "tests/headless_util.h"
#include "texgen/generator.h"
#include "texgen/texture_set.h"
#include "texgen/upload.h"

namespace {

constexpr int kW = 320, kH = 240;
int presents = 0, stopAfter = 0, musicStarts = 0;
void CountPresent() { ++presents; }
bool StopAfterSome() { return stopAfter > 0 && presents >= stopAfter; }
void CountMusicStart() { ++musicStarts; }

class StartupRender : public HeadlessTest<kW, kH> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    shellState = ShellState{};
    ResetScenes();
    textureNames.fill(0);
    presents = stopAfter = musicStarts = 0;
  }
  void TearDown() override {
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
  const std::set<uint32_t> names(textureNames.begin(), textureNames.end());
  EXPECT_EQ(names.size(), 9u);
  EXPECT_EQ(names.count(0), 0u);
  // Texture k holds the image of the script list's entry k, as the bytes R, G, B, 128.
  std::vector<TextureImage> expected = GenerateTextures(TextureScriptList(), nullptr);
  ASSERT_EQ(expected.size(), 9u);
  for (int k = 0; k < 9; ++k) {
    glBindTexture(GL_TEXTURE_2D, textureNames[k]);
    auto level = [](GLenum what) { GLint v = 0; glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v); return v; };
    auto param = [](GLenum what) { GLint v = 0; glGetTexParameteriv(GL_TEXTURE_2D, what, &v); return v; };
    EXPECT_EQ((std::array<GLint, 6>{level(GL_TEXTURE_WIDTH), level(GL_TEXTURE_HEIGHT), param(GL_TEXTURE_WRAP_S),
                                    param(GL_TEXTURE_WRAP_T), param(GL_TEXTURE_MIN_FILTER), param(GL_TEXTURE_MAG_FILTER)}),
              (std::array<GLint, 6>{256, 256, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR})) << k;
    std::vector<uint8_t> bytes(256 * 256 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    SwizzleForUpload(expected[k]);
    EXPECT_EQ(std::memcmp(bytes.data(), expected[k].data(), bytes.size()), 0) << "texture " << k;
  }
}

TEST_F(StartupRender, AStopWhileTheBarFillsEndsTheStartUpThere) {
  stopAfter = 10;
  EXPECT_FALSE(RunStartupSequence({CountPresent, CountMusicStart, nullptr, StopAfterSome}));
  EXPECT_EQ(presents, 10);
  EXPECT_EQ(musicStarts, 0);
  EXPECT_EQ(shellState.ready, 0);
  EXPECT_EQ(textureNames[0], 0u) << "nothing uploaded";
}
