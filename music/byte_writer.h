// music/byte_writer.h: little-endian fields appended to a byte buffer, for the files the
// music subsystem writes (modules, the patch table, WAV headers).
#pragma once
#include <cstdint>
#include <vector>

inline void Put8(std::vector<uint8_t>& out, uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
inline void Put16(std::vector<uint8_t>& out, uint32_t v) {
  Put8(out, v);
  Put8(out, v >> 8);
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v);
  Put16(out, v >> 16);
}
