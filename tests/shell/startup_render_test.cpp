// The start-up off-screen, in steps: each step's bar image shows the work units done by then and
// the last the full bar; the nine textures uploaded each under its own name with the upload's
// parameters and its own entry's image; a start-up given up while the bar fills.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <set>
#include <vector>

#include "music/load_ahead.h"
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
int presents = 0, musicStarts = 0;
std::vector<int> fills;  // the orange fill's width in pixels, per bar image
void CountPresent() {
  ++presents;
  std::array<uint8_t, kW * 4> row{};
  glReadPixels(0, kH / 2, kW, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
  int fill = 0;
  for (int x = 0; x < kW; ++x) fill += row[4 * x] == 255 && row[4 * x + 1] == 102 && row[4 * x + 2] == 0;
  fills.push_back(fill);
}
void CountMusicStart() { ++musicStarts; }
constexpr StartupServices kServices{CountPresent, CountMusicStart, nullptr};
constexpr auto kOneInstruction = std::chrono::steady_clock::duration::zero();

class StartupRender : public HeadlessTest<kW, kH> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    shellState = ShellState{};
    ResetScenes();
    textureNames.fill(0);
    presents = musicStarts = 0;
    fills.clear();
  }
  void TearDown() override {
    textureNames.fill(0);
    HeadlessTest::TearDown();
  }
};

}  // namespace

TEST_F(StartupRender, StepsShowTheUnitsDoneThenUploadNineTexturesUnderTheirOwnNames) {
  BeginStartup();
  int steps = 1;
  while (!StepStartup(kServices, kOneInstruction)) ++steps;
  EXPECT_FALSE(StartupUnderway());
  // A slice that has passed at once still runs an instruction: one image per work unit, the fill
  // (614 of 640 units across the view) ending where the units done by then put it.
  EXPECT_EQ(steps, 104);
  ASSERT_EQ(fills.size(), 104u);
  for (int k = 1; k <= 104; ++k) EXPECT_NEAR(fills[k - 1], 614.0 * k / 104 * kW / 640, 1.0) << k;
  EXPECT_EQ(musicStarts, 1);
  EXPECT_FALSE(SoundtrackLoadingAhead()) << "the soundtrack loaded ahead was freed, not left behind";
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

TEST_F(StartupRender, GivenUpWhileTheBarFillsNothingAfterTheGenerationRuns) {
  BeginStartup();
  for (int k = 0; k < 10; ++k) ASSERT_FALSE(StepStartup(kServices, kOneInstruction));
  AbandonStartup();
  EXPECT_FALSE(StartupUnderway());
  EXPECT_FALSE(SoundtrackLoadingAhead());
  EXPECT_FALSE(StepStartup(kServices, kOneInstruction));
  EXPECT_EQ(presents, 10);
  EXPECT_EQ(musicStarts, 0);
  EXPECT_EQ(shellState.ready, 0);
  EXPECT_EQ(textureNames[0], 0u) << "nothing uploaded";
}
