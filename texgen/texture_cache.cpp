// texgen/texture_cache.cpp: TGA files of finished images.
#include "texgen/texture_cache.h"

#include <string>

#include "texgen/cache_file.h"

namespace {
std::string CachePath(const TextureGenerator& gen) { return gen.cacheDirectory + "/" + gen.cacheFileName; }
constexpr int kTgaHeaderSize = 18;
}  // namespace

void AdvanceCacheFileName(char (&name)[13]) {
  // The five digits sit at 3..7; a carry out of the first digit wraps the number to 0.
  for (int i = 7; i >= 3; --i) {
    if (name[i] != '9') {
      ++name[i];
      return;
    }
    name[i] = '0';
  }
}

bool ReadTextureCache(TextureGenerator& gen, std::span<uint32_t, TexturePixelCount> destination) {
  // The header is not examined; a file too short to hold the pixels is a miss, so a
  // truncated file is regenerated rather than read as stale bytes.
  if (!ReadCacheFile(CachePath(gen), kTgaHeaderSize, gen.conversionBuffer)) return false;
  for (int i = 0; i < TextureSize; ++i) {
    const uint8_t* row = gen.conversionBuffer.data() + i * TextureSize * 3;
    uint32_t* out = destination.data() + (255 - i) * TextureSize;
    for (int x = 0; x < TextureSize; ++x)
      out[x] = uint32_t(row[3 * x]) | uint32_t(row[3 * x + 1]) << 8 | uint32_t(row[3 * x + 2]) << 16;
  }
  AdvanceCacheFileName(gen.cacheFileName);
  return true;
}

void WriteTextureCache(TextureGenerator& gen) {
  const TextureLayer& layer = gen.layers[0];
  for (int i = 0; i < TextureSize; ++i) {
    uint8_t* row = gen.conversionBuffer.data() + i * TextureSize * 3;
    const uint32_t* in = layer.data() + (255 - i) * TextureSize;
    for (int x = 0; x < TextureSize; ++x) {
      row[3 * x] = uint8_t(in[x]);
      row[3 * x + 1] = uint8_t(in[x] >> 8);
      row[3 * x + 2] = uint8_t(in[x] >> 16);
    }
  }
  // Uncompressed true colour, no colour map, origin 0, 0; then width, height, 24 bits per pixel
  // and descriptor 0 (origin lower left), each its own write, then the pixels.
  static constexpr uint8_t kStart[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  static constexpr uint8_t kWidth[2] = {0, 1}, kHeight[2] = {0, 1}, kDepth[2] = {24, 0};
  WriteCacheFile(CachePath(gen), {kStart, kWidth, kHeight, kDepth, gen.conversionBuffer});
  AdvanceCacheFileName(gen.cacheFileName);
}
