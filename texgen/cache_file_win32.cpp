// The texture cache's files through the Win32 file calls: opened without sharing, so a file
// being written is never read half-done by another instance.
#include <windows.h>

#include "texgen/cache_file.h"

bool ReadCacheFile(const std::string& path, uint32_t offset, std::span<uint8_t> bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool full = SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset;
  // One ReadFile may return fewer bytes than asked without being at the end: read until full.
  size_t done = 0;
  while (full && done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) || got == 0)
      full = false;
    done += got;
  }
  CloseHandle(file);
  return full;
}

void WriteCacheFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  for (std::span<const uint8_t> piece : pieces) {
    DWORD written = 0;
    WriteFile(file, piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr);
  }
  CloseHandle(file);
}
