// platform/window.h: the windows of the demo and their events.
//
// Two kinds of window exist: the resolution chooser (a small 2D canvas the shell paints
// itself, or a window of the system's own radio buttons where the backend has them) and the
// render window (an OpenGL compatibility context with depth 24, stencil 8,
// double-buffered). The event pump hands the shell only what it reacts to: paints (the
// 20 ms frame timer, or the system asking for one), size changes with the client size,
// the Escape character, keys for the chooser and the viewer, clicks for the chooser, close
// requests and quit.
// No SDL or Win32 type appears here: either backend stands behind the same calls.
#pragma once
#include <cstdint>
#include <string>

struct PlatformWindow;  // opaque

enum class VideoInitResult { Ok, NoDisplay, Failed };
// Starts the video subsystem. NoDisplay when there is no display to show windows on
// (including a silent fall-back to an off-screen driver); message says what happened.
VideoInitResult InitVideo(std::string& message);
void ShutdownVideo();

// Size of the desktop display mode, read before any mode change.
void GetDesktopSize(int& width, int& height);

// --- resolution chooser: a plain canvas window (null where the backend has native controls)
PlatformWindow* CreateCanvasWindow(const char* title, int x, int y, int width, int height);
void CanvasFillRect(PlatformWindow* window, int x, int y, int width, int height, uint32_t rgb);
// Paints an 8-bit coverage map (0 = background kept, 255 = full colour) in one colour.
void CanvasBlendCoverage(PlatformWindow* window, int x, int y, int width, int height, const uint8_t* coverage,
                         int stride, uint32_t rgb);
void CanvasPresent(PlatformWindow* window);

// --- resolution chooser: a window of the system's own controls (backends that have them) ---
// A plain captioned window; its controls report clicks as Command events with their ids.
// Null where the backend has no such controls (the canvas chooser serves there).
PlatformWindow* CreateControlWindow(const char* title, int x, int y, int width, int height);
enum class ControlKind { PushButton, RadioButton };  // radio buttons of a window check one at a time
bool AddControl(PlatformWindow* window, ControlKind kind, const char* label, int id, int x, int y, int width,
                int height);

// --- render window --------------------------------------------------------------------
enum class RenderWindowError { None, NoPixelFormat, NoStencil, NoContext };
// Full screen switches the display to width x height at 32 bits per pixel (falling back to
// a desktop-sized, scaled full screen where the display cannot switch); windowed opens a
// sizeable window with a caption at the top-left corner.
PlatformWindow* CreateRenderWindow(const char* title, int width, int height, bool fullScreen,
                                   RenderWindowError& error, std::string& detail);
// Leaves full screen, giving the display back its desktop mode. Safe to call repeatedly.
void RestoreDisplayMode(PlatformWindow* window);
void SwapRenderWindow(PlatformWindow* window);
// false: presents return at once instead of waiting for the display's refresh (swap interval
// 0); true: back to the context's own setting, as it was when the window was created.
void SetPresentWaitsForRefresh(PlatformWindow* window, bool wait);
void SetCursorVisible(bool visible);
// Releases the GL context of a render window (made current on creation) and hides the
// window; it stays until DestroyPlatformWindow, so that input events still in flight for it
// (a key release after Escape) find a window to go to.
void ReleaseRenderContext(PlatformWindow* window);
void HidePlatformWindow(PlatformWindow* window);
// Releases the GL context, if any, and the window.
void DestroyPlatformWindow(PlatformWindow* window);

// GL entry point and extension look-up for the current context.
void* GetGLProcAddress(const char* name);
bool HasGLExtension(const char* name);

// --- events ----------------------------------------------------------------------------
enum class WindowEventType { None, Paint, Size, Char, Key, MouseDown, Command, Close, Quit };
enum class Key { Other, Up, Down, Left, Right, Return, Space, Escape, Home, PageUp, PageDown, F1 };

struct WindowEvent {
  WindowEventType type = WindowEventType::None;
  PlatformWindow* window = nullptr;  // null for Quit
  int width = 0, height = 0;          // Size: the new client size in pixels
  int charCode = 0;                   // Char: 27 for Escape
  Key key = Key::Other;               // Key
  int x = 0, y = 0;                   // MouseDown: client coordinates of a left click
  int controlId = 0;                  // Command: the id of the control clicked
};

// A timer that turns into a Paint event for the window every `milliseconds`.
void StartPaintTimer(PlatformWindow* window, unsigned milliseconds);
void StopPaintTimer();
bool PollWindowEvent(WindowEvent& event);  // false when the queue is empty
bool WaitWindowEvent(WindowEvent& event);  // blocks; false only on an internal error
// Queues a Quit event. SIGINT and SIGTERM arrive as one too, and then this says so.
void PostQuitEvent();
bool TerminationRequested();
// The web page only (window_web.cpp): queues an event the page's own elements raised (the
// chooser form's choice and Start).
void PostWebWindowEvent(const WindowEvent& event);
