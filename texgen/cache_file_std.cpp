// The texture cache's files through stdio.
#include <cstdio>

#include "texgen/cache_file.h"

bool ReadCacheFile(const std::string& path, uint32_t offset, std::span<uint8_t> bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  const bool full = std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
                    std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  std::fclose(f);
  return full;
}

void WriteCacheFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  for (std::span<const uint8_t> piece : pieces) std::fwrite(piece.data(), 1, piece.size(), f);
  std::fclose(f);
}
