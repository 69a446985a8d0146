#include "music/render.h"

#include <algorithm>

#include "music/mixer.h"
#include "music/module.h"
#include "music/output.h"

uint64_t RenderOffline(ModulePlayer* player, RenderRange range, const RenderSink& sink,
                       const RenderProgress& progress) {
  if (!player || !OpenOfflineOutput(44100)) return 0;
  const int32_t last = std::max(player->songLength - 1, 0);
  const int32_t to = std::clamp(range.toOrder, 0, last);
  const int32_t from = std::clamp(range.fromOrder, 0, to);
  if (!StartPlayback(player)) return 0;
  const int32_t frames = mixSettings.blockFrames;
  // Every order is at most 256 rows of at most 65535 ticks; far more than any song needs, but a
  // bound, so a song that never reaches the range's end still finishes.
  const uint64_t maxBlocks = static_cast<uint64_t>(to + 2) * 256 * std::max(player->speed, 1) *
                                 static_cast<uint64_t>(player->samplesPerTick) / static_cast<uint64_t>(frames) + 2;
  uint64_t written = 0;
  int32_t previousOrder = 0;
  bool started = false;
  for (uint64_t n = 0; n < maxBlocks; ++n) {
    const int32_t b = playback.playBlock.load();
    const int32_t order = playback.positions[static_cast<size_t>(b)].blockOrder.load();
    // After the last order the song goes back to its restart position: that is the end too.
    if (order > to || order < previousOrder) break;
    previousOrder = order;
    if (order >= from) {
      started = true;
      sink(std::span<const int16_t>(playback.ring.get() + static_cast<size_t>(b) * frames * 2,
                                    static_cast<size_t>(frames) * 2));
      written += static_cast<uint64_t>(frames);
    }
    if (progress && started) progress(static_cast<double>(order - from) / (to - from + 1));
    AdvanceOfflineOutput(frames);
  }
  StopPlayback(player);
  CloseWaveOutput();
  if (progress) progress(1.0);
  return written;
}
