// texgen/tone_table.h: the 256 x 256 byte table that scales a channel toward black
// (rows 0..127) or toward white (rows 128..255) without per-pixel divisions.
#pragma once
#include <array>
#include <cstdint>

using ToneTable = std::array<uint8_t, 256 * 256>;

// Entry [row][value] is at row * 256 + value.
void BuildToneTable(ToneTable& table);
inline uint8_t ToneLookup(const ToneTable& table, uint32_t row, uint32_t value) { return table[(row << 8) | value]; }
