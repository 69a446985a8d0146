// shell/run.h: the whole run as one stepped lifecycle: the resolution chooser, the loading, the
// running presentation and its ending. Nothing here waits: the platform's program hands in the
// window events as they come (HandleRunEvent) and calls StepRun once per frame, so a main loop
// that belongs to someone else can drive the run as well as the native one (shell/program.cpp).
#pragma once

struct WindowEvent;

enum class RunPhase {
  Chooser,  // the chooser is shown; Start opens the render window
  Loading,  // the render window is open; each step generates a slice of the textures under the bar
  Running,  // one frame per step
  Ending,   // the presentation is over and the render window released; waiting for the quit
            // the teardown posted, so events still on their way find their windows
  Over,     // everything released; RunExitCode says how the run went
};

// Starts the video system, installs the failure services and shows the chooser. When any of it
// fails the run is Over at once.
void BeginRun();
RunPhase CurrentRunPhase();
// 0 after a normal end (or the chooser closed), 1 when a window or the video system could not
// be had or a scene could not go on, 2 when there is no display.
int RunExitCode();

// Everything the run does with a window event, by phase: the chooser's clicks and Start, the
// viewer's Escape, a closed window, a quit or a termination signal, size changes, and (while
// running) a paint, which is a step.
void HandleRunEvent(const WindowEvent& event);
// The work of one frame: in the loading phase a slice of the texture generation and one bar
// image, and after the last slice the rest of the start-up and the first frame; a frame while
// running; nothing in the other phases.
void StepRun();

// Every way out: the presentation ends (music stopped, desktop mode back), the render window's
// context and timer are released and a quit is posted; the rest is released when that quit
// arrives. Without a render window everything is released at once. Only the first call counts.
void Shutdown(int exitCode);

// The end a scene asks for when the presentation cannot go on (installed as the scenes' fatal
// service): Shutdown, the message shown over the desktop, everything released at once, and the
// process ended with code 1 from inside the frame. Does not return.
[[noreturn]] void EndRunOnSceneFailure(const char* text, const char* caption);
