// The module and the patch table as resources of type RAWDATA of the program itself. The bytes
// belong to the system's mapping of the executable: never copied, never released.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "music/stream.h"

std::span<const uint8_t> EmbeddedResource(int32_t id) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "RAWDATA");
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const uint8_t*>(bytes), static_cast<size_t>(SizeofResource(nullptr, found))};
}
