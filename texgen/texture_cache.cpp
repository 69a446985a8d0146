// texgen/texture_cache.cpp: TGA files of finished images.
#include "texgen/texture_cache.h"

#include <cstdio>
#include <string>

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
  std::FILE* f = std::fopen(CachePath(gen).c_str(), "rb");
  if (!f) return false;
  // The header is not examined; a file too short to hold the pixels is a miss, so a
  // truncated file is regenerated rather than read as stale bytes.
  const bool full = std::fseek(f, kTgaHeaderSize, SEEK_SET) == 0 &&
                    std::fread(gen.conversionBuffer.data(), 1, gen.conversionBuffer.size(), f) == gen.conversionBuffer.size();
  std::fclose(f);
  if (!full) return false;
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
  const uint8_t header[kTgaHeaderSize] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 24, 0};
  if (std::FILE* f = std::fopen(CachePath(gen).c_str(), "wb")) {
    std::fwrite(header, 1, sizeof header, f);
    std::fwrite(gen.conversionBuffer.data(), 1, gen.conversionBuffer.size(), f);
    std::fclose(f);
  }
  AdvanceCacheFileName(gen.cacheFileName);
}
