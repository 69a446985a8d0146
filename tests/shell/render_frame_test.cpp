// One frame as a whole, drawn off-screen: nothing before the start-up is done, and the run's
// end, which presents nothing and ends the presentation only once.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/headless.h"
#include "platform/window.h"
#include "scenes/scene_table.h"
#include "shell/frame.h"
#include "shell/present.h"
#include "shell/run.h"
#include "shell/shell_state.h"
#include "tests/headless_util.h"

namespace {

constexpr int kW = 64, kH = 48;

bool AllRed(const std::vector<uint8_t>& rgb) {
  for (size_t i = 0; i < rgb.size(); i += 3)
    if (rgb[i] != 255 || rgb[i + 1] != 0 || rgb[i + 2] != 0) return false;
  return true;
}

class RenderFrameTest : public HeadlessTest<kW, kH> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    if (!context_) return;
    shellState = ShellState{};
    ResetScenes();
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
};

}  // namespace

TEST_F(RenderFrameTest, DrawsNothingBeforeTheStartUpIsDone) {
  const uint64_t presented = PresentedFrames();
  EXPECT_EQ(RenderFrameFrom({5, 0, 1.0f}), 0);
  EXPECT_TRUE(AllRed(ReadHeadlessPixels(context_))) << "a frame drew before the ready flag";
  EXPECT_EQ(PresentedFrames(), presented + 1) << "a frame before loading still presents";

  shellState.ready = 1;
  EXPECT_EQ(RenderFrameFrom({5, 0, 1.0f}), 0);
  EXPECT_FALSE(AllRed(ReadHeadlessPixels(context_))) << "the ready frame did not clear and draw";
}

TEST_F(RenderFrameTest, EndsAtOrder46Row1WithoutPresentingAndOnlyOnce) {
  shellState.ready = 1;
  shellState.glContext = true;
  EXPECT_EQ(RenderFrameFrom({46, 0, 1.0f}), 0);
  EXPECT_FALSE(shellState.presentationEnded);

  const uint64_t presented = PresentedFrames();
  EXPECT_EQ(RenderFrameFrom({46, 1, 1.02f}), 1);
  EXPECT_EQ(PresentedFrames(), presented) << "the last frame must not be presented";
  EXPECT_TRUE(shellState.presentationEnded);
  EXPECT_EQ(shellState.player, nullptr);

  // The run's shutdown follows; an Escape or a paint still in the queue does nothing more.
  Shutdown(0);
  ASSERT_EQ(CurrentRunPhase(), RunPhase::Over);
  HandleRunEvent({.type = WindowEventType::Char, .charCode = 27});
  HandleRunEvent({.type = WindowEventType::Paint});
  StepRun();
  EXPECT_EQ(PresentedFrames(), presented);
  EXPECT_EQ(RunExitCode(), 0);
}
