// Message boxes, the tick counter, sleeping and thread priority over the Windows kernel and user32.
#include "platform/system.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "platform/win32_window_record.h"

void ShowMessageBox(const char* caption, const char* text, bool isError, PlatformWindow* owner) {
  std::fprintf(stderr, "vale: %s: %s\n", caption, text);
  MessageBoxA(owner ? owner->window : nullptr, text, caption, MB_OK | (isError ? MB_ICONERROR : MB_ICONINFORMATION));
}

static std::atomic<uint32_t (*)()> gTickSource{nullptr};

uint32_t GetTickCount32() {
  if (auto source = gTickSource.load()) return source();
  return static_cast<uint32_t>(GetTickCount());
}

void SetTickSource(uint32_t (*source)()) { gTickSource = source; }

bool RaiseCurrentThreadPriority() {
  return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) != 0;
}
