#include "shell/frame.h"

#include <GL/gl.h>

#include <array>

#include "music/output.h"
#include "platform/system.h"
#include "platform/window.h"
#include "scenes/blob_scenes.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "shell/music_link.h"
#include "shell/shell_state.h"
#include "shell/startup.h"

namespace {

uint64_t gPresentedFrames = 0;

struct Span {
  double above;  // the scene runs while syncTime > above (and below the next span up)
  ScheduleStep step;
};

// Highest threshold first; the first one passed decides. Rows 8 and 48 already pass
// .008 and .048 on the rounded float, rows 16 and 40 do not pass .016 and .04.
constexpr std::array<Span, 19> kSchedule = {{
    {28.0, {SceneId::WaveFloor, 0, 0}},
    {24.0, {SceneId::BlobTunnel, 0, 0}},
    {20.0, {SceneId::CubeField, 2, 0}},
    {17.0, {SceneId::BlobOrbit, 0, 0}},
    {16.0, {SceneId::RingTube, 0, 0}},
    {14.04, {SceneId::Opening, 0, 0}},
    {14.016, {SceneId::WaveFloor, 0, 0}},
    {14.008, {SceneId::WobblingMesh, 0, 3}},
    {13.048, {SceneId::WaveFloor, 0, 0}},
    {13.04, {SceneId::WobblingMesh, 0, 2}},
    {13.016, {SceneId::WaveFloor, 0, 0}},
    {13.008, {SceneId::WobblingMesh, 0, 1}},
    {12.048, {SceneId::WaveFloor, 0, 0}},
    {12.04, {SceneId::Lightning, 0, 0}},
    {12.016, {SceneId::WaveFloor, 0, 0}},
    {12.008, {SceneId::RingTube, 0, 0}},
    {12.0, {SceneId::WaveFloor, 0, 0}},
    {8.0, {SceneId::CubeField, 1, 0}},
    {4.0, {SceneId::CubeField, 3, 0}},
}};

}  // namespace

ScheduleStep PickScene(float syncTime) {
  for (const Span& s : kSchedule)
    if (static_cast<double>(syncTime) > s.above) return s.step;
  return {SceneId::Opening, 0, 0};
}

float ComputeSyncTime(int32_t order, int32_t row) { return static_cast<float>(row * 0.001 + order); }

float TickSeconds(uint32_t ticks) { return static_cast<float>(static_cast<double>(ticks) * static_cast<double>(0.001f)); }

float ElapsedSince(float startTime, uint32_t ticks) {
  return static_cast<float>(static_cast<double>(ticks) * static_cast<double>(0.001f) - static_cast<double>(startTime));
}

void CallScene(SceneId scene) {
  switch (scene) {
    case SceneId::Opening: DrawOpeningScene(); break;
    case SceneId::CubeField: DrawCubeFieldScene(); break;
    case SceneId::WaveFloor: DrawWaveFloorScene(); break;
    case SceneId::Lightning: DrawLightningScene(); break;
    case SceneId::BlobOrbit: DrawBlobOrbitScene(); break;
    case SceneId::BlobTunnel: DrawBlobTunnelScene(); break;
    case SceneId::RingTube: DrawRingTubeScene(); break;
    case SceneId::WobblingMesh: DrawWobblingMeshScene(); break;
  }
}

bool ScenePassable(SceneId scene) {
  switch (scene) {
    // Drawn from the clock alone, every GL setting they draw with set afresh each frame.
    case SceneId::Opening:
    case SceneId::CubeField:
    case SceneId::WaveFloor:
    case SceneId::WobblingMesh:
    // The charges and the phase counter move on every frame; PassScene moves them.
    case SceneId::BlobOrbit:
    case SceneId::BlobTunnel: return true;
    // Random numbers drawn and a chain carried.
    case SceneId::Lightning: return false;
    // Carries nothing, but a span short enough that drawing its frames small costs little.
    case SceneId::RingTube: return false;
  }
  return false;
}

void PassScene(SceneId scene) {
  if (scene == SceneId::BlobOrbit) AdvanceBlobOrbitScene();
  if (scene == SceneId::BlobTunnel) AdvanceBlobTunnelScene();
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

int RunFrame(const FrameInputs& in, bool draw) {
  FrameClock& fc = frameClock;
  fc.musicOrder = in.order;
  fc.musicRow = in.row;
  fc.syncTime = ComputeSyncTime(fc.musicOrder, fc.musicRow);
  fc.elapsedSeconds = in.elapsedSeconds;

  if (shellState.ready == 1) {
    if (draw) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    ScheduleStep step = PickScene(fc.syncTime);
    if (step.cubeFieldMode) fc.cubeFieldMode = step.cubeFieldMode;
    if (step.wobbleMode) fc.wobbleMode = step.wobbleMode;
    if (draw)
      CallScene(step.scene);
    else
      PassScene(step.scene);

    fc.previousFrameTime = fc.frameTime;
    fc.frameTime = fc.elapsedSeconds;
    if (static_cast<double>(fc.syncTime) > kEndTextFrom) draw ? DrawEndText() : AdvanceEndText();
    if (static_cast<double>(fc.syncTime) > kEndOfRun) {
      EndPresentation();
      return 1;
    }
  }
  if (draw) PresentFrame();
  return 0;
}

}  // namespace

int RenderFrameFrom(const FrameInputs& in) { return RunFrame(in, true); }
int PassFrame(const FrameInputs& in) { return RunFrame(in, false); }

void PresentFrame() {
  glFlush();
  if (shellState.window) SwapRenderWindow(shellState.window);
  ++gPresentedFrames;
}

uint64_t PresentedFrames() { return gPresentedFrames; }

void ResizeViewport() {
  glViewport(0, 0, shellState.currentWidth, shellState.currentHeight);
  ApplyProjection();
}

void EndPresentation() {
  if (shellState.presentationEnded) return;
  shellState.presentationEnded = true;
  StopMusic();
  if (shellState.fullScreen) RestoreDisplayMode(shellState.window);
}

void TeardownRenderWindow() {
  if (shellState.tornDown) return;
  shellState.tornDown = true;
  // Back to the desktop mode in every case, then the context and the timer go.
  RestoreDisplayMode(shellState.window);
  StopPaintTimer();
  shellState.glContext = false;
  ReleaseRenderContext(shellState.window);  // the window itself goes when the program ends
  PostQuitEvent();
}

void HandleRenderWindowEvent(const WindowEvent& e) {
  if (shellState.tornDown) return;  // input after the end does nothing more
  switch (e.type) {
    case WindowEventType::Paint:
      if (!shellState.glContext) break;
      if (RenderFrame() == 1)
        TeardownRenderWindow();
      else
        NoteFramePresented();
      break;
    case WindowEventType::Size:
      if (shellState.glContext) {
        shellState.currentWidth = e.width;
        shellState.currentHeight = e.height;
        ResizeViewport();
      }
      break;
    case WindowEventType::Char:
      if (e.charCode == 27) {
        EndPresentation();
        TeardownRenderWindow();
      }
      break;
    case WindowEventType::Close:
    case WindowEventType::Quit:
      // Closing the window or a termination signal: end as Escape would, display restored.
      EndPresentation();
      TeardownRenderWindow();
      break;
    default: break;
  }
}
