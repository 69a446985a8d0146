// The viewer's command line, the spans Page Up/Down step through, and the music after a seek: it
// goes on from any block exactly as the song played straight through goes on there.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "music/mixer.h"
#include "music/module.h"
#include "music/output.h"
#include "music/render.h"
#include "music/stream.h"
#include "shell/chooser.h"
#include "shell/offline_run.h"
#include "shell/schedule.h"
#include "shell/seek.h"
#include "shell/shell_state.h"
#include "shell/viewer_options.h"

namespace {

ViewerArgs Parse(std::vector<std::string> args, ViewerOptions& options, std::string& error) {
  return ParseViewerArgs(args, options, error);
}

}  // namespace

TEST(ViewerOptions, ChooseTheLineThePositionAndThePauseOrSayWhatIsWrong) {
  ViewerOptions o;
  std::string error;
  ASSERT_EQ(Parse({}, o, error), ViewerArgs::Run);
  EXPECT_EQ(o.entry, 0);  // the chooser, from the start, playing
  EXPECT_FALSE(o.startAt || o.paused);

  ASSERT_EQ(Parse({"--windowed", "--at", "17.10", "--paused"}, o, error), ViewerArgs::Run) << error;
  EXPECT_EQ(o.entry, kChooserLineWindowed);
  EXPECT_TRUE(o.startAt && o.paused);
  EXPECT_EQ(o.at, (SongPosition{17, 10}));
  ASSERT_EQ(Parse({"--mode", "2"}, o, error), ViewerArgs::Run) << error;
  EXPECT_EQ(o.entry, 2);
  EXPECT_EQ(Parse({"--mode", "2", "--help"}, o, error), ViewerArgs::Help);

  for (std::vector<std::string> bad :
       {std::vector<std::string>{"--mode", "0"}, {"--mode", "9"}, {"--mode"}, {"--at", "46.001"}, {"--at", "17.064"},
        {"--at", "x"}, {"--windowed", "--mode", "3"}, {"--fast"}, {"17.010"}}) {
    error.clear();
    EXPECT_EQ(Parse(bad, o, error), ViewerArgs::Error) << bad[0];
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
  }
}

// Each span begins at the first row whose sync time the schedule gives to it, and the one
// before that row still plays the span before.
TEST(ScheduleSpans, BeginWhereTheSchedulePicksTheirStep) {
  const std::vector<ScheduleSpan> spans = ScheduleSpans();
  ASSERT_EQ(spans.size(), 20u);
  EXPECT_EQ(spans.front().from, (SongPosition{0, 0}));
  for (size_t i = 1; i < spans.size(); ++i) {
    const SongPosition p = spans[i].from;
    SCOPED_TRACE(FormatSongPosition(p));
    ASSERT_LT(spans[i - 1].from, p);
    EXPECT_EQ(PickScene(ComputeSyncTime(p.order, p.row)), spans[i].step);
    const SongPosition before = p.row > 0 ? SongPosition{p.order, p.row - 1} : SongPosition{p.order - 1, 63};
    EXPECT_EQ(PickScene(ComputeSyncTime(before.order, before.row)), spans[i - 1].step);
  }
}

TEST(SeekMusic, GoesOnFromAnyBlockAsTheStraightSongDoes) {
  InstallStreamProcs(OpenResourceStream, StreamClose, StreamRead, StreamSeek, StreamTell);
  ASSERT_TRUE(OpenOfflineOutput(44100));
  ModulePlayer* player = LoadSoundtrack();
  ASSERT_NE(player, nullptr) << ModuleLoadError();
  // Straight from the output's opening, as the live start and the tools play it.
  const SongTimeline straight = RenderSongTimeline(player, true);
  shellState.player = player;
  ASSERT_TRUE(PrepareSongMap());
  // The map's clock is the replay's: the tools and a seek find the same frame for a position.
  EXPECT_EQ(ReplaySong().blocks, straight.blocks);

  const size_t values = static_cast<size_t>(mixSettings.blockFrames) * 2;
  // Block 0, a block on a kept point, blocks between points, and one near the end (order 44).
  for (int64_t block : {int64_t{0}, int64_t{500}, int64_t{1234}, BlockAtFrame(SeekFrameFor({44, 0}))}) {
    SCOPED_TRACE(block);
    SetMusicToBlock(block);
    ASSERT_TRUE(ContinuePlayback(player));
    // Past the first ring's worth, so the refills that follow the output are covered too.
    for (int64_t b = block; b < std::min<int64_t>(block + 160, static_cast<int64_t>(straight.blocks.size())); ++b) {
      const auto ring = static_cast<size_t>(playback.playBlock.load());
      const int16_t* heard = playback.ring.get() + ring * values;
      ASSERT_TRUE(std::equal(heard, heard + values, straight.audio.begin() + static_cast<ptrdiff_t>(b * values)))
          << "block " << b << " differs from the straight song";
      EXPECT_EQ((SongPosition{playback.positions[ring].blockOrder.load(), playback.positions[ring].blockRow.load()}),
                straight.blocks[static_cast<size_t>(b)]);
      AdvanceOfflineOutput(mixSettings.blockFrames);
    }
    StopPlayback(player);
  }
  shellState.player = nullptr;
  MusicStop(player);
}
