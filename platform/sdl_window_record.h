// The SDL backend's window record, shared by the files of that backend only.
#pragma once
#include <SDL.h>

struct PlatformWindow {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;  // canvas windows
  SDL_GLContext context = nullptr;   // render window
  bool fullScreen = false;
  int defaultSwapInterval = 0;       // render window: the context's own, read on creation
};
