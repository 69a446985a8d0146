#include "shell/scene_failure.h"

#include <cstdlib>

#include "platform/system.h"
#include "platform/window.h"
#include "shell/chooser.h"
#include "shell/frame.h"
#include "shell/shell_state.h"

void EndRunOnSceneFailure(const char* text, const char* caption) {
  // The display goes back to the desktop first, so the message is seen over it rather than
  // behind a full-screen window.
  EndPresentation();
  TeardownRenderWindow();
  ShowMessageBox(caption, text, false);
  DestroyPlatformWindow(shellState.window);
  shellState.window = nullptr;
  CloseChooser();
  ShutdownVideo();
  std::exit(1);
}
