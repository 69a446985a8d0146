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
  float syncTime = 0.0f;         // ComputeSyncTime(musicOrder, musicRow)
  float frameTime = 0.0f;        // elapsedSeconds as recorded after this frame's scene
  float previousFrameTime = 0.0f;
  int32_t cubeFieldMode = 1;     // 1, 2 or 3: the mode the schedule last gave the cube field
  int32_t wobbleMode = 1;        // 1, 2 or 3: the mode the schedule last gave the wobbling mesh
};

extern FrameClock frameClock;

// The sync time of a music position: row x 0.001 + order, formed in double and rounded to float.
// Everything placed on a row (the schedule's cuts, the title words, the panel changes) is
// compared with this same float, so it lands on its row exactly.
float ComputeSyncTime(int32_t order, int32_t row);
