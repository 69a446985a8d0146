// platform/system.h: message boxes, the millisecond tick counter and the time-critical
// thread priority: the few operating-system services the demo uses.
#pragma once
#include <cstdint>

struct PlatformWindow;

// Shows a modal message box (where a display exists) and always writes the text to stderr.
void ShowMessageBox(const char* caption, const char* text, bool isError, PlatformWindow* owner = nullptr);

// Milliseconds since an arbitrary start, as an unsigned 32-bit value that wraps.
uint32_t GetTickCount32();
// Tools that render frame-exact video or tests replace the tick source; null restores the real one.
void SetTickSource(uint32_t (*source)());

// Raises the calling thread to the highest scheduling priority the system grants.
// Best effort: refusal is normal for an unprivileged process and is never fatal.
bool RaiseCurrentThreadPriority();
