// texgen/upload.h: the generated textures as GL textures. Scenes bind generated texture k
// as textureNames[k]; until the set is uploaded every name is 0.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "texgen/texture_reach.h"

inline constexpr int GeneratedTextureCount = 9;
extern std::array<uint32_t, GeneratedTextureCount> textureNames;
// The sprites' glow, the one texture whose reach a scene asks for (the opening cuts its sprites
// to what they add), and so the only one measured.
inline constexpr int kGlowTexture = 8;
// Where each generated texture's channels reach which values, measured as the set is uploaded
// (the glow's only). Entry k speaks for textureNames[k] only while its name is that name: a
// texture put there by other means (a test's stand-in) has no reach.
extern std::array<TextureReach, GeneratedTextureCount> textureReach;
// The reach of what textureNames[k] names now, or null (also for every texture but the glow).
const TextureReach* GeneratedTextureReach(int k);

// Makes `name` the current 2D texture and uploads width x height texels (bytes R, G, B, A),
// repeating, linearly filtered without mipmaps, modulating the vertex colour.
void UploadTexture(const uint32_t* pixels, uint32_t name, int width, int height);
// Names the set with one glGenTextures call, then converts and uploads image k under
// textureNames[k], releasing each image once it is on the GL side. Every entry of the list
// gets its own name and upload, also where two entries come from the same script.
void UploadTextureSet(std::vector<std::vector<uint32_t>>& images);
