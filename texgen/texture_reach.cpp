#include "texgen/texture_reach.h"

#include <algorithm>

#include "texgen/texture_layer.h"

TextureReach MeasureTextureReach(std::span<const uint32_t> pixels, int width, int height) {
  TextureReach reach;
  reach.width = width, reach.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
      // First the box of the texels of exactly each value...
      for (int c = 0; c < 3; ++c) {
        TexelBox& b = reach.boxes[static_cast<size_t>(c)][ChannelOf(pixel, c)];
        if (b.Empty()) {
          b = {x, y, x, y};
        } else {
          b.x0 = std::min(b.x0, x), b.y0 = std::min(b.y0, y);
          b.x1 = std::max(b.x1, x), b.y1 = std::max(b.y1, y);
        }
      }
    }
  // ... then each value's box grows by those of every higher value.
  for (auto& boxes : reach.boxes)
    for (int v = 254; v >= 0; --v) {
      const TexelBox& above = boxes[static_cast<size_t>(v) + 1];
      TexelBox& b = boxes[static_cast<size_t>(v)];
      if (above.Empty()) continue;
      if (b.Empty()) {
        b = above;
      } else {
        b.x0 = std::min(b.x0, above.x0), b.y0 = std::min(b.y0, above.y0);
        b.x1 = std::max(b.x1, above.x1), b.y1 = std::max(b.y1, above.y1);
      }
    }
  return reach;
}
