// SDL2 backend of platform/window.h.
#include <EGL/egl.h>
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/gl_layer.h"
#include "platform/sdl_window_record.h"
#include "platform/x11_errors.h"
#include "platform/window.h"

namespace {

Uint32 gPaintEventType = 0;
volatile std::sig_atomic_t gTerminationSignal = 0;  // set by SIGINT / SIGTERM
bool gTerminationReported = false;

extern "C" void OnTerminationSignal(int signal) { gTerminationSignal = signal; }

// A termination signal is reported once, as a Quit event, from the event pump.
bool TakeTermination(WindowEvent& out) {
  if (!gTerminationSignal || gTerminationReported) return false;
  gTerminationReported = true;
  out = WindowEvent{};
  out.type = WindowEventType::Quit;
  return true;
}
SDL_TimerID gPaintTimer = 0;
std::atomic<bool> gPaintPending{false};  // the timer queues one paint at a time, as a window timer would
Uint32 gPaintWindowId = 0;

Uint32 PaintTimerCallback(Uint32 interval, void*) {
  if (!gPaintPending.exchange(true)) {
    SDL_Event e{};
    e.type = gPaintEventType;
    e.user.windowID = gPaintWindowId;
    SDL_PushEvent(&e);
  }
  return interval;
}

// What a size event reports: the GL drawable's pixels for a render window (which may differ
// from its size in screen units), the window's size otherwise.
void GetDrawableSize(PlatformWindow* window, int& width, int& height) {
  width = height = 0;
  if (!window || !window->window) return;
  if (window->context) SDL_GL_GetDrawableSize(window->window, &width, &height);
  else SDL_GetWindowSize(window->window, &width, &height);
}

PlatformWindow* FromId(Uint32 id) {
  SDL_Window* w = SDL_GetWindowFromID(id);
  return w ? static_cast<PlatformWindow*>(SDL_GetWindowData(w, "vale")) : nullptr;
}

Key TranslateKey(SDL_Keycode k) {
  switch (k) {
    case SDLK_UP: return Key::Up;
    case SDLK_DOWN: return Key::Down;
    case SDLK_LEFT: return Key::Left;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::Return;
    case SDLK_SPACE: return Key::Space;
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_HOME: return Key::Home;
    case SDLK_PAGEUP: return Key::PageUp;
    case SDLK_PAGEDOWN: return Key::PageDown;
    case SDLK_F1: return Key::F1;
    default: return Key::Other;
  }
}

// Turns one SDL event into ours; false when it is of no interest to the shell.
bool Translate(const SDL_Event& e, WindowEvent& out) {
  out = WindowEvent{};
  if (e.type == gPaintEventType && gPaintEventType != 0) {
    gPaintPending = false;
    out.type = WindowEventType::Paint;
    out.window = FromId(e.user.windowID);
    return out.window != nullptr;
  }
  switch (e.type) {
    case SDL_QUIT: out.type = WindowEventType::Quit; return true;
    case SDL_WINDOWEVENT:
      out.window = FromId(e.window.windowID);
      if (!out.window) return false;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          out.type = WindowEventType::Size;
          GetDrawableSize(out.window, out.width, out.height);
          return true;
        case SDL_WINDOWEVENT_EXPOSED: out.type = WindowEventType::Paint; return true;
        case SDL_WINDOWEVENT_CLOSE: out.type = WindowEventType::Close; return true;
        default: return false;
      }
    case SDL_KEYDOWN:
      out.window = FromId(e.key.windowID);
      out.key = TranslateKey(e.key.keysym.sym);
      if (out.key == Key::Escape) {
        // Escape is delivered as the character 27, the one the render window reacts to.
        out.type = WindowEventType::Char;
        out.charCode = 27;
      } else {
        out.type = WindowEventType::Key;
      }
      return true;
    case SDL_TEXTINPUT:
      out.window = FromId(e.text.windowID);
      out.type = WindowEventType::Char;
      out.charCode = static_cast<unsigned char>(e.text.text[0]);
      return true;
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button != SDL_BUTTON_LEFT) return false;
      out.window = FromId(e.button.windowID);
      out.type = WindowEventType::MouseDown;
      out.x = e.button.x;
      out.y = e.button.y;
      return true;
    default: return false;
  }
}

}  // namespace

