// GoogleTest's Notification over a Win32 event: its own one needs std::mutex, which the Windows
// runtime of the cross build lacks. Every test source of that build sees the declaration only;
// GoogleTest's own sources, which define VALE_GTEST_NOTIFICATION, get the class.
#pragma once
namespace testing::internal {
class Notification;
}

#ifdef VALE_GTEST_NOTIFICATION
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
#endif
