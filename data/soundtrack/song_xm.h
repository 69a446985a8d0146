// Output stage of the song compiler: lays a SongModule out as Extended Module 1.04 bytes.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "data/soundtrack/song_module.h"

struct XmModule;

// The song as the module writer's records.
XmModule SongToXm(const SongModule& song, std::span<const std::vector<int16_t>> samples);
// The module file; empty when the writer refuses the song (too many patterns or orders).
// samples: one run of 16-bit values per instrument, stored delta-encoded; when empty,
// every sample is stored as instrument.length zero values (the player synthesises them).
std::vector<uint8_t> WriteSongXm(const SongModule& song, std::span<const std::vector<int16_t>> samples);
