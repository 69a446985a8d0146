// The run's lifecycle. The phases move one way: Chooser, Loading, Running, Ending, Over; any of
// the first three may end through Shutdown.
#include "shell/run.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "geometry/failure.h"
#include "platform/system.h"
#include "platform/window.h"
#include "scenes/fatal.h"
#include "shell/chooser.h"
#include "shell/frame.h"
#include "shell/music_link.h"
#include "shell/present.h"
#include "shell/shell_state.h"
#include "shell/startup.h"
#include "shell/viewer.h"

namespace {

struct RunState {
  RunPhase phase = RunPhase::Chooser;
  int exitCode = 0;
  bool videoStarted = false;
};
RunState run;

// The end of everything: the windows destroyed, the video system shut down.
void ReleaseAll() {
  DestroyPlatformWindow(shellState.window);
  shellState.window = nullptr;
  CloseChooser();
  if (run.videoStarted) ShutdownVideo();
  run.videoStarted = false;
  run.phase = RunPhase::Over;
}

// Back to the desktop mode in every case, then the context and the timer go, and a quit is
// posted. The window itself stays until the quit arrives, so that input events still in flight
// for it (a key release after Escape) find a window to go to.
void TeardownRenderWindow() {
  RestoreDisplayMode(shellState.window);
  StopPaintTimer();
  shellState.glContext = false;
  ReleaseRenderContext(shellState.window);
  PostQuitEvent();
}

// Start was pressed (or a quit that is not a termination ended the wait with the current
// choice): the display mode, the render window and its GL context.
void OpenRenderWindow() {
  HideChooser();
  NoteStartClick();
  const DisplayChoice choice = ResolveChooserEntry(shellState.chosenEntry);
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
    Shutdown(1);
    return;
  }
  if (choice.fullScreen) SetCursorVisible(false);
  shellState.glContext = true;
  // Size notifications from creation came before the context and are not acted on;
  // the viewport starts as the client area at the time the context was made current.
  run.phase = RunPhase::Loading;
  // The loading paces its bar images itself; one held to the display's refresh would hold up
  // the generation behind it.
  SetPresentWaitsForRefresh(shellState.window, false);
  BeginStartup();
}

void ChooserPhaseEvent(const WindowEvent& e) {
  if (e.type == WindowEventType::Quit) {
    // A quit request ends the wait with the current choice; an interrupt from the terminal or a
    // termination signal ends the program instead.
    if (TerminationRequested())
      Shutdown(0);
    else
      OpenRenderWindow();
    return;
  }
  if (!ChooserWindow() || e.window != ChooserWindow()) return;
  if (e.type == WindowEventType::Close) {
    Shutdown(0);  // closed without Start: the program ends quietly
    return;
  }
  ChooserEvent(e, shellState.chosenEntry, shellState.startFlag);
  if (shellState.startFlag != 0) OpenRenderWindow();
}

void FollowSize(const WindowEvent& e) {
  shellState.currentWidth = e.width;
  shellState.currentHeight = e.height;
  ResizeViewport();
}

// Loading and running. Escape, closing the window, a quit or a termination signal end the run
// the same way; while loading, they come between two steps of it.
void RenderPhaseEvent(const WindowEvent& e) {
  const bool ours = shellState.window && e.window == shellState.window;
  bool leave = false;
  switch (e.type) {
    case WindowEventType::Quit: leave = true; break;
    case WindowEventType::Char: leave = ours && e.charCode == 27; break;
    case WindowEventType::Close: leave = ours; break;
    case WindowEventType::Size:
      if (ours && shellState.glContext) FollowSize(e);
      break;
    case WindowEventType::Paint:
      if (ours && run.phase == RunPhase::Running) StepRun();
      break;
    case WindowEventType::Key:
      // The viewer's keys: pause, the jumps, the position line.
      if (ours && run.phase == RunPhase::Running && shellState.glContext && ViewerKey(e.key) == 1) Shutdown(0);
      break;
    default: break;  // no frame is due before the loading ends
  }
  if (leave) Shutdown(0);
}

