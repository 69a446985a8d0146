#include "texgen/upload.h"

#include "texgen/texture_set.h"

// Texture k of the set is made from entry k of the script list: one name per entry.
static_assert(GeneratedTextureCount == TextureScriptCount);

std::array<uint32_t, GeneratedTextureCount> textureNames{};
