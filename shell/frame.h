// shell/frame.h: the frame loop: the audible music position becomes the sync time, a fixed
// schedule picks the one scene drawn for it, and the run ends by itself past its end order.
#pragma once
#include <cstdint>

#include "music/song_position.h"

struct WindowEvent;

enum class SceneId { Opening, CubeField, WaveFloor, Lightning, BlobOrbit, BlobTunnel, RingTube, WobblingMesh };

struct ScheduleStep {
  SceneId scene;
  int32_t cubeFieldMode;  // set before the call when non-zero
  int32_t wobbleMode;     // set before the call when non-zero
};

// The scene for a sync time: strict greater-than against each threshold, highest first.
ScheduleStep PickScene(float syncTime);
// order + row / 1000, formed in double and rounded to float.
float ComputeSyncTime(int32_t order, int32_t row);
// Seconds of a tick count, as the start time keeps them: ticks x 0.001f rounded to float.
float TickSeconds(uint32_t ticks);
// Seconds since the start time for a tick reading: the reading is taken in double and only
// the result is rounded, so the clock keeps its millisecond steps after weeks of uptime.
float ElapsedSince(float startTime, uint32_t ticks);
// The sync time after which the end-text overlay is drawn, and after which the run ends: past
// row 0 of the end order, at kEndPosition.
inline constexpr double kEndTextFrom = 28.032, kEndOfRun = kEndPosition.order;

// Calls the entry point of a scene.
void CallScene(SceneId scene);
// Whether a frame of the scene may be run without drawing it (PassFrame), and what such a frame
// then does: it leaves for the next frame what a drawn one would (the blob charges moved).
bool ScenePassable(SceneId scene);
void PassScene(SceneId scene);

// What one frame is drawn from: the audible music position and the animation clock.
struct FrameInputs {
  int32_t order = 0;
  int32_t row = 0;
  float elapsedSeconds = 0.0f;
};
// Runs one frame from the tick counter and the audible position of the music; 0 to go on,
// 1 when the presentation has finished (nothing presented).
int RenderFrame();
// The frame itself for given clock readings: the live frame and the headless replay both
// come through here. Same result as RenderFrame.
int RenderFrameFrom(const FrameInputs& inputs);
// A frame run without drawing: the clock, the schedule's modes, the end text's scroll and what
// the scene carries (PassScene) advance as RenderFrameFrom advances them; nothing is cleared,
// drawn or presented. For a replay passing over the middle frames of a span of a scene that
// PassScene accepts.
int PassFrame(const FrameInputs& inputs);
// glFlush, then the buffer swap of the render window (if any).
void PresentFrame();
// How many frames (loading-bar images included) have been presented since the program began.
uint64_t PresentedFrames();
// Viewport to the current size, then the shared projection.
void ResizeViewport();
// Stops the music and gives the display back its desktop mode; runs at most once.
void EndPresentation();
// Restores the display, releases the GL context, stops the frame timer, posts quit; at most once.
void TeardownRenderWindow();
// What the render window does with an event from the pump.
void HandleRenderWindowEvent(const WindowEvent& event);
