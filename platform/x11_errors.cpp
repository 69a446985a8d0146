#include "platform/x11_errors.h"

#include <X11/Xlib.h>

#include <cstdio>

static int OnXError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow) return 0;
  char text[256] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "vale: X error: %s (request %d)\n", text, error->request_code);
  return 0;
}

void InstallX11ErrorHandler() { XSetErrorHandler(OnXError); }