VideoInitResult InitVideo(std::string& message) {
  // Where the user named a driver, trust it; otherwise an off-screen or dummy driver means
  // SDL found no display and fell back silently, and the demo would play unseen.
  const char* requested = std::getenv("SDL_VIDEODRIVER");
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!(requested && *requested) && !(x11 && *x11) && !(wayland && *wayland)) {
    // No desktop session: only a bare console (kernel mode setting) could still show us.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "kmsdrm");
  }
  // Our own handlers, so that a signal can be told from other quit requests.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  std::signal(SIGINT, OnTerminationSignal);
  std::signal(SIGTERM, OnTerminationSignal);
  // Before SDL's X11 driver starts: it keeps the handler it finds and falls back to it,
  // also while it closes the display at the end.
  InstallX11ErrorHandler();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
    message = std::string("no display to open a window on (") + SDL_GetError() + ")";
    return VideoInitResult::NoDisplay;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  bool offscreen = driver && (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy") ||
                              !std::strcmp(driver, "evdev"));
  if (offscreen && !(requested && *requested)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    message = std::string("no display to open a window on (only the '") + driver + "' video driver is available)";
    return VideoInitResult::NoDisplay;
  }
  if (SDL_GetNumVideoDisplays() < 1) {
    message = "no display to open a window on";
    return VideoInitResult::NoDisplay;
  }
  gPaintEventType = SDL_RegisterEvents(1);
  SDL_StopTextInput();  // Escape comes from key events; no input method is needed
  return VideoInitResult::Ok;
}

void ShutdownVideo() {
  StopPaintTimer();
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
}

void GetDesktopSize(int& width, int& height) {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    width = mode.w;
    height = mode.h;
  } else {
    width = 640;
    height = 480;
  }
}

PlatformWindow* CreateCanvasWindow(const char* title, int x, int y, int width, int height) {
  SDL_Window* w = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_SHOWN);
  if (!w) return nullptr;
  SDL_Renderer* r = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
  if (!r) {
    SDL_DestroyWindow(w);
    return nullptr;
  }
  auto* pw = new PlatformWindow{w, r, nullptr, false};
  SDL_SetWindowData(w, "vale", pw);
  return pw;
}

void CanvasFillRect(PlatformWindow* window, int x, int y, int width, int height, uint32_t rgb) {
  if (!window || !window->renderer) return;
  SDL_SetRenderDrawColor(window->renderer, (rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255, 255);
  SDL_Rect rect{x, y, width, height};
  SDL_RenderFillRect(window->renderer, &rect);
}

void CanvasBlendCoverage(PlatformWindow* window, int x, int y, int width, int height, const uint8_t* coverage,
                         int stride, uint32_t rgb) {
  if (!window || !window->renderer || width <= 0 || height <= 0) return;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return;
  for (int j = 0; j < height; ++j) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + j * s->pitch);
    for (int i = 0; i < width; ++i) row[i] = (uint32_t(coverage[j * stride + i]) << 24) | (rgb & 0xFFFFFF);
  }
  SDL_Texture* t = SDL_CreateTextureFromSurface(window->renderer, s);
  if (t) {
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    SDL_Rect dst{x, y, width, height};
    SDL_RenderCopy(window->renderer, t, nullptr, &dst);
    SDL_DestroyTexture(t);
  }
  SDL_FreeSurface(s);
}

void CanvasPresent(PlatformWindow* window) {
  if (window && window->renderer) SDL_RenderPresent(window->renderer);
}

PlatformWindow* CreateRenderWindow(const char* title, int width, int height, bool fullScreen,
                                   RenderWindowError& error, std::string& detail) {
  error = RenderWindowError::None;
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
  if (fullScreen) flags |= SDL_WINDOW_FULLSCREEN;
  else flags |= SDL_WINDOW_RESIZABLE;
  SDL_Window* w = SDL_CreateWindow(title, 0, 0, width, height, flags);
  if (!w && fullScreen) {
    // The display cannot switch to that mode: cover the desktop and let GL scale.
    w = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN |
                                                         SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  if (!w) {
    // Usually a visual with the wanted depth and stencil bits does not exist.
    error = RenderWindowError::NoPixelFormat;
    detail = SDL_GetError();
    return nullptr;
  }
  if (fullScreen) {
    SDL_DisplayMode want{SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr}, got{};
    if (SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(w), &want, &got))
      SDL_SetWindowDisplayMode(w, &got);
    if (SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN) != 0)
      SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  SDL_GLContext ctx = SDL_GL_CreateContext(w);
  if (!ctx) {
    error = RenderWindowError::NoContext;
    detail = SDL_GetError();
    SDL_DestroyWindow(w);
    return nullptr;
  }
  SDL_GL_MakeCurrent(w, ctx);
  int stencil = 0, depth = 0;
  SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
  if (stencil < 1 || depth < 16) {
    error = RenderWindowError::NoStencil;
    detail = "the GL surface has " + std::to_string(depth) + " depth and " + std::to_string(stencil) +
             " stencil bits";
    SDL_GL_DeleteContext(ctx);
    SDL_DestroyWindow(w);
    return nullptr;
  }
  auto* pw = new PlatformWindow{w, nullptr, ctx, fullScreen, SDL_GL_GetSwapInterval()};
  SDL_SetWindowData(w, "vale", pw);
  return pw;
}

