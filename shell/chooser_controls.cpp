// The resolution chooser made of the system's own controls: eight radio buttons and a Start
// button in a small captioned window, polled without blocking until Start.
#include "platform/window.h"
#include "shell/chooser.h"

#include <string>

namespace {

PlatformWindow* gChooser = nullptr;  // hidden after the wait, destroyed at the end

}  // namespace

ChooserOutcome RunChooser(int32_t& chosenEntry, int32_t& startFlag) {
  PlatformWindow* w = CreateControlWindow("Select your resolution", 250, 200, kChooserWidth, kChooserHeight);
  if (!w) return ChooserOutcome::Failed;
  const ChooserRect& b = kChooserStartRect;
  if (!AddControl(w, ControlKind::PushButton, "Start", kStartId, b.x, b.y, b.w, b.h)) {
    DestroyPlatformWindow(w);
    return ChooserOutcome::Failed;
  }
  for (int i = 0; i < kChooserLines; ++i) {
    const ChooserRect r = ChooserLineRect(i);
    // None is checked at first; a line that fails to appear simply cannot be chosen.
    AddControl(w, ControlKind::RadioButton, std::string(ChooserLabel(i)).c_str(), kFirstLineId + i, r.x, r.y, r.w,
               r.h);
  }

  // The wait polls at full speed, as the chooser is all there is to do until Start.
  ChooserOutcome outcome = ChooserOutcome::Started;
  WindowEvent e;
  while (startFlag == 0) {
    if (!PollWindowEvent(e)) continue;
    if (e.type == WindowEventType::Quit) {
      // A quit request ends the wait with the current choice; a termination request ends the program.
      if (TerminationRequested()) outcome = ChooserOutcome::Closed;
      break;
    }
    if (e.window != w) continue;
    if (e.type == WindowEventType::Close) {
      outcome = ChooserOutcome::Closed;
      break;
    }
    if (e.type == WindowEventType::Command) ChooserCommand(e.controlId, chosenEntry, startFlag);
  }
  HidePlatformWindow(w);
  gChooser = w;
  return outcome;
}

void CloseChooser() {
  DestroyPlatformWindow(gChooser);
  gChooser = nullptr;
}
