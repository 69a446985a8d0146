// texgen/texture_set.cpp: the script list and the upload texel format.
#include "texgen/texture_set.h"

#include <cstring>

std::span<const std::span<const uint8_t>> TextureScriptList() {
  static const std::array<std::span<const uint8_t>, TextureScriptCount> list = {
      textureScriptA, textureScriptB, textureScriptC, textureScriptD, textureScriptA,
      textureScriptA, textureScriptA, textureScriptA, textureScriptE};
  return list;
}

void SwizzleForUpload(std::span<uint32_t> pixels) {
  for (uint32_t& p : pixels) {
    // Alpha is a constant 128 whatever the generator produced.
    const uint8_t texel[4] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 128};
    std::memcpy(&p, texel, 4);
  }
}
