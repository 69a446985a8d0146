/* What the window tests do to an X window besides xdotool. Usage: x11_window close|grab WINDOW-ID
   close: asks the window to close the way a window manager's close button does (a
          WM_DELETE_WINDOW client message).
   grab:  prints a hash of the pixels it shows and how many of them, per thousand, are not black. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Close(Display* d, Window w) {
  XEvent e = {0};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  XSync(d, False);
  return 0;
}

static int Grab(Display* d, Window w) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, w, &a)) return 1;
  XImage* image = XGetImage(d, w, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
  if (!image) {
    fprintf(stderr, "x11_window: cannot read the window\n");
    return 1;
  }
  uint64_t hash = 1469598103934665603ull; /* FNV-1a */
  long lit = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      unsigned long p = XGetPixel(image, x, y) & 0xFFFFFFul;
      hash = (hash ^ p) * 1099511628211ull;
      lit += (p & 0xF0F0F0ul) != 0;
    }
  printf("%016llx %ld\n", (unsigned long long)hash, lit * 1000 / ((long)a.width * a.height));
  XDestroyImage(image);
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 3 || (strcmp(argv[1], "close") != 0 && strcmp(argv[1], "grab") != 0)) {
    fprintf(stderr, "usage: x11_window close|grab WINDOW-ID\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "x11_window: no display\n");
    return 1;
  }
  Window w = (Window)strtoul(argv[2], NULL, 0);
  int code = strcmp(argv[1], "close") == 0 ? Close(d, w) : Grab(d, w);
  XCloseDisplay(d);
  return code;
}
