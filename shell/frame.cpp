#include "shell/frame.h"

#include "music/output.h"
#include "platform/gl.h"
#include "platform/system.h"
#include "scenes/frame_clock.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "shell/present.h"
#include "shell/shell_state.h"

float TickSeconds(uint32_t ticks) { return static_cast<float>(static_cast<double>(ticks) * static_cast<double>(0.001f)); }

float ElapsedSince(float startTime, uint32_t ticks) {
  return static_cast<float>(static_cast<double>(ticks) * static_cast<double>(0.001f) - static_cast<double>(startTime));
}

int RenderFrame() {
  FrameClock& fc = frameClock;
  if (fc.startTime == 0.0f) fc.startTime = TickSeconds(GetTickCount32());
  FrameInputs in;
  in.order = GetAudibleOrder(shellState.player);
  in.row = GetAudibleRow(shellState.player);
  in.elapsedSeconds = ElapsedSince(fc.startTime, GetTickCount32());
  return RenderFrameFrom(in);
}

namespace {

void (*gFinisher)() = nullptr;

int RunFrame(const FrameInputs& in, bool draw) {
  FrameClock& fc = frameClock;
  fc.musicOrder = in.order;
  fc.musicRow = in.row;
  fc.syncTime = ComputeSyncTime(fc.musicOrder, fc.musicRow);
  fc.elapsedSeconds = in.elapsedSeconds;

  if (shellState.ready == 1) {
    if (draw) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    const ScheduleStep step = PickScene(fc.syncTime);
    if (draw)
      DrawScene(step.scene, step.mode);
    else
      PassScene(step.scene, step.mode);

    fc.previousFrameTime = fc.frameTime;
    fc.frameTime = fc.elapsedSeconds;
    if (static_cast<double>(fc.syncTime) > kEndTextFrom) draw ? DrawEndText() : AdvanceEndText();
    if (static_cast<double>(fc.syncTime) > kEndOfRun) {
      EndPresentation();
      return 1;
    }
  }
  if (draw) {
    if (gFinisher) gFinisher();
    PresentFrame();
  }
  return 0;
}

}  // namespace

void SetFrameFinisher(void (*finish)()) { gFinisher = finish; }

int RenderFrameFrom(const FrameInputs& in) { return RunFrame(in, true); }
int PassFrame(const FrameInputs& in) { return RunFrame(in, false); }
