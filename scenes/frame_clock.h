// scenes/frame_clock.h: the per-frame clock the shell writes and every scene reads.
// Smooth motion follows elapsedSeconds; cuts and flashes follow syncTime and musicRow.
// No scene keeps time of its own.
#pragma once
#include <cstdint>

struct FrameClock {
  float startTime = 0.0f;        // seconds of the tick counter at the first frame; 0 = not yet taken
  float elapsedSeconds = 0.0f;   // seconds since the first frame
  int32_t musicOrder = 0;        // audible pattern-order index
  int32_t musicRow = 0;          // audible row
  float syncTime = 0.0f;         // musicOrder + musicRow / 1000, rounded to float
  float frameTime = 0.0f;        // elapsedSeconds as recorded after this frame's scene
  float previousFrameTime = 0.0f;
  int32_t cubeFieldMode = 1;     // 1, 2 or 3, set by the schedule
  int32_t wobbleMode = 1;        // 1, 2 or 3, set by the schedule
};

extern FrameClock frameClock;
