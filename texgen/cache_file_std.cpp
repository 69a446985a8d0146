// The texture cache's files through stdio; written by temporary name and rename, so an
// interrupted or failed write leaves the earlier cache file as it was.
#include <cstdio>

#include "platform/output_file.h"
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
  OutputFile out;
  std::string error;
  if (!out.Open(path, error)) return;
  for (std::span<const uint8_t> piece : pieces) out.Write(piece);
  out.Commit(error);
}
