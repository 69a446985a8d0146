// The windows of the web page. The render window is the page's canvas (#canvas) with a WebGL 2
// context (depth 24, stencil 8, no multisampling), which the GL layer draws on through its ES 3
// back end, its table filled from the page's WebGL functions. The chooser is the page's own form
// (shell/chooser_web.cpp), so no canvas or control window exists here. Events are queued by the
// page's handlers (the Escape key) and by PostQuitEvent, and read by the frame loop; there is no
// paint timer, as the page steps the run once per animation frame.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <deque>

#include "platform/gl_es3.h"
#include "platform/gl_layer.h"
#include "platform/window.h"

struct PlatformWindow {
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
  bool fullScreen = false;
};

namespace {

std::deque<WindowEvent> gEvents;
PlatformWindow* gRender = nullptr;

EM_JS(void, WebShowCanvas, (int width, int height, int fullScreen), {
  var canvas = document.getElementById("canvas");
  canvas.width = width;
  canvas.height = height;
  canvas.style.display = "block";
  canvas.classList.toggle("full", fullScreen != 0);
});

EM_JS(void, WebHideCanvas, (), {
  var canvas = document.getElementById("canvas");
  canvas.style.display = "none";
  canvas.style.cursor = "";
});

EM_JS(void, WebLeaveFullScreen, (), {
  if (document.fullscreenElement && document.exitFullscreen) document.exitFullscreen().catch(function() {});
});

EM_JS(void, WebCursorVisible, (int visible), {
  document.getElementById("canvas").style.cursor = visible ? "" : "none";
});

EM_JS(int, WebScreenWidth, (), { return screen.width; });
EM_JS(int, WebScreenHeight, (), { return screen.height; });

}  // namespace

// The page's key handler: Escape arrives as the Escape character for the render window.
extern "C" EMSCRIPTEN_KEEPALIVE void vale_web_escape() {
  if (gRender) gEvents.push_back({.type = WindowEventType::Char, .window = gRender, .charCode = 27});
}

VideoInitResult InitVideo(std::string&) { return VideoInitResult::Ok; }
void ShutdownVideo() {}

void GetDesktopSize(int& width, int& height) {
  width = WebScreenWidth();
  height = WebScreenHeight();
}

PlatformWindow* CreateCanvasWindow(const char*, int, int, int, int) { return nullptr; }
void CanvasFillRect(PlatformWindow*, int, int, int, int, uint32_t) {}
void CanvasBlendCoverage(PlatformWindow*, int, int, int, int, const uint8_t*, int, uint32_t) {}
void CanvasPresent(PlatformWindow*) {}
PlatformWindow* CreateControlWindow(const char*, int, int, int, int) { return nullptr; }
bool AddControl(PlatformWindow*, ControlKind, const char*, int, int, int, int, int) { return false; }

PlatformWindow* CreateRenderWindow(const char*, int width, int height, bool fullScreen, RenderWindowError& error,
                                   std::string& detail) {
  WebShowCanvas(width, height, fullScreen ? 1 : 0);
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = false;
  attributes.depth = true;
  attributes.stencil = true;
  attributes.antialias = false;
  attributes.premultipliedAlpha = false;
  // The study pages read the picture back after the frame has been handed to the page.
  attributes.preserveDrawingBuffer = EM_ASM_INT({ return Module.valePreserveDrawing ? 1 : 0; });
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
  if (context <= 0) {
    error = RenderWindowError::NoContext;
    detail = "no WebGL 2 context on the canvas";
    WebHideCanvas();
    return nullptr;
  }
  emscripten_webgl_make_context_current(context);
  if (!StartEs3Layer([](const char* name) { return emscripten_webgl_get_proc_address(name); }, detail)) {
    emscripten_webgl_destroy_context(context);
    error = RenderWindowError::NoContext;
    WebHideCanvas();
    return nullptr;
  }
  gRender = new PlatformWindow{context, fullScreen};
  return gRender;
}

void RestoreDisplayMode(PlatformWindow* window) {
  if (window && window->fullScreen) WebLeaveFullScreen();
}

void SwapRenderWindow(PlatformWindow*) {}  // the page shows the canvas when the frame returns
void SetPresentWaitsForRefresh(PlatformWindow*, bool) {}
void SetCursorVisible(bool visible) { WebCursorVisible(visible ? 1 : 0); }

void ReleaseRenderContext(PlatformWindow* window) {
  if (!window || window->context <= 0) return;
  StopEs3Layer();
  emscripten_webgl_destroy_context(window->context);
  window->context = 0;
  WebHideCanvas();
}

void HidePlatformWindow(PlatformWindow* window) {
  if (window == gRender) WebHideCanvas();
}

void DestroyPlatformWindow(PlatformWindow* window) {
  if (!window) return;
  ReleaseRenderContext(window);
  if (window == gRender) gRender = nullptr;
  delete window;
}

void* GetGLProcAddress(const char* name) { return GlLayerProcAddress(name); }
bool HasGLExtension(const char* name) { return GlLayerHasExtension(name); }

void StartPaintTimer(PlatformWindow*, unsigned) {}
void StopPaintTimer() {}

bool PollWindowEvent(WindowEvent& event) {
  if (gEvents.empty()) return false;
  event = gEvents.front();
  gEvents.pop_front();
  return true;
}

// The page never blocks: an empty queue reads as a failed wait.
bool WaitWindowEvent(WindowEvent& event) { return PollWindowEvent(event); }

void PostQuitEvent() { gEvents.push_back({.type = WindowEventType::Quit}); }
bool TerminationRequested() { return false; }

// The page's own events for a window of the page (the chooser's Start): queued as they come.
void PostWebWindowEvent(const WindowEvent& event) { gEvents.push_back(event); }
