// The program: asks for a resolution, opens the render window, loads, and runs the frame loop
// until the music reaches its end or the viewer presses Escape.
#include "shell/program.h"

#include <cstdio>

#include "geometry/failure.h"
#include "platform/system.h"
#include "platform/window.h"
#include "scenes/fatal.h"
#include "shell/chooser.h"
#include "shell/frame.h"
#include "shell/scene_failure.h"
#include "shell/shell_state.h"
#include "shell/startup.h"


int RunProgram() {
  std::string message;
  switch (InitVideo(message)) {
    case VideoInitResult::Ok: break;
    case VideoInitResult::NoDisplay:
      std::fprintf(stderr, "vale: %s; to render the demo without a display use 'vale-tool capture'\n",
                   message.c_str());
      return 2;
    case VideoInitResult::Failed:
      std::fprintf(stderr, "vale: cannot start the video system: %s\n", message.c_str());
      return 1;
  }
  GetDesktopSize(shellState.desktopWidth, shellState.desktopHeight);
  // A mesh that cannot get its vertex store is shown to the viewer, and the run goes on.
  SetGeometryFailureHook([](const char* text, const char* caption) { ShowMessageBox(caption, text, false); });
  // A scene that cannot go on (no multitexture entry points) ends the run with code 1.
  SetSceneFatalService(EndRunOnSceneFailure);

  switch (RunChooser(shellState.chosenEntry, shellState.startFlag)) {
    case ChooserOutcome::Started: NoteStartClick(); break;
    case ChooserOutcome::Closed:
      CloseChooser();
      ShutdownVideo();
      return 0;
    case ChooserOutcome::Failed:
      std::fprintf(stderr, "vale: cannot open the resolution chooser window\n");
      ShutdownVideo();
      return 1;
  }

  DisplayChoice choice = ResolveChooserEntry(shellState.chosenEntry);
  shellState.currentWidth = choice.width;
  shellState.currentHeight = choice.height;
  shellState.fullScreen = choice.fullScreen ? 1 : 0;

  RenderWindowError error = RenderWindowError::None;
  std::string detail;
  shellState.window = CreateRenderWindow("Vale of Quoms - by Orvik", choice.width, choice.height,
                                         choice.fullScreen, error, detail);
  if (!shellState.window) {
    const char* text = error == RenderWindowError::NoPixelFormat ? "Failed to find acceptable pixel format."
                                                                 : "Failed to set pixel format.";
    std::fprintf(stderr, "vale: %s\n", detail.c_str());
    ShowMessageBox("Error!", text, true);
    CloseChooser();
    ShutdownVideo();
    return 1;
  }
  if (choice.fullScreen) SetCursorVisible(false);
  shellState.glContext = true;
  // Size notifications from creation came before the context and are not acted on;
  // the viewport starts as the client area at the time the context was made current.

  if (RunStartupSequence()) {
    StartPaintTimer(shellState.window, 20);
    // The first frame follows the loading at once rather than at the first timer tick.
    WindowEvent paint;
    paint.type = WindowEventType::Paint;
    paint.window = shellState.window;
    HandleRenderWindowEvent(paint);
  } else {
    // Escape, a close or a signal while loading: the same end as Escape later, quit posted.
    EndPresentation();
    TeardownRenderWindow();
  }

  WindowEvent e;
  while (WaitWindowEvent(e)) {
    if (e.type == WindowEventType::Quit) {
      if (shellState.tornDown) break;  // the quit posted by the teardown
      HandleRenderWindowEvent(e);      // a signal or session end: tear down, then leave
      continue;
    }
    if (shellState.window && e.window == shellState.window) HandleRenderWindowEvent(e);
  }
  DestroyPlatformWindow(shellState.window);
  shellState.window = nullptr;
  CloseChooser();
  ShutdownVideo();
  return 0;
}
