// The windows of the demo over user32, GDI and WGL. Window procedures only translate the
// messages the shell reacts to into WindowEvents on a small queue; the pump hands them out after
// the dispatch, so the shell's logic is the same on every backend.
#include "platform/window.h"

#include <windows.h>

#include <GL/gl.h>

#include <array>
#include <atomic>
#include <cstring>
#include <new>

#include "platform/win32_window_record.h"

namespace {

constexpr const char* kRenderClass = "OpenGL";
constexpr const char* kChooserClass = "CHOICE_RESO";
constexpr UINT_PTR kPaintTimerId = 1;

// Events produced by the window procedures during one dispatch; a dispatch queues at most a few.
std::array<WindowEvent, 64> queue{};
size_t queueHead = 0, queueCount = 0;

PlatformWindow* timerWindow = nullptr;
bool cursorHidden = false;
std::atomic<bool> terminationRequested{false};
DWORD guiThreadId = 0;

void Push(const WindowEvent& e) {
  if (queueCount == queue.size()) return;  // nobody is listening: drop rather than grow
  queue[(queueHead + queueCount) % queue.size()] = e;
  ++queueCount;
}

bool Pop(WindowEvent& e) {
  if (queueCount == 0) return false;
  e = queue[queueHead];
  queueHead = (queueHead + 1) % queue.size();
  --queueCount;
  return true;
}

PlatformWindow* RecordOf(HWND hwnd) {
  return reinterpret_cast<PlatformWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

WindowEvent EventFor(HWND hwnd, WindowEventType type) {
  WindowEvent e;
  e.type = type;
  e.window = RecordOf(hwnd);
  return e;
}

Key KeyOf(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_UP: return Key::Up;
    case VK_DOWN: return Key::Down;
    case VK_LEFT: return Key::Left;
    case VK_RIGHT: return Key::Right;
    case VK_RETURN: return Key::Return;
    case VK_SPACE: return Key::Space;
    case VK_ESCAPE: return Key::Escape;
    case VK_HOME: return Key::Home;
    case VK_PRIOR: return Key::PageUp;
    case VK_NEXT: return Key::PageDown;
    case VK_F1: return Key::F1;
    default: return Key::Other;
  }
}

// Called by the system with 4-byte stack alignment; the frame code below wants 16. No C++
// exception may unwind into the system's frames.
__attribute__((force_align_arg_pointer)) LRESULT CALLBACK RenderWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                                           LPARAM lParam) {
  try {
    PlatformWindow* w = RecordOf(hwnd);
    switch (message) {
      case WM_TIMER:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_PAINT:
        if (!w || !w->context) break;
        {
          PAINTSTRUCT ps;
          BeginPaint(hwnd, &ps);
          EndPaint(hwnd, &ps);
        }
        Push(EventFor(hwnd, WindowEventType::Paint));
        return 0;
      case WM_SIZE: {
        // Sizes sent while the window is made, before its context, are not acted on.
        if (!w || !w->context) break;
        WindowEvent e = EventFor(hwnd, WindowEventType::Size);
        e.width = LOWORD(lParam);
        e.height = HIWORD(lParam);
        Push(e);
        return 0;
      }
      case WM_CHAR:
        if (wParam != 27) break;
        {
          WindowEvent e = EventFor(hwnd, WindowEventType::Char);
          e.charCode = 27;
          Push(e);
        }
        return 0;
      case WM_KEYDOWN: {
        WindowEvent e = EventFor(hwnd, WindowEventType::Key);
        e.key = KeyOf(wParam);
        Push(e);
        break;  // and on to the default handling, which makes the WM_CHAR
      }
      case WM_CLOSE:
        // The shell ends the run as Escape would; the window goes when the program ends.
        Push(EventFor(hwnd, WindowEventType::Close));
        return 0;
      default: break;
    }
  } catch (...) {
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

__attribute__((force_align_arg_pointer)) LRESULT CALLBACK ChooserWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                                            LPARAM lParam) {
  try {
    switch (message) {
      case WM_COMMAND: {
        WindowEvent e = EventFor(hwnd, WindowEventType::Command);
        e.controlId = LOWORD(wParam);
        Push(e);
        break;  // the default handling follows, as for every message of the chooser
      }
      case WM_CLOSE:
        // Closed without Start: the shell decides (it ends the program); the window stays until then.
        Push(EventFor(hwnd, WindowEventType::Close));
        return 0;
      default: break;
    }
  } catch (...) {
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

BOOL WINAPI ConsoleHandler(DWORD) {
  terminationRequested = true;
  PostThreadMessageA(guiThreadId, WM_QUIT, 0, 0);
  return TRUE;
}

int ShowCommand() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

void SetDisplayMode(int width, int height, int bitsPerPixel, DWORD flags) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
  ChangeDisplaySettingsA(&mode, flags);
}

RenderWindowError SetupPixelFormat(HDC dc, std::string& detail) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = static_cast<BYTE>(GetDeviceCaps(dc, BITSPIXEL));
  // The cube field masks with the stencil buffer and everything is depth-tested.
  pfd.cDepthBits = 24;
  pfd.cStencilBits = 8;
  pfd.iLayerType = PFD_MAIN_PLANE;
  int format = ChoosePixelFormat(dc, &pfd);
  if (format == 0) {
    detail = "ChoosePixelFormat found no format";
    return RenderWindowError::NoPixelFormat;
  }
  PIXELFORMATDESCRIPTOR chosen{};
  DescribePixelFormat(dc, format, sizeof chosen, &chosen);
  if (chosen.cStencilBits < 8) {
    detail = "the closest pixel format has no 8-bit stencil buffer";
    return RenderWindowError::NoStencil;
  }
  if (SetPixelFormat(dc, format, &pfd) != TRUE) {
    detail = "SetPixelFormat failed";
    return RenderWindowError::NoStencil;
  }
  return RenderWindowError::None;
}

PlatformWindow* NewRecord(HWND hwnd) {
  auto* w = new (std::nothrow) PlatformWindow;
  if (!w) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  w->window = hwnd;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  return w;
}

}  // namespace

