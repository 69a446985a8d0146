// shell/frame.h: one frame of the presentation: the audible music position becomes the sync
// time, the schedule picks the scene drawn for it, the end text goes on top, and the run ends by
// itself past its end order.
#pragma once
#include <cstdint>

#include "shell/schedule.h"

// Seconds of a tick count, as the start time keeps them: ticks x 0.001f rounded to float.
float TickSeconds(uint32_t ticks);
// Seconds since the start time for a tick reading: the reading is taken in double and only
// the result is rounded, so the clock keeps its millisecond steps after weeks of uptime.
float ElapsedSince(float startTime, uint32_t ticks);

// What one frame is drawn from: the audible music position and the animation clock.
struct FrameInputs {
  int32_t order = 0;
  int32_t row = 0;
  float elapsedSeconds = 0.0f;
};
// Runs one frame from the tick counter and the audible position of the music; 0 to go on,
// 1 when the presentation has finished (nothing presented, EndPresentation done).
int RenderFrame();
// The frame itself for given clock readings: the live frame and the headless replay both
// come through here. Same result as RenderFrame.
int RenderFrameFrom(const FrameInputs& inputs);
// A frame run without drawing: the clock, the step's mode, the end text's scroll and what the
// scene carries (PassScene) advance as RenderFrameFrom advances them; nothing is cleared, drawn
// or presented. For a replay passing over the middle frames of a span of a scene that
// ScenePassable accepts.
int PassFrame(const FrameInputs& inputs);

// Called on every drawn frame after the scene and the end text, just before the present (null:
// nothing): the live viewer keeps a copy of the picture and draws its position line there.
void SetFrameFinisher(void (*finish)());
