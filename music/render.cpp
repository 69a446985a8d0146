#include "music/render.h"

#include <algorithm>

#include "music/mixer.h"
#include "music/module.h"
#include "music/output.h"

namespace {

// Tempo and speed never change during a song, so the first pass through order `to` ends at a
// known frame: the first tick after it. Counted from the playback fields StartPlayback has set.
uint64_t FramesThroughOrder(const ModulePlayer* player, int32_t to) {
  uint64_t rows = 0;
  for (int32_t o = 0; o <= to; ++o) {
    const PatternSlot* pattern = PatternForOrder(player, o);
    rows += pattern ? static_cast<uint64_t>(std::max(pattern->rows, 1)) : 64;  // as the replay step counts
  }
  return rows * static_cast<uint64_t>(std::max(player->speed, 1)) * static_cast<uint64_t>(player->samplesPerTick);
}

// The blocks of the song's first pass through order `lastOrder`. Ending on the frame the pass
// ends at, not on a falling order number, also ends a song that restarts on the order it ends
// with (its order number never falls). A block's position record is taken after its last tick:
// the block holding the end frame already reports the position past the pass, so it is left out.
uint64_t BlocksThroughOrder(const ModulePlayer* player, int32_t lastOrder) {
  const int32_t to = std::clamp(lastOrder, 0, std::max(player->songLength - 1, 0));
  return FramesThroughOrder(player, to) / static_cast<uint64_t>(mixSettings.blockFrames);
}

}  // namespace

uint64_t RenderSongBlocks(ModulePlayer* player, int32_t lastOrder, const BlockSink& sink) {
  if (!player || ActiveOutputKind() != OutputKind::Offline || !StartPlayback(player)) return 0;
  const uint64_t count = BlocksThroughOrder(player, lastOrder);
  const int32_t frames = mixSettings.blockFrames;
  uint64_t handed = 0;
  for (uint64_t n = 0; n < count; ++n) {
    const auto b = static_cast<size_t>(playback.playBlock.load());
    const HeardBlock block{
        std::span<const int16_t>(playback.ring.get() + b * frames * 2, static_cast<size_t>(frames) * 2),
        {playback.positions[b].blockOrder.load(), playback.positions[b].blockRow.load()}};
    ++handed;
    if (!sink(block)) break;
    AdvanceOfflineOutput(frames);
  }
  StopPlayback(player);
  return handed;
}

uint64_t RenderSongBlocksUnheard(ModulePlayer* player, int32_t lastOrder, const BlockSink& sink) {
  if (!player || CurrentPlayer()) return 0;
  ResetPlaybackToStart(player);
  uint64_t handed = 0;
  FillBlocksUnheard(player, BlocksThroughOrder(player, lastOrder),
                    [&](std::span<const int16_t> frames, SongPosition position) {
                      ++handed;
                      return sink({frames, position});
                    });
  return handed;
}

uint64_t RenderOffline(ModulePlayer* player, RenderRange range, const RenderSink& sink,
                       const RenderProgress& progress) {
  if (!player || !OpenOfflineOutput(44100)) return 0;
  const int32_t to = std::clamp(range.toOrder, 0, std::max(player->songLength - 1, 0));
  const int32_t from = std::clamp(range.fromOrder, 0, to);
  uint64_t written = 0;
  RenderSongBlocks(player, to, [&](const HeardBlock& block) {
    if (block.position.order < from) return true;
    sink(block.frames);
    written += block.frames.size() / 2;
    if (progress) progress(static_cast<double>(block.position.order - from) / (to - from + 1));
    return true;
  });
  CloseWaveOutput();
  if (progress) progress(1.0);
  return written;
}
