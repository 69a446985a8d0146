#include "texgen/texture_reach.h"

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
        b = Union(b, {x, y, x, y});
      }
    }
  // ... then each value's box grows by those of every higher value.
  for (auto& boxes : reach.boxes)
    for (int v = 254; v >= 0; --v) boxes[static_cast<size_t>(v)] = Union(boxes[static_cast<size_t>(v)], boxes[static_cast<size_t>(v) + 1]);
  return reach;
}