void RestoreDisplayMode(PlatformWindow* window) {
  if (window && window->window && window->fullScreen) {
    SDL_SetWindowFullscreen(window->window, 0);
    SDL_MinimizeWindow(window->window);
    window->fullScreen = false;
  }
}

void SwapRenderWindow(PlatformWindow* window) {
  if (window && window->context) SDL_GL_SwapWindow(window->window);
}

void SetPresentWaitsForRefresh(PlatformWindow* window, bool wait) {
  if (!window || !window->context) return;
  // Best effort: a driver that cannot change it keeps presenting as it did.
  SDL_GL_SetSwapInterval(wait ? window->defaultSwapInterval : 0);
}

void SetCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void ReleaseRenderContext(PlatformWindow* window) {
  if (!window) return;
  if (window->context) {
    SDL_GL_MakeCurrent(window->window, nullptr);
    SDL_GL_DeleteContext(window->context);
    window->context = nullptr;
  }
  HidePlatformWindow(window);
}

void HidePlatformWindow(PlatformWindow* window) {
  if (window && window->window) SDL_HideWindow(window->window);
}

void DestroyPlatformWindow(PlatformWindow* window) {
  if (!window) return;
  ReleaseRenderContext(window);
  if (window->renderer) SDL_DestroyRenderer(window->renderer);
  if (window->window) {
    SDL_SetWindowData(window->window, "vale", nullptr);
    SDL_DestroyWindow(window->window);
  }
  delete window;
}

// A context made by SDL answers through SDL; any other current context (the headless EGL one
// of tests and capture tools) through EGL and its own extension string, or, drawn on through the
// GL layer's ES 3 back end, through the layer.
void* GetGLProcAddress(const char* name) {
  if (CurrentGlBackend() == GlBackend::Es3) return GlLayerProcAddress(name);
  if (SDL_GL_GetCurrentContext()) return SDL_GL_GetProcAddress(name);
  return reinterpret_cast<void*>(eglGetProcAddress(name));
}

bool HasGLExtension(const char* name) {
  if (CurrentGlBackend() == GlBackend::Es3) return GlLayerHasExtension(name);
  if (SDL_GL_GetCurrentContext()) return SDL_GL_ExtensionSupported(name) == SDL_TRUE;
  const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const size_t length = std::strlen(name);
  if (!list || length == 0) return false;
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length)
    if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) return true;
  return false;
}

void StartPaintTimer(PlatformWindow* window, unsigned milliseconds) {
  StopPaintTimer();
  if (!window || !window->window) return;
  gPaintWindowId = SDL_GetWindowID(window->window);
  gPaintPending = false;
  gPaintTimer = SDL_AddTimer(milliseconds, PaintTimerCallback, nullptr);
}

void StopPaintTimer() {
  if (gPaintTimer) SDL_RemoveTimer(gPaintTimer);
  gPaintTimer = 0;
}

bool TerminationRequested() { return gTerminationSignal != 0; }

bool PollWindowEvent(WindowEvent& event) {
  if (TakeTermination(event)) return true;
  SDL_Event e;
  while (SDL_PollEvent(&e))
    if (Translate(e, event)) return true;
  return false;
}

bool WaitWindowEvent(WindowEvent& event) {
  SDL_Event e;
  for (;;) {
    if (TakeTermination(event)) return true;
    // Wake now and then: a signal handler may not touch the event queue itself.
    if (SDL_WaitEventTimeout(&e, 50) && Translate(e, event)) return true;
  }
}

void PostQuitEvent() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
}

// SDL has no native controls: the chooser paints its own on a canvas.
PlatformWindow* CreateControlWindow(const char*, int, int, int, int) { return nullptr; }
bool AddControl(PlatformWindow*, ControlKind, const char*, int, int, int, int, int) { return false; }
