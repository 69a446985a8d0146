// The resolution chooser made of the system's own controls: eight radio buttons and a Start
// button in a small captioned window.
#include "platform/window.h"
#include "shell/chooser.h"

#include <string>

namespace {

PlatformWindow* gChooser = nullptr;  // hidden after Start, destroyed at the end

}  // namespace

bool OpenChooser(int32_t) {
  PlatformWindow* w = CreateControlWindow("Select your resolution", 250, 200, kChooserWidth, kChooserHeight);
  if (!w) return false;
  const ChooserRect& b = kChooserStartRect;
  if (!AddControl(w, ControlKind::PushButton, "Start", kStartId, b.x, b.y, b.w, b.h)) {
    DestroyPlatformWindow(w);
    return false;
  }
  for (int i = 0; i < kChooserLines; ++i) {
    const ChooserRect r = ChooserLineRect(i);
    // None is checked at first; a line that fails to appear simply cannot be chosen.
    AddControl(w, ControlKind::RadioButton, std::string(ChooserLabel(i)).c_str(), kFirstLineId + i, r.x, r.y, r.w,
               r.h);
  }
  gChooser = w;
  return true;
}

PlatformWindow* ChooserWindow() { return gChooser; }

void ChooserEvent(const WindowEvent& e, int32_t& chosenEntry, int32_t& startFlag) {
  // The controls paint and check themselves; only their commands come here.
  if (e.type == WindowEventType::Command) ChooserCommand(e.controlId, chosenEntry, startFlag);
}

void HideChooser() { HidePlatformWindow(gChooser); }

void CloseChooser() {
  DestroyPlatformWindow(gChooser);
  gChooser = nullptr;
}
