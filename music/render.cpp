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
  // Tempo and speed never change during a song, so the first pass through the range ends at a
  // known frame: the first tick after order `to`. Ending on that frame, not on a falling order
  // number, also ends a song that restarts on the order it ends with.
  uint64_t rowsThroughTo = 0;
  for (int32_t o = 0; o <= to; ++o) {
    const PatternSlot* pattern = PatternForOrder(player, o);
    rowsThroughTo += pattern ? static_cast<uint64_t>(std::max(pattern->rows, 1)) : 64;  // as the replay step counts
  }
  const uint64_t endFrame = rowsThroughTo * static_cast<uint64_t>(std::max(player->speed, 1)) *
                            static_cast<uint64_t>(player->samplesPerTick);
  uint64_t written = 0;
  bool started = false;
  // A block's position record is taken after its last tick: the block holding the end frame
  // already reports the position past the range, so it is left out, as is everything after it.
  for (uint64_t blockEnd = static_cast<uint64_t>(frames); blockEnd <= endFrame; blockEnd += static_cast<uint64_t>(frames)) {
    const int32_t b = playback.playBlock.load();
    const int32_t order = playback.positions[static_cast<size_t>(b)].blockOrder.load();
    if (order > to) break;
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
