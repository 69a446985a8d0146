// texgen/texture_set.h: the program's generated texture set: the five scripts, the
// nine-entry list (texture k is list position k) and the texel conversion for upload.
#pragma once
#include <array>
#include <cstdint>
#include <span>

// Assembled at build time from data/textures/script_*.tex.
extern const std::span<const uint8_t> textureScriptA;
extern const std::span<const uint8_t> textureScriptB;
extern const std::span<const uint8_t> textureScriptC;
extern const std::span<const uint8_t> textureScriptD;
extern const std::span<const uint8_t> textureScriptE;

inline constexpr int TextureScriptCount = 9;
// A, B, C, D, A, A, A, A, E: textures 0 and 4..7 are the same image. No scene binds 4..7, yet
// they are generated and uploaded: the scenes find texture k at list position k (so 8 stays 8),
// and their work units are part of the 104 the loading bar fills over.
std::span<const std::span<const uint8_t>> TextureScriptList();

// Turns each 0x00RRGGBB pixel in place into the bytes R, G, B, 128 in memory order.
void SwizzleForUpload(std::span<uint32_t> pixels);
