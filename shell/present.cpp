#include "shell/present.h"

#include "platform/gl.h"
#include "platform/window.h"
#include "scenes/camera.h"
#include "shell/music_link.h"
#include "shell/shell_state.h"

namespace {
uint64_t gPresentedFrames = 0;
bool gHeld = false;
}  // namespace

void PresentFrame() {
  glFlush();
  if (shellState.window && !gHeld) SwapRenderWindow(shellState.window);
  ++gPresentedFrames;
}

void HoldPresents(bool hold) { gHeld = hold; }

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
