// music/song_position.h: a place in the song as the position clock reports it, and the place
// where the presentation ends, for the shell's schedule and for everything that renders the
// run or its soundtrack ahead of time.
#pragma once
#include <compare>
#include <cstdint>

// A music position (pattern-order index, row), ordered as the song plays.
struct SongPosition {
  int32_t order = 0;
  int32_t row = 0;
  auto operator<=>(const SongPosition&) const = default;
};

// The run ends with the first frame whose sync time passes the end order, that is the first
// frame that hears order 46 row 1; nothing is drawn from that frame on.
inline constexpr SongPosition kEndPosition{46, 1};
