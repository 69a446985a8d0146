/* What the window tests do to an X window besides xdotool.
   Usage: x11_window close|grab WINDOW-ID, or x11_window compare WINDOW-ID IMAGE.png
   close:   asks the window to close the way a window manager's close button does (a
            WM_DELETE_WINDOW client message).
   grab:    prints a hash of the pixels it shows and how many of them, per thousand, are not black.
   compare: the window's pixels against an 8-bit RGB PNG of the same size: prints how many pixels
            differ and by how much at most; exit code 0 when none does, 3 when some do. */
#include <X11/Xlib.h>
#include <png.h>
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

static int Compare(Display* d, Window w, const char* path) {
  png_image png;
  memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path)) {
    fprintf(stderr, "x11_window: cannot read %s: %s\n", path, png.message);
    return 1;
  }
  png.format = PNG_FORMAT_RGB;
  unsigned char* rgb = malloc(PNG_IMAGE_SIZE(png));
  if (!rgb || !png_image_finish_read(&png, NULL, rgb, 0, NULL)) {
    fprintf(stderr, "x11_window: cannot decode %s\n", path);
    return 1;
  }
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, w, &a) || a.width != (int)png.width || a.height != (int)png.height) {
    fprintf(stderr, "x11_window: the window is not %ux%u\n", png.width, png.height);
    return 1;
  }
  XImage* image = XGetImage(d, w, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
  if (!image) {
    fprintf(stderr, "x11_window: cannot read the window\n");
    return 1;
  }
  long differing = 0;
  int worst = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      const unsigned char* q = rgb + 3 * ((size_t)y * a.width + x);
      const int c[3] = {(int)((p >> 16) & 255), (int)((p >> 8) & 255), (int)(p & 255)};
      int most = 0;
      for (int i = 0; i < 3; ++i) most = abs(c[i] - q[i]) > most ? abs(c[i] - q[i]) : most;
      differing += most != 0;
      worst = most > worst ? most : worst;
    }
  printf("%ld of %ld pixels differ, by %d at most\n", differing, (long)a.width * a.height, worst);
  XDestroyImage(image);
  free(rgb);
  return differing ? 3 : 0;
}

int main(int argc, char** argv) {
  const int compare = argc == 4 && strcmp(argv[1], "compare") == 0;
  if (!compare && (argc != 3 || (strcmp(argv[1], "close") != 0 && strcmp(argv[1], "grab") != 0))) {
    fprintf(stderr, "usage: x11_window close|grab WINDOW-ID, or x11_window compare WINDOW-ID IMAGE.png\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "x11_window: no display\n");
    return 1;
  }
  Window w = (Window)strtoul(argv[2], NULL, 0);
  int code = compare ? Compare(d, w, argv[3]) : strcmp(argv[1], "close") == 0 ? Close(d, w) : Grab(d, w);
  XCloseDisplay(d);
  return code;
}
