#include "platform/system.h"

#include "platform/sdl_window_record.h"

#include <SDL.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>

#include <atomic>
#include <cstdio>


void ShowMessageBox(const char* caption, const char* text, bool isError, PlatformWindow* owner) {
  std::fprintf(stderr, "vale: %s: %s\n", caption, text);
  Uint32 flags = isError ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  // Without a display this fails quietly; the line on stderr has already said it.
  SDL_ShowSimpleMessageBox(flags, caption, text, owner ? owner->window : nullptr);
}

static std::atomic<uint32_t (*)()> gTickSource{nullptr};

uint32_t GetTickCount32() {
  if (auto source = gTickSource.load()) return source();
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  // Milliseconds since boot, wrapping at 2^32 like the system tick counter it stands for.
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void SetTickSource(uint32_t (*source)()) { gTickSource = source; }

bool RaiseCurrentThreadPriority() {
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_RR);
  if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0) return true;
  // Unprivileged: the best we may do is the lowest nice value we are allowed.
  return setpriority(PRIO_PROCESS, 0, -10) == 0;
}
