#include "texgen/upload.h"

#include <algorithm>
#include <span>

#include "platform/gl.h"
#include "texgen/texture_layer.h"
#include "texgen/texture_set.h"

// Texture k of the set is made from entry k of the script list: one name per entry.
static_assert(GeneratedTextureCount == TextureScriptCount);

std::array<uint32_t, GeneratedTextureCount> textureNames{};
std::array<TextureReach, GeneratedTextureCount> textureReach{};

const TextureReach* GeneratedTextureReach(int k) {
  const TextureReach& reach = textureReach[static_cast<size_t>(k)];
  return reach.name != 0 && reach.name == textureNames[static_cast<size_t>(k)] ? &reach : nullptr;
}

void UploadTexture(const uint32_t* pixels, uint32_t name, int width, int height) {
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  // Row 0 of the image is the texture's first row (t = 0).
  glTexImage2D(GL_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

void UploadTextureSet(std::vector<std::vector<uint32_t>>& images) {
  glGenTextures(GeneratedTextureCount, textureNames.data());
  textureReach.fill({});
  const int count = std::min<int>(GeneratedTextureCount, static_cast<int>(images.size()));
  for (int k = 0; k < count; ++k) {
    const size_t i = static_cast<size_t>(k);
    std::vector<uint32_t>& image = images[i];
    if (image.size() < static_cast<size_t>(TexturePixelCount)) continue;  // a rejected script: no image
    if (k == kGlowTexture) {
      textureReach[i] = MeasureTextureReach(std::span<const uint32_t>(image.data(), TexturePixelCount), TextureSize, TextureSize);
      textureReach[i].name = textureNames[i];
    }
    SwizzleForUpload(std::span<uint32_t>(image.data(), TexturePixelCount));
    UploadTexture(image.data(), textureNames[i], TextureSize, TextureSize);
    std::vector<uint32_t>().swap(image);
  }
  images.clear();
}
