// The resolution chooser on a canvas the shell paints itself: radio marks, labels and a Start
// button drawn over the shared layout, driven by clicks and the arrow keys.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/glyphs.h"
#include "platform/window.h"
#include "shell/chooser.h"

namespace {

PlatformWindow* gChooser = nullptr;  // hidden after Start, destroyed at the end
GlyphFont* gFont = nullptr;          // the labels' font, while the chooser is shown

constexpr uint32_t kFace = 0xC8C8C8, kText = 0x000000, kLight = 0xFFFFFF, kShadow = 0x808080,
                   kDark = 0x404040, kFocus = 0x000080;

// A filled disc as coverage, for the radio marks.
void DrawDisc(PlatformWindow* w, int cx, int cy, float radius, uint32_t rgb) {
  int size = static_cast<int>(std::ceil(radius * 2)) + 2;
  std::vector<uint8_t> cov(static_cast<size_t>(size) * size);
  float c = size / 2.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float d = std::hypot(x + 0.5f - c, y + 0.5f - c);
      cov[y * size + x] = static_cast<uint8_t>(std::clamp(radius + 0.5f - d, 0.0f, 1.0f) * 255);
    }
  CanvasBlendCoverage(w, cx - size / 2, cy - size / 2, size, size, cov.data(), size, rgb);
}

void DrawLabel(PlatformWindow* w, GlyphFont* font, std::string_view text, int x, int y, int width, int height,
               bool centred) {
  std::u32string cps = Latin1ToCodePoints(text);
  int textWidth = MeasureGlyphText(font, cps);
  int lineHeight = GlyphLineHeight(font);
  int left = centred ? (width - textWidth) / 2 : 0;
  int top = (height - lineHeight) / 2;
  std::vector<uint8_t> cov(static_cast<size_t>(width) * height, 0);
  DrawGlyphText(font, cps, left, top, cov.data(), width, height, width);
  CanvasBlendCoverage(w, x, y, width, height, cov.data(), width, kText);
}

void Paint(PlatformWindow* w, GlyphFont* font, int32_t chosen, bool startDown) {
  CanvasFillRect(w, 0, 0, kChooserWidth, kChooserHeight, kFace);
  for (int i = 0; i < kChooserLines; ++i) {
    ChooserRect r = ChooserLineRect(i);
    int cx = r.x + 7, cy = r.y + r.h / 2;
    DrawDisc(w, cx, cy, 6.5f, kShadow);
    DrawDisc(w, cx, cy, 5.5f, kLight);
    if (chosen == i + 1) DrawDisc(w, cx, cy, 2.5f, kText);
    DrawLabel(w, font, ChooserLabel(i), r.x + 18, r.y, r.w - 18, r.h, false);
  }
  const ChooserRect& b = kChooserStartRect;
  CanvasFillRect(w, b.x, b.y, b.w, b.h, startDown ? kShadow : kDark);
  CanvasFillRect(w, b.x, b.y, b.w - 1, b.h - 1, startDown ? kDark : kLight);
  CanvasFillRect(w, b.x + 1, b.y + 1, b.w - 2, b.h - 2, kShadow);
  CanvasFillRect(w, b.x + 1, b.y + 1, b.w - 3, b.h - 3, kFace);
  CanvasFillRect(w, b.x + 4, b.y + 4, b.w - 8, 1, kFocus);
  DrawLabel(w, font, "Start", b.x, b.y, b.w, b.h, true);
  CanvasPresent(w);
}

}  // namespace

bool OpenChooser(int32_t chosenEntry) {
  gChooser = CreateCanvasWindow("Select your resolution", 250, 200, kChooserWidth, kChooserHeight);
  if (!gChooser) return false;
  gFont = OpenGlyphFont("sans-serif", false, 12);
  Paint(gChooser, gFont, chosenEntry, false);
  return true;
}

PlatformWindow* ChooserWindow() { return gChooser; }

void ChooserEvent(const WindowEvent& e, int32_t& chosenEntry, int32_t& startFlag) {
  int id = 0;
  switch (e.type) {
    case WindowEventType::MouseDown: id = ChooserControlAt(e.x, e.y); break;
    case WindowEventType::Key:
      if (e.key == Key::Return || e.key == Key::Space) id = kStartId;
      else if (e.key == Key::Down || e.key == Key::Right)
        id = kFirstLineId + std::min(chosenEntry, kChooserLines - 1);
      else if (e.key == Key::Up || e.key == Key::Left)
        id = kFirstLineId + (chosenEntry <= 1 ? kChooserLines - 1 : chosenEntry - 2);
      break;
    default: break;
  }
  if (id != 0) ChooserCommand(id, chosenEntry, startFlag);
  Paint(gChooser, gFont, chosenEntry, startFlag != 0);
}

void HideChooser() {
  CloseGlyphFont(gFont);
  gFont = nullptr;
  HidePlatformWindow(gChooser);
}

void CloseChooser() {
  CloseGlyphFont(gFont);
  gFont = nullptr;
  DestroyPlatformWindow(gChooser);
  gChooser = nullptr;
}
