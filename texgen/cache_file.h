// texgen/cache_file.h: the two file accesses of the texture cache, one source per system
// (cache_file_std.cpp with stdio, cache_file_win32.cpp with the Win32 file calls).
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

// Reads bytes.size() bytes from `offset` on; false when the file cannot be opened or is too short
// to fill them (a truncated file is then regenerated rather than read as stale bytes).
bool ReadCacheFile(const std::string& path, uint32_t offset, std::span<uint8_t> bytes);
// Creates or replaces the file and writes the pieces in order, one write each. Errors are
// ignored: the cache is only a shortcut.
void WriteCacheFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces);
