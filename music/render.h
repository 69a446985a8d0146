// music/render.h: offline rendering through the same block fill the mixing thread uses: the
// offline output is advanced block by block and each block is taken as it would be heard.
#pragma once
#include <cstdint>
#include <functional>
#include <span>

struct ModulePlayer;

struct RenderRange {
  int32_t fromOrder = 0;
  int32_t toOrder = 46;  // inclusive; held to the song's last order
};

// Called with each heard block in the range (interleaved stereo, 16-bit) and the fraction done.
using RenderSink = std::function<void(std::span<const int16_t> frames)>;
using RenderProgress = std::function<void(double fraction)>;

// Opens the offline output at 44100 Hz, plays `player` from its start and hands over every block
// whose position record lies in the range, until the song passes the range's end or wraps.
// Closes the output again. Returns the frames handed over.
uint64_t RenderOffline(ModulePlayer* player, RenderRange range, const RenderSink& sink,
                       const RenderProgress& progress = nullptr);
