// shell/shell_state.h: the shell's one process-wide record.
#pragma once
#include <cstdint>

struct PlatformWindow;
struct ModulePlayer;

struct ShellState {
  int32_t desktopWidth = 0, desktopHeight = 0;  // read once, before any mode change
  int32_t currentWidth = 640, currentHeight = 480;  // the render view; follows size events
  uint8_t fullScreen = 0;       // 1 when the display mode was changed
  int32_t chosenEntry = 0;      // 0 = nothing chosen yet, 1..8 = chooser line
  int32_t startFlag = 0;        // set by the Start button
  PlatformWindow* window = nullptr;  // the render window with its GL context
  bool glContext = false;       // a GL context is current: frames and resizes may draw
  int32_t ready = 0;            // set when loading is complete
  ModulePlayer* player = nullptr;  // null: no music, the sync time stays 0
  bool presentationEnded = false;  // EndPresentation has run
};

extern ShellState shellState;
