// texgen/upload.h: the GL names of the generated textures. Scenes bind generated
// texture k as textureNames[k]; until the set is uploaded every name is 0.
#pragma once
#include <array>
#include <cstdint>

inline constexpr int GeneratedTextureCount = 9;
extern std::array<uint32_t, GeneratedTextureCount> textureNames;
