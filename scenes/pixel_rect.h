// scenes/pixel_rect.h: a rectangle of window pixels, as the scenes cut their drawing to with the
// scissor and test geometry against.
#pragma once
#include <array>

// Window pixels x0 <= x < x1, y0 <= y < y1, y counted upwards as GL's window coordinates.
struct PixelRect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool Empty() const { return x1 <= x0 || y1 <= y0; }
  bool operator==(const PixelRect&) const = default;
};

// A box as GL reads it back (GL_VIEWPORT, GL_SCISSOR_BOX): x, y, width, height.
inline PixelRect PixelRectOf(const std::array<float, 4>& box) {
  return {static_cast<int>(box[0]), static_cast<int>(box[1]), static_cast<int>(box[0] + box[2]),
          static_cast<int>(box[1] + box[3])};
}
