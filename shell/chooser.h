// shell/chooser.h: the resolution chooser: eight radio lines and a Start button in a
// small window, and the table that turns the chosen line into a display mode.
#pragma once
#include <cstdint>
#include <string_view>

struct PlatformWindow;
struct WindowEvent;

inline constexpr int kChooserWidth = 167, kChooserHeight = 295;
inline constexpr int kStartId = 100, kFirstLineId = 101;
inline constexpr int kChooserLines = 8;
inline constexpr int kChooserLineWindowed = 8;  // the 800 x 600 window

struct DisplayChoice {
  int32_t width, height;
  bool fullScreen;
};

// Where the controls sit, in client coordinates: line i at (10, 10 + 24 i) sized 150 x 24,
// Start at (10, 210) sized 140 x 48.
struct ChooserRect {
  int x, y, w, h;
  constexpr bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};
constexpr ChooserRect ChooserLineRect(int line) { return {10, 10 + 24 * line, 150, 24}; }
inline constexpr ChooserRect kChooserStartRect{10, 210, 140, 48};

// The labels exactly as stored: the letter o stands for a zero in most of them.
std::string_view ChooserLabel(int line);  // line 0..7
// Entry 1..8 to its mode; any other value (0 included) gives 1024 x 768 full screen.
DisplayChoice ResolveChooserEntry(int32_t entry);

// A click or key press on control `id`, as the chooser's window procedure takes it:
// Start sets the start flag (choosing line 1 when nothing is chosen); a line id chooses it.
// Returns true when the chooser should close.
bool ChooserCommand(int id, int32_t& chosenEntry, int32_t& startFlag);
// The control under a client-area point, or 0.
int ChooserControlAt(int x, int y);

// The chooser's window: a canvas the shell paints, or the system's own controls where the
// platform has them. It waits for nothing itself: the run (shell/run.cpp) hands it the events
// for its window, a close excepted, which the run handles.
// Opens and shows the chooser with `chosenEntry` marked; false when no window can be had.
bool OpenChooser(int32_t chosenEntry);
// The open chooser's window; null when there is none.
PlatformWindow* ChooserWindow();
// A click, key press or control command on the chooser's window, as ChooserCommand takes it;
// the canvas is painted afresh after every event.
void ChooserEvent(const WindowEvent& event, int32_t& chosenEntry, int32_t& startFlag);
// Once Start is pressed the chooser is only hidden, as events for it may still be on their way.
void HideChooser();
// Destroys the chooser; safe when there is none.
void CloseChooser();
