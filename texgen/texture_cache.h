// texgen/texture_cache.h: the optional cache of finished images as 24-bit bottom-up TGA
// files named tex00000.tga, tex00001.tga, ... in the cache directory; the name advances
// on every successful read and every write, so list position k uses file number k.
#pragma once
#include <span>

#include "texgen/generator.h"

// True when the current cache file exists and holds a full image; the name then advances.
bool ReadTextureCache(TextureGenerator& gen, std::span<uint32_t, TexturePixelCount> destination);
// Writes layer 0 as the current cache file (errors ignored: the cache is only a shortcut)
// and advances the name.
void WriteTextureCache(TextureGenerator& gen);
// tex00009.tga -> tex00010.tga: the digits before ".tga" count up with carry.
void AdvanceCacheFileName(char (&name)[13]);