// A run that starts at a position or paused has its first step start the music, where it starts.
void StartMusicFromTheStart() {
  if (!ViewerStartsElsewhere()) StartMusicPlayback();
}

void RunOneFrame() {
  if (!shellState.glContext) return;
  if (ViewerStep() == 1)
    Shutdown(0);  // the schedule's end: the music is already stopped
  else
    NoteFramePresented();
}

// A slice of the loading and one bar image; after the last, the rest of the start-up and the
// first frame.
void LoadStep() {
  if (!StepStartup({PresentFrame, LoadLiveMusic, StartMusicFromTheStart}, kLoadingSlice)) return;
  SetPresentWaitsForRefresh(shellState.window, true);
  StartPaintTimer(shellState.window, 20);
  run.phase = RunPhase::Running;
  // The first frame follows the loading at once rather than at the first timer tick.
  RunOneFrame();
}

}  // namespace

void BeginRun() {
  run = RunState{};
  std::string message;
  switch (InitVideo(message)) {
    case VideoInitResult::Ok: break;
    case VideoInitResult::NoDisplay:
      std::fprintf(stderr, "vale: %s; to render the demo without a display use 'vale-tool capture'\n",
                   message.c_str());
      run.exitCode = 2;
      run.phase = RunPhase::Over;
      return;
    case VideoInitResult::Failed:
      std::fprintf(stderr, "vale: cannot start the video system: %s\n", message.c_str());
      run.exitCode = 1;
      run.phase = RunPhase::Over;
      return;
  }
  run.videoStarted = true;
  GetDesktopSize(shellState.desktopWidth, shellState.desktopHeight);
  // A mesh that cannot get its vertex store is shown to the viewer, and the run goes on.
  SetGeometryFailureHook([](const char* text, const char* caption) { ShowMessageBox(caption, text, false); });
  // A scene that cannot go on (no multitexture entry points) ends the run with code 1.
  SetSceneFatalService(EndRunOnSceneFailure);
  if (CurrentViewerOptions().entry != 0) {
    // The line was given on the command line: the render window opens as after Start.
    shellState.chosenEntry = CurrentViewerOptions().entry;
    OpenRenderWindow();
    return;
  }
  if (!OpenChooser(shellState.chosenEntry)) {
    std::fprintf(stderr, "vale: cannot open the resolution chooser window\n");
    Shutdown(1);
  }
}

RunPhase CurrentRunPhase() { return run.phase; }
int RunExitCode() { return run.exitCode; }

void HandleRunEvent(const WindowEvent& e) {
  switch (run.phase) {
    case RunPhase::Chooser: ChooserPhaseEvent(e); break;
    case RunPhase::Loading:
    case RunPhase::Running: RenderPhaseEvent(e); break;
    case RunPhase::Ending:
      if (e.type == WindowEventType::Quit) ReleaseAll();  // the quit the teardown posted
      break;
    case RunPhase::Over: break;
  }
}

void StepRun() {
  if (run.phase == RunPhase::Loading)
    LoadStep();
  else if (run.phase == RunPhase::Running)
    RunOneFrame();
}

void Shutdown(int exitCode) {
  if (run.phase == RunPhase::Ending || run.phase == RunPhase::Over) return;
  run.exitCode = exitCode;
  AbandonStartup();  // left while the bar filled: the soundtrack's loading is waited for
  if (!shellState.window) {
    ReleaseAll();
    return;
  }
  // The display goes back to the desktop before anything else, so that a message shown now is
  // seen over it rather than behind a full-screen window.
  EndPresentation();
  TeardownRenderWindow();
  run.phase = RunPhase::Ending;
}

void EndRunOnSceneFailure(const char* text, const char* caption) {
  Shutdown(1);
  ShowMessageBox(caption, text, false);
  // Inside a frame that cannot go on: the quit the teardown posted is not waited for.
  ReleaseAll();
  std::exit(RunExitCode());
}
