// The worker thread over CreateThread (the Windows runtime here has no standard threads).
#include "platform/thread.h"

#include <windows.h>

#include <new>

struct PlatformThread {
  HANDLE handle = nullptr;
  void (*entry)() = nullptr;
};

namespace {

// The system calls this with only 4-byte stack alignment; the SSE code below wants 16. No C++
// exception may unwind into the system's frames.
__attribute__((force_align_arg_pointer)) DWORD WINAPI ThreadEntry(LPVOID parameter) {
  try {
    static_cast<PlatformThread*>(parameter)->entry();
  } catch (...) {
    return 1;
  }
  return 0;
}

}  // namespace

PlatformThread* StartThread(void (*entry)()) {
  auto* t = new (std::nothrow) PlatformThread;
  if (!t) return nullptr;
  t->entry = entry;
  t->handle = CreateThread(nullptr, 0, ThreadEntry, t, 0, nullptr);
  if (!t->handle) {
    delete t;
    return nullptr;
  }
  return t;
}

void JoinThread(PlatformThread* thread) {
  if (!thread) return;
  WaitForSingleObject(thread->handle, INFINITE);
  CloseHandle(thread->handle);
  delete thread;
}

void SleepThreadMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

void YieldThread() { SwitchToThread(); }
