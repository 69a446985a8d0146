// The replay's music clock: frames hear the song the mixer renders, and the frames where the
// schedule cuts between scenes fall where the song reaches the matching rows.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>

#include "music/mixer.h"
#include "music/module.h"
#include "music/output.h"
#include "music/replay.h"
#include "music/stream.h"
#include "shell/frame.h"
#include "shell/offline_run.h"
#include "tests/music/test_modules.h"

namespace {

// Where each (order, row) first starts, in song samples, counted tick by tick from the replay
// engine alone (no blocks, no ring).
std::map<SongPosition, uint64_t> RowStarts(ModulePlayer* player) {
  std::map<SongPosition, uint64_t> starts;
  ResetPlaybackState(player);
  uint64_t sample = 0;
  SongPosition previous{-1, -1};
  while (sample < 200ull * 44100) {
    player->tickProc(player);
    const SongPosition p{player->orderIndex, player->row};
    if (p.order < previous.order) break;
    if (p != previous) starts.emplace(p, sample);
    previous = p;
    if (p >= kEndPosition) break;
    sample += static_cast<uint64_t>(player->samplesPerTick);
  }
  return starts;
}

}  // namespace

TEST(ReplayClock, ScheduleCutsFallOnTheirRowsWithinAFrame) {
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
  OpenOfflineOutput(44100);
  ModulePlayer* player = LoadSoundtrack();
  ASSERT_NE(player, nullptr) << ModuleLoadError();
  const SongTimeline song = RenderSongTimeline(player, true);
  ASSERT_FALSE(song.blocks.empty());
  EXPECT_GE(song.blocks.back(), kEndPosition);
  EXPECT_EQ(song.audio.size(), song.blocks.size() * static_cast<size_t>(song.blockFrames) * 2);
  const std::map<SongPosition, uint64_t> rows = RowStarts(player);
  ASSERT_TRUE(rows.count(kEndPosition));

  for (int32_t fps : {50, 60, 24}) {
    SCOPED_TRACE(fps);
    int cuts = 0;
    const int64_t end = FirstFrameAt(song, kEndPosition, fps);
    ASSERT_GT(end, 0);
    for (int64_t k = 1; k <= end; ++k) {
      const SongPosition a = AudiblePositionAt(song, k - 1, fps), b = AudiblePositionAt(song, k, fps);
      ASSERT_LE(a, b) << "the music clock ran backwards at frame " << k;
      const ScheduleStep sa = PickScene(ComputeSyncTime(a.order, a.row));
      const ScheduleStep sb = PickScene(ComputeSyncTime(b.order, b.row));
      if (sa == sb && k != end) continue;
      // A cut: frame k is the first to hear row b; in the song that row starts at rows[b].
      ++cuts;
      EXPECT_EQ(FirstFrameAt(song, b, fps), k);
      ASSERT_TRUE(rows.count(b)) << FormatSongPosition(b);
      const double frameTime = static_cast<double>(k) / fps;
      const double rowTime = static_cast<double>(rows.at(b)) / 44100.0;
      // A block's record is the position after its last tick, so a frame may see a row up to one
      // block (884 samples) before it sounds, never later than one frame after.
      const double tolerance = std::max(1.0 / fps, 884.0 / 44100.0);
      EXPECT_LE(std::fabs(frameTime - rowTime), tolerance) << "cut to " << FormatSongPosition(b);
    }
    EXPECT_EQ(cuts, 20);  // 19 cuts between the schedule's 20 spans, and the end
  }
  MusicStop(player);
}

// A song that ends before the run's end position and restarts on its last order: its order
// number never falls, yet the replay hears it once, through the last row of its last order.
TEST(ReplayClock, SongThatRestartsOnItsLastOrderEndsAfterOnePass) {
  std::vector<uint8_t> storage;
  ModulePlayer* player = LoadRowModule(storage);  // five orders of 16 rows, restart on the fifth
  ASSERT_NE(player, nullptr) << ModuleLoadError();
  ASSERT_TRUE(OpenOfflineOutput(44100));
  const SongTimeline song = RenderSongTimeline(player, false);
  ASSERT_FALSE(song.blocks.empty());
  EXPECT_EQ(song.blocks.back(), (SongPosition{4, 15}));
  // Every block whose frames all lie within the pass, none that already hears the restart.
  const uint64_t passFrames = 5 * 16 * static_cast<uint64_t>(player->speed * player->samplesPerTick);
  EXPECT_EQ(song.blocks.size(), passFrames / static_cast<uint64_t>(song.blockFrames));
  EXPECT_EQ(FirstFrameAt(song, kEndPosition, 50), -1);
  MusicStop(player);
}

TEST(ReplayClock, SongPositionsParseAsOrderAndRowNumber) {
  SongPosition p;
  for (auto [text, order, row] : {std::tuple{"12.040", 12, 40}, {"12.40", 12, 40}, {"7", 7, 0}}) {
    EXPECT_TRUE(ParseSongPosition(text, p)) << text;
    EXPECT_EQ(p, (SongPosition{order, row})) << text;
  }
  EXPECT_EQ(FormatSongPosition({4, 1}), "4.001");
  for (const char* bad : {"", ".", "4.", ".4", "-1.0", "4.1.2", "4,1", "1000.0", "4.256", "a.b", "4.0x"})
    EXPECT_FALSE(ParseSongPosition(bad, p)) << bad;
}
