// The Win32 backend's window record, shared by the files of that backend only.
#pragma once
#include <windows.h>

struct PlatformWindow {
  HWND window = nullptr;
  HDC dc = nullptr;        // render window: taken once, used for every frame and swap
  HGLRC context = nullptr;  // render window: the GL context, null once released
  bool changedMode = false;  // the display mode was switched for this window
  int defaultSwapInterval = -1;  // the context's own swap interval, read on first change; -1 unknown
};
