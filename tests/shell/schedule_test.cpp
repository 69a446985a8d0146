// The frame's schedule: which scene and mode every order and row of the run gets.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/system.h"
#include "scenes/frame_clock.h"
#include "shell/frame.h"
#include "shell/schedule.h"

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
      if (frame > 0) {
        EXPECT_NEAR(frameClock.elapsedSeconds - previous, 0.020, 0.001) << days << " days, frame " << frame;
      }
      previous = frameClock.elapsedSeconds;
    }
  }
  SetTickSource(nullptr);
  frameClock = FrameClock{};
}

// Both sides of every boundary. The cut-ins of orders 12 to 14 are short spans whose ends
// depend on how the sync time rounds to a float: rows 8 and 48 land above their decimal, rows
// 16 and 40 below or on theirs, and every threshold is a strict "greater than".
TEST(Schedule, BoundaryRows) {
  using enum SceneId;
  struct Row {
    int order, row;
    SceneId scene;
    int mode = 0;
  };
  const Row rows[] = {
      {0, 0, Opening}, {4, 0, Opening}, {4, 1, CubeField, 3}, {8, 0, CubeField, 3}, {8, 1, CubeField, 1},
      {12, 0, CubeField, 1}, {12, 1, WaveFloor}, {12, 7, WaveFloor}, {12, 8, RingTube}, {12, 16, RingTube},
      {12, 17, WaveFloor}, {12, 40, WaveFloor}, {12, 41, Lightning}, {12, 47, Lightning}, {12, 48, WaveFloor},
      {13, 7, WaveFloor}, {13, 8, WobblingMesh, 1}, {13, 16, WobblingMesh, 1}, {13, 17, WaveFloor},
      {13, 40, WaveFloor}, {13, 41, WobblingMesh, 2}, {13, 47, WobblingMesh, 2}, {13, 48, WaveFloor},
      {14, 7, WaveFloor}, {14, 8, WobblingMesh, 3}, {14, 16, WobblingMesh, 3}, {14, 17, WaveFloor},
      {14, 40, WaveFloor}, {14, 41, Opening}, {16, 0, Opening}, {16, 1, RingTube}, {17, 0, RingTube},
      {17, 1, BlobOrbit}, {20, 0, BlobOrbit}, {20, 1, CubeField, 2}, {24, 0, CubeField, 2}, {24, 1, BlobTunnel},
      {28, 0, BlobTunnel}, {28, 1, WaveFloor}, {46, 1, WaveFloor},
  };
  for (const Row& r : rows) {
    const ScheduleStep s = PickScene(ComputeSyncTime(r.order, r.row));
    EXPECT_EQ(std::tuple(s.scene, s.mode), std::tuple(r.scene, r.mode)) << "order " << r.order << " row " << r.row;
  }
  // The end text's first row, which the tools look frames up by.
  EXPECT_LE(ComputeSyncTime(kEndTextOrder, kEndTextRow - 1), kEndTextFrom);
  EXPECT_GT(ComputeSyncTime(kEndTextOrder, kEndTextRow), kEndTextFrom);
}

// A mode given with a step goes where its scene reads it, and only there; a step without one
// leaves the last.
TEST(SceneTable, ModesGoWhereTheirSceneReadsThem) {
  frameClock = FrameClock{};
  PassScene(SceneId::CubeField, 2);
  PassScene(SceneId::WobblingMesh, 3);
  PassScene(SceneId::WaveFloor, 1);
  PassScene(SceneId::CubeField, 0);
  EXPECT_EQ(std::tuple(frameClock.cubeFieldMode, frameClock.wobbleMode), std::tuple(2, 3));
  frameClock = FrameClock{};
}
