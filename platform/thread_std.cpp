// The worker thread over the standard library's threads.
#include "platform/thread.h"

#include <chrono>
#include <new>
#include <system_error>
#include <thread>

struct PlatformThread {
  std::thread thread;
};

PlatformThread* StartThread(void (*entry)()) {
  auto* t = new (std::nothrow) PlatformThread;
  if (!t) return nullptr;
  try {
    t->thread = std::thread(entry);
  } catch (const std::system_error&) {
    delete t;
    return nullptr;
  }
  return t;
}

void JoinThread(PlatformThread* thread) {
  if (!thread) return;
  if (thread->thread.joinable()) thread->thread.join();
  delete thread;
}

void SleepThreadMilliseconds(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void YieldThread() { std::this_thread::yield(); }
