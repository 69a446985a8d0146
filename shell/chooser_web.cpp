// The resolution chooser of the web page: the page's own form (index.html), filled with the
// chooser's eight lines and Start. The page's Start handler hands the choice in as the two
// commands a click on a line and on Start give (vale_web_chooser_start), queued for the run.
#include <emscripten.h>

#include <string>

#include "platform/window.h"
#include "shell/chooser.h"

namespace {

// The chooser's "window" is the form; this stands for it in events.
char gFormMarker;
PlatformWindow* const kFormWindow = reinterpret_cast<PlatformWindow*>(&gFormMarker);
bool gOpen = false;

EM_JS(void, WebChooserClear, (), { document.getElementById("chooser-lines").textContent = ""; });

EM_JS(void, WebChooserAddLine, (int entry, const char* label, int checked), {
  var line = document.createElement("label");
  var radio = document.createElement("input");
  radio.type = "radio";
  radio.name = "mode";
  radio.value = entry;
  radio.checked = checked != 0;
  line.appendChild(radio);
  line.appendChild(document.createTextNode(UTF8ToString(label)));
  document.getElementById("chooser-lines").appendChild(line);
});

EM_JS(void, WebChooserShow, (int visible), {
  document.getElementById("chooser").style.display = visible ? "block" : "none";
});

}  // namespace

// The page's Start: entry 1..8 as checked on the form (0 when none is).
extern "C" EMSCRIPTEN_KEEPALIVE void vale_web_chooser_start(int entry) {
  if (!gOpen) return;
  if (entry >= 1 && entry <= kChooserLines)
    PostWebWindowEvent({.type = WindowEventType::Command, .window = kFormWindow, .controlId = kStartId + entry});
  PostWebWindowEvent({.type = WindowEventType::Command, .window = kFormWindow, .controlId = kStartId});
}

// Whether the entry (as Start would take it) goes full screen: the page asks inside the click,
// the one moment it may.
extern "C" EMSCRIPTEN_KEEPALIVE int vale_web_entry_full_screen(int entry) {
  return ResolveChooserEntry(entry == 0 ? 1 : entry).fullScreen ? 1 : 0;
}

bool OpenChooser(int32_t chosenEntry) {
  WebChooserClear();
  for (int i = 0; i < kChooserLines; ++i)
    WebChooserAddLine(i + 1, std::string(ChooserLabel(i)).c_str(), chosenEntry == i + 1 ? 1 : 0);
  WebChooserShow(1);
  gOpen = true;
  return true;
}

PlatformWindow* ChooserWindow() { return gOpen ? kFormWindow : nullptr; }

void ChooserEvent(const WindowEvent& event, int32_t& chosenEntry, int32_t& startFlag) {
  if (event.type == WindowEventType::Command) ChooserCommand(event.controlId, chosenEntry, startFlag);
}

void HideChooser() { WebChooserShow(0); }

void CloseChooser() {
  WebChooserShow(0);
  gOpen = false;
}
