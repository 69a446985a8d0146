// The frame's schedule: which scene and mode every order and row of the run gets.
#include <gtest/gtest.h>

#include "platform/system.h"
#include "scenes/frame_clock.h"
#include "shell/frame.h"

namespace {

ScheduleStep At(int order, int row) { return PickScene(ComputeSyncTime(order, row)); }

void ExpectScene(int order, int row, SceneId scene, int cubeMode = 0, int wobbleMode = 0) {
  ScheduleStep s = At(order, row);
  EXPECT_EQ(s.scene, scene) << "order " << order << " row " << row;
  EXPECT_EQ(s.cubeFieldMode, cubeMode) << "order " << order << " row " << row;
  EXPECT_EQ(s.wobbleMode, wobbleMode) << "order " << order << " row " << row;
}

}  // namespace

TEST(SyncTime, IsOrderPlusRowThousandthsRoundedToFloat) {
  EXPECT_EQ(ComputeSyncTime(0, 0), 0.0f);
  EXPECT_EQ(ComputeSyncTime(12, 8), static_cast<float>(12.008));
  EXPECT_EQ(ComputeSyncTime(46, 1), static_cast<float>(46.001));
  // The rounding that decides the short spans: rows 8 and 48 land above their decimal,
  // rows 16 and 40 below or on theirs.
  for (int order : {12, 13, 14}) {
    EXPECT_GT(static_cast<double>(ComputeSyncTime(order, 8)), order + 0.008) << order;
    EXPECT_GT(static_cast<double>(ComputeSyncTime(order, 48)), order + 0.048) << order;
    EXPECT_LE(static_cast<double>(ComputeSyncTime(order, 16)), order + 0.016) << order;
    EXPECT_LE(static_cast<double>(ComputeSyncTime(order, 40)), order + 0.04) << order;
  }
}

// The animation clock must keep its 20 ms steps however long the machine has been up: only
// the start time is held as a float, the reading itself is not rounded before subtracting.
namespace {
uint32_t gTicks = 0;
uint32_t FakeTicks() { return gTicks; }
}  // namespace

TEST(FrameClock, StepsStayEvenAfterLongUptime) {
  SetTickSource(FakeTicks);
  for (uint32_t days : {1u, 10u, 30u}) {
    frameClock = FrameClock{};
    gTicks = days * 86400u * 1000u + 123u;
    float previous = 0.0f;
    for (int frame = 0; frame < 20; ++frame, gTicks += 20) {
      ASSERT_EQ(RenderFrame(), 0);  // not ready: reads the clocks, draws nothing
      if (frame > 0)
        EXPECT_NEAR(frameClock.elapsedSeconds - previous, 0.020, 0.001) << days << " days, frame " << frame;
      previous = frameClock.elapsedSeconds;
    }
  }
  SetTickSource(nullptr);
  frameClock = FrameClock{};
}

TEST(Schedule, OpeningAndCubeFields) {
  ExpectScene(0, 0, SceneId::Opening);
  ExpectScene(3, 63, SceneId::Opening);
  ExpectScene(4, 0, SceneId::Opening);
  ExpectScene(4, 1, SceneId::CubeField, 3);
  ExpectScene(8, 0, SceneId::CubeField, 3);
  ExpectScene(8, 1, SceneId::CubeField, 1);
  ExpectScene(12, 0, SceneId::CubeField, 1);
}

TEST(Schedule, CutInsOfOrders12To14) {
  ExpectScene(12, 1, SceneId::WaveFloor);
  ExpectScene(12, 7, SceneId::WaveFloor);
  ExpectScene(12, 8, SceneId::RingTube);
  ExpectScene(12, 16, SceneId::RingTube);
  ExpectScene(12, 17, SceneId::WaveFloor);
  ExpectScene(12, 40, SceneId::WaveFloor);
  ExpectScene(12, 41, SceneId::Lightning);
  ExpectScene(12, 47, SceneId::Lightning);
  ExpectScene(12, 48, SceneId::WaveFloor);
  ExpectScene(13, 7, SceneId::WaveFloor);
  ExpectScene(13, 8, SceneId::WobblingMesh, 0, 1);
  ExpectScene(13, 16, SceneId::WobblingMesh, 0, 1);
  ExpectScene(13, 17, SceneId::WaveFloor);
  ExpectScene(13, 40, SceneId::WaveFloor);
  ExpectScene(13, 41, SceneId::WobblingMesh, 0, 2);
  ExpectScene(13, 47, SceneId::WobblingMesh, 0, 2);
  ExpectScene(13, 48, SceneId::WaveFloor);
  ExpectScene(14, 7, SceneId::WaveFloor);
  ExpectScene(14, 8, SceneId::WobblingMesh, 0, 3);
  ExpectScene(14, 16, SceneId::WobblingMesh, 0, 3);
  ExpectScene(14, 17, SceneId::WaveFloor);
  ExpectScene(14, 40, SceneId::WaveFloor);
  ExpectScene(14, 41, SceneId::Opening);
  ExpectScene(16, 0, SceneId::Opening);
}

TEST(Schedule, LaterSections) {
  ExpectScene(16, 1, SceneId::RingTube);
  ExpectScene(17, 0, SceneId::RingTube);
  ExpectScene(17, 1, SceneId::BlobOrbit);
  ExpectScene(20, 0, SceneId::BlobOrbit);
  ExpectScene(20, 1, SceneId::CubeField, 2);
  ExpectScene(24, 0, SceneId::CubeField, 2);
  ExpectScene(24, 1, SceneId::BlobTunnel);
  ExpectScene(28, 0, SceneId::BlobTunnel);
  ExpectScene(28, 1, SceneId::WaveFloor);
  ExpectScene(45, 63, SceneId::WaveFloor);
  ExpectScene(46, 1, SceneId::WaveFloor);
}

TEST(Schedule, EveryRowOfTheRunHasExactlyOneScene) {
  // Walk the whole run row by row: the scene only changes at the listed boundaries.
  int changes = 0;
  ScheduleStep last = At(0, 0);
  for (int order = 0; order <= 46; ++order)
    for (int row = 0; row < 64; ++row) {
      ScheduleStep s = At(order, row);
      if (s.scene != last.scene || s.cubeFieldMode != last.cubeFieldMode || s.wobbleMode != last.wobbleMode)
        ++changes;
      last = s;
    }
  EXPECT_EQ(changes, 19);
}

TEST(EndOfRun, OverlayAndEndThresholds) {
  EXPECT_FALSE(static_cast<double>(ComputeSyncTime(28, 32)) > kEndTextFrom);
  EXPECT_TRUE(static_cast<double>(ComputeSyncTime(28, 33)) > kEndTextFrom);
  EXPECT_FALSE(static_cast<double>(ComputeSyncTime(46, 0)) > kEndOfRun);
  EXPECT_TRUE(static_cast<double>(ComputeSyncTime(46, 1)) > kEndOfRun);
}
