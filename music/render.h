// music/render.h: offline rendering through the same block fill the mixing thread uses: the
// offline output is advanced block by block and each block is taken as it would be heard, with
// the position record the clock reports while it is heard. The shell's replay (which reads the
// records as its clock) and the tools that write or hash the soundtrack all render this way.
#pragma once
#include <cstdint>
#include <functional>
#include <span>

#include "music/song_position.h"

struct ModulePlayer;

// One block as heard: its frames (interleaved stereo, 16-bit) and its position record, the
// position after the last tick run while it was rendered.
struct HeardBlock {
  std::span<const int16_t> frames;
  SongPosition position;
};
// Takes each block in turn; false ends the rendering after that block.
using BlockSink = std::function<bool(const HeardBlock& block)>;

// Plays `player` from its start on the offline output, which must be open (OfflineMusicStart or
// OpenOfflineOutput), and hands over its blocks in order until the sink declines or the song's
// first pass through order `lastOrder` (held to the song's last order) is over: the block that
// already reports a later position is not handed over. Stops playback; the output stays open.
// Returns the blocks handed over: none without a player or an open offline output.
uint64_t RenderSongBlocks(ModulePlayer* player, int32_t lastOrder, const BlockSink& sink);

// The same blocks with playback stopped, on whatever output is open, nothing played: the song
// from its start (ResetPlaybackToStart), the player and voices left where the last block leaves
// them. For walking the song while the output belongs to the live program.
uint64_t RenderSongBlocksUnheard(ModulePlayer* player, int32_t lastOrder, const BlockSink& sink);

struct RenderRange {
  int32_t fromOrder = 0;
  int32_t toOrder = kEndPosition.order;  // inclusive; held to the song's last order
};

// Called with each heard block in the range (interleaved stereo, 16-bit) and the fraction done.
using RenderSink = std::function<void(std::span<const int16_t> frames)>;
using RenderProgress = std::function<void(double fraction)>;

// Opens the offline output at 44100 Hz, plays `player` from its start and hands over every block
// whose position record lies in the range, until the song passes the range's end (RenderSongBlocks).
// Closes the output again. Returns the frames handed over.
uint64_t RenderOffline(ModulePlayer* player, RenderRange range, const RenderSink& sink,
                       const RenderProgress& progress = nullptr);
