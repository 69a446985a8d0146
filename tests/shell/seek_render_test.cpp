// A seek off-screen: taken back to a lightning frame and then on to a blob-orbit frame, the run
// draws them, and holds the random draws and the orbit's counter, as the straight run did.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/headless.h"
#include "platform/random.h"
#include "scenes/blob_scenes.h"
#include "scenes/scene_table.h"
#include "shell/offline_run.h"
#include "shell/seek.h"
#include "shell/shell_state.h"
#include "tests/headless_util.h"

namespace {

constexpr int kW = 160, kH = 120;

struct RunState {
  std::vector<uint8_t> rgb;
  uint32_t random = 0;
  int32_t orbitCounter = 0;
  bool operator==(const RunState&) const = default;
};

class SeekRender : public HeadlessTest<kW, kH> {
 protected:
  RunState DrawAt(int64_t frame) {
    EXPECT_EQ(ReplayDrawFrame(ReplayFrameInputs(frame)), 0);
    return {ReadHeadlessPixels(context_), RandomState(), BlobOrbitCounter()};
  }
};

}  // namespace

TEST_F(SeekRender, BackwardThenForwardLandsOnTheStraightRunsState) {
  if (!context_) return;
  shellState = ShellState{};
  shellState.currentWidth = kW;
  shellState.currentHeight = kH;
  ResetScenes();
  StartReplay({kSeekFps, false});
  ASSERT_TRUE(ReplayHasMusic());
  NoteRunStart();
  ASSERT_TRUE(PrepareSongMap());

  const int64_t lightning = SeekFrameFor({12, 44});  // the lightning plays from 12.041 to 12.048
  const int64_t orbit = SeekFrameFor({18, 20});
  const FrameInputs in = ReplayFrameInputs(lightning);
  ASSERT_EQ(PickScene(ComputeSyncTime(in.order, in.row)).scene, SceneId::Lightning);
  // The straight replay, as the tools run it.
  ReplayUntil(lightning);
  const RunState atLightning = DrawAt(lightning);
  ReplayUntil(orbit);
  const RunState atOrbit = DrawAt(orbit);
  ASSERT_GT(atOrbit.orbitCounter, 0);

  CatchUpTo(lightning);
  EXPECT_TRUE(DrawAt(lightning) == atLightning) << "back to the lightning";
  CatchUpTo(orbit);
  const RunState again = DrawAt(orbit);
  EXPECT_EQ(again.orbitCounter, atOrbit.orbitCounter);
  EXPECT_EQ(again.random, atOrbit.random);
  EXPECT_TRUE(again.rgb == atOrbit.rgb) << "on to the blob orbit";
}
