// The system services in the page: messages go to the console, ticks come from the page's
// high-resolution clock.
#include <emscripten.h>

#include <cstdio>

#include "platform/system.h"

namespace {
uint32_t (*gTickSource)() = nullptr;
}  // namespace

void ShowMessageBox(const char* caption, const char* text, bool isError, PlatformWindow*) {
  std::fprintf(stderr, "vale: %s: %s\n", caption, text);
}

uint32_t GetTickCount32() {
  if (gTickSource) return gTickSource();
  // Milliseconds since the page started, wrapping at 2^32 like the system tick counter.
  return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now()));
}

void SetTickSource(uint32_t (*source)()) { gTickSource = source; }

bool RaiseCurrentThreadPriority() { return false; }
