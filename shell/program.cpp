// The native program: the run driven by the system's event queue. Frames come as paint events
// from the render window's 20 ms timer; the loading runs step after step as soon as its phase
// begins, the events read between the steps.
#include "shell/program.h"

#include "platform/window.h"
#include "shell/run.h"

int RunProgram() {
  BeginRun();
  WindowEvent e;
  while (CurrentRunPhase() != RunPhase::Over) {
    if (CurrentRunPhase() == RunPhase::Loading) {
      StepRun();
      // Between two slices of the loading the viewer may leave (Escape, close, a signal).
      while (CurrentRunPhase() == RunPhase::Loading && PollWindowEvent(e)) HandleRunEvent(e);
      continue;
    }
    // A queue that fails is read as a quit: the run then ends as after a termination signal.
    if (!WaitWindowEvent(e)) e = WindowEvent{.type = WindowEventType::Quit};
    HandleRunEvent(e);
  }
  return RunExitCode();
}