VideoInitResult InitVideo(std::string& message) {
  guiThreadId = GetCurrentThreadId();
  HINSTANCE instance = GetModuleHandleA(nullptr);

  WNDCLASSA render{};
  render.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  render.lpfnWndProc = RenderWindowProc;
  render.hInstance = instance;
  render.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  render.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  render.lpszClassName = kRenderClass;
  RegisterClassA(&render);

  WNDCLASSEXA chooser{};
  chooser.cbSize = sizeof chooser;
  chooser.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  chooser.lpfnWndProc = ChooserWindowProc;
  chooser.hInstance = instance;
  chooser.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  chooser.hIconSm = chooser.hIcon;
  chooser.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  chooser.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);
  chooser.lpszClassName = kChooserClass;
  RegisterClassExA(&chooser);

  SetConsoleCtrlHandler(ConsoleHandler, TRUE);
  message.clear();
  return VideoInitResult::Ok;
}

void ShutdownVideo() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  UnregisterClassA(kChooserClass, instance);
  UnregisterClassA(kRenderClass, instance);
}

void GetDesktopSize(int& width, int& height) {
  HDC screen = GetDC(nullptr);
  width = GetDeviceCaps(screen, HORZRES);
  height = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
}

// --- chooser -------------------------------------------------------------------------

