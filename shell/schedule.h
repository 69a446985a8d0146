// shell/schedule.h: the fixed schedule that picks the one scene drawn for a sync time, with the
// mode it is drawn in, and the sync times at which the end text starts and the run ends.
#pragma once
#include <cstdint>
#include <vector>

#include "music/song_position.h"
#include "scenes/frame_clock.h"
#include "scenes/scene_table.h"

struct ScheduleStep {
  SceneId scene = SceneId::Opening;
  int32_t mode = 0;  // written where the scene reads it before it runs; 0 leaves the last one
  bool operator==(const ScheduleStep&) const = default;
};

// The step for a sync time: strict greater-than against each threshold, highest first.
ScheduleStep PickScene(float syncTime);

// One span of the schedule: its step, and the first and last music positions that play it.
struct ScheduleSpan {
  SongPosition from, last;
  ScheduleStep step;
};
// Every span in playing order, found along the song's rows up to the run's end (every pattern of
// the soundtrack has 64 rows); the first starts at 0.000. Frames sample these rows, so no run
// shows more spans.
std::vector<ScheduleSpan> ScheduleSpans();

// The sync time after which the end-text overlay is drawn, and after which the run ends: past
// row 0 of the end order, at kEndPosition.
inline constexpr double kEndTextFrom = 28.032, kEndOfRun = kEndPosition.order;
// The first music position past kEndTextFrom: row 32 of order 28 rounds to a float just below it.
inline constexpr int32_t kEndTextOrder = 28, kEndTextRow = 33;
