// The native program: the run driven by the system's event queue. Frames come as paint events
// from the render window's 20 ms timer; the loading runs as soon as its phase begins.
#include "shell/program.h"

#include "platform/window.h"
#include "shell/run.h"

int RunProgram() {
  BeginRun();
  WindowEvent e;
  while (CurrentRunPhase() != RunPhase::Over) {
    if (CurrentRunPhase() == RunPhase::Loading) {
      StepRun();
      continue;
    }
    // A queue that fails is read as a quit: the run then ends as after a termination signal.
    if (!WaitWindowEvent(e)) e = WindowEvent{.type = WindowEventType::Quit};
    HandleRunEvent(e);
  }
  return RunExitCode();
}
