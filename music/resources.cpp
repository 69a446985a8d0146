#include <cstddef>
#include <cstdint>
#include <span>

#include "music/stream.h"

// The build links the module and the patch table into the program as byte arrays.
extern "C" const uint8_t valeResource105[];
extern "C" const uint8_t valeResource105End[];
extern "C" const uint8_t valeResource125[];
extern "C" const uint8_t valeResource125End[];

std::span<const uint8_t> EmbeddedResource(int32_t id) {
  if (id == kModuleResourceId)
    return {valeResource105, static_cast<size_t>(valeResource105End - valeResource105)};
  if (id == kPatchResourceId)
    return {valeResource125, static_cast<size_t>(valeResource125End - valeResource125)};
  return {};
}
