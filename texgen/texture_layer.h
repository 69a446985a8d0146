// texgen/texture_layer.h: the pixel and layer layout every texture operation shares.
// A pixel is 0x00RRGGBB; a layer is 256 x 256 pixels, row-major, and every coordinate
// wraps modulo 256 so all generated textures tile.
#pragma once
#include <array>
#include <cstdint>

inline constexpr int TextureSize = 256;
inline constexpr int TexturePixelCount = TextureSize * TextureSize;
inline constexpr int TextureLayerCount = 4;

using TextureLayer = std::array<uint32_t, TexturePixelCount>;

// Pixel (x, y) of a layer, both wrapped.
inline constexpr int PixelIndex(int x, int y) { return ((y & 255) << 8) | (x & 255); }

// Channel 0 is red, 1 green, 2 blue; the channel sits at bit 16 - 8c.
inline constexpr int ChannelShift(int channel) { return 16 - 8 * channel; }
inline constexpr uint32_t ChannelOf(uint32_t pixel, int channel) { return (pixel >> ChannelShift(channel)) & 255u; }

// Replaces one channel; the mask also clears the top byte.
inline constexpr uint32_t ReplaceChannel(uint32_t pixel, int channel, uint32_t value) {
  const int shift = ChannelShift(channel);
  return (pixel & (0x00FFFFFFu - (0xFFu << shift))) | (value << shift);
}

inline constexpr uint32_t MakePixel(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