PlatformWindow* CreateControlWindow(const char* title, int x, int y, int width, int height) {
  // WS_VISIBLE alone: an overlapped window with a caption and no system menu.
  HWND hwnd = CreateWindowExA(0, kChooserClass, title, WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  return hwnd ? NewRecord(hwnd) : nullptr;
}

bool AddControl(PlatformWindow* window, ControlKind kind, const char* label, int id, int x, int y, int width,
                int height) {
  if (!window) return false;
  DWORD style = WS_CHILD | WS_VISIBLE | (kind == ControlKind::RadioButton ? BS_AUTORADIOBUTTON : 0);
  HWND control = CreateWindowExA(0, "button", label, style, x, y, width, height, window->window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                 nullptr);
  return control != nullptr;
}

PlatformWindow* CreateCanvasWindow(const char*, int, int, int, int) { return nullptr; }
void CanvasFillRect(PlatformWindow*, int, int, int, int, uint32_t) {}
void CanvasBlendCoverage(PlatformWindow*, int, int, int, int, const uint8_t*, int, uint32_t) {}
void CanvasPresent(PlatformWindow*) {}

// --- render window -----------------------------------------------------------------------

PlatformWindow* CreateRenderWindow(const char* title, int width, int height, bool fullScreen,
                                   RenderWindowError& error, std::string& detail) {
  error = RenderWindowError::None;
  if (fullScreen) SetDisplayMode(width, height, 32, CDS_FULLSCREEN);
  DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (fullScreen ? WS_MAXIMIZE : WS_OVERLAPPEDWINDOW);
  HWND hwnd = CreateWindowExA(0, kRenderClass, title, style, 0, 0, width, height, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  PlatformWindow* w = hwnd ? NewRecord(hwnd) : nullptr;
  if (!w) {
    if (fullScreen) ChangeDisplaySettingsA(nullptr, 0);
    error = RenderWindowError::NoContext;
    detail = "CreateWindowExA failed";
    return nullptr;
  }
  w->changedMode = fullScreen;
  ShowWindow(hwnd, ShowCommand());
  UpdateWindow(hwnd);
  w->dc = GetDC(hwnd);
  error = SetupPixelFormat(w->dc, detail);
  if (error == RenderWindowError::None) {
    w->context = wglCreateContext(w->dc);
    if (!w->context) {
      error = RenderWindowError::NoContext;
      detail = "wglCreateContext failed";
    } else {
      wglMakeCurrent(w->dc, w->context);
      return w;
    }
  }
  // Give the desktop its mode back before the failure is shown.
  RestoreDisplayMode(w);
  DestroyPlatformWindow(w);
  return nullptr;
}

void RestoreDisplayMode(PlatformWindow* window) {
  // Back to the mode kept in the registry; harmless when nothing was changed.
  if (window && window->changedMode) {
    ChangeDisplaySettingsA(nullptr, 0);
    window->changedMode = false;
  }
}

void SwapRenderWindow(PlatformWindow* window) {
  if (window && window->dc) SwapBuffers(window->dc);
}

void SetPresentWaitsForRefresh(PlatformWindow* window, bool wait) {
  if (!window || !window->context) return;
  // WGL_EXT_swap_control, where the driver has it; otherwise presents stay as they are.
  using SwapIntervalProc = BOOL(WINAPI*)(int);
  using GetSwapIntervalProc = int(WINAPI*)();
  const auto setInterval = reinterpret_cast<SwapIntervalProc>(wglGetProcAddress("wglSwapIntervalEXT"));
  const auto getInterval = reinterpret_cast<GetSwapIntervalProc>(wglGetProcAddress("wglGetSwapIntervalEXT"));
  if (!setInterval) return;
  if (window->defaultSwapInterval < 0) window->defaultSwapInterval = getInterval ? getInterval() : 1;
  setInterval(wait ? window->defaultSwapInterval : 0);
}

void SetCursorVisible(bool visible) {
  // ShowCursor counts: keep to one step each way.
  if (visible == !cursorHidden) return;
  ShowCursor(visible ? TRUE : FALSE);
  cursorHidden = !visible;
}

void ReleaseRenderContext(PlatformWindow* window) {
  if (!window) return;
  if (window->context) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(window->context);
    window->context = nullptr;
  }
  HidePlatformWindow(window);
}

void HidePlatformWindow(PlatformWindow* window) {
  if (window) ShowWindow(window->window, SW_HIDE);
}

void DestroyPlatformWindow(PlatformWindow* window) {
  if (!window) return;
  if (window->context) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(window->context);
  }
  if (window == timerWindow) StopPaintTimer();
  SetWindowLongPtrA(window->window, GWLP_USERDATA, 0);
  if (window->dc) ReleaseDC(window->window, window->dc);
  DestroyWindow(window->window);
  delete window;
}

void* GetGLProcAddress(const char* name) {
  PROC p = wglGetProcAddress(name);
  if (!p) p = GetProcAddress(GetModuleHandleA("opengl32.dll"), name);  // the 1.1 entry points
  return reinterpret_cast<void*>(p);
}

bool HasGLExtension(const char* name) {
  const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (!all || !name || !*name) return false;
  const size_t n = std::strlen(name);
  for (const char* p = std::strstr(all, name); p; p = std::strstr(p + 1, name))
    if ((p == all || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

// --- events -------------------------------------------------------------------------------

void StartPaintTimer(PlatformWindow* window, unsigned milliseconds) {
  StopPaintTimer();
  if (!window) return;
  SetTimer(window->window, kPaintTimerId, milliseconds, nullptr);
  timerWindow = window;
}

void StopPaintTimer() {
  if (timerWindow) KillTimer(timerWindow->window, kPaintTimerId);
  timerWindow = nullptr;
}

bool PollWindowEvent(WindowEvent& event) {
  MSG msg;
  while (!Pop(event)) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
      event = WindowEvent{};
      event.type = WindowEventType::Quit;
      return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

bool WaitWindowEvent(WindowEvent& event) {
  MSG msg;
  while (!Pop(event)) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) return false;
    if (got == 0) {
      event = WindowEvent{};
      event.type = WindowEventType::Quit;
      return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void PostQuitEvent() { PostQuitMessage(0); }

bool TerminationRequested() { return terminationRequested.load(); }
