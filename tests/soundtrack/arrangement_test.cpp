// The arrangement against the pictures it plays under: the rows the opening, the cube field
// and the wave floor mark. Matters of taste (key, groove, ending) are reported by
// vale-song-checks and scripts/soundtrack-report.sh, not tested here.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "tests/soundtrack/song_test_util.h"

namespace {

constexpr int kKick = 11, kTom = 12, kClap = 16;

class Arrangement : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(CompileShippedSong(song, error)) << error;
    ASSERT_EQ(song.patterns.size(), 21u);
  }
  const SongCell& Cell(int pattern, int row, int channel) const {
    return song.patterns[pattern].cells[row * song.channels + channel];
  }
  bool Starts(const SongCell& c) const { return c.note >= 1 && c.note <= 96; }
  // Rows of a pattern where any channel starts a note of one of the given instruments (all when
  // empty). A note without an instrument number plays the channel's last one.
  std::set<int> StartRows(int pattern, std::set<int> instruments = {}) const {
    std::set<int> rows;
    std::vector<int> held(static_cast<size_t>(song.channels), 0);
    for (int r = 0; r < song.patterns[pattern].rows; ++r)
      for (int c = 0; c < song.channels; ++c) {
        const SongCell& cell = Cell(pattern, r, c);
        if (cell.instrument) held[c] = cell.instrument;
        if (Starts(cell) && (instruments.empty() || instruments.count(held[c]))) rows.insert(r);
      }
    return rows;
  }
  std::set<int> ChannelStartRows(int pattern, int channel) const {
    std::set<int> rows;
    for (int r = 0; r < song.patterns[pattern].rows; ++r)
      if (Starts(Cell(pattern, r, channel))) rows.insert(r);
    return rows;
  }
  SongModule song;
};

}  // namespace

TEST_F(Arrangement, OpeningMarksFlickerRowsAndWords) {
  for (int p : {4, 5}) {
    std::set<int> rows = StartRows(p);
    for (int r = 0; r < 64; ++r)
      if ((r + 8) % 16 > 8) {
        EXPECT_TRUE(rows.count(r)) << "pattern " << p << " flicker row " << r;
      }
  }
  // the word changes: a tone on channel 8 exactly on those rows
  EXPECT_EQ(ChannelStartRows(4, 7), (std::set<int>{8, 24, 40, 56}));
  EXPECT_EQ(ChannelStartRows(5, 7), (std::set<int>{8, 24}));
  EXPECT_TRUE(StartRows(3, {kKick}).empty()) << "no beat at the start of the opening";
}

TEST_F(Arrangement, CubeFieldPanelRowsHaveStabs) {
  for (int p : {6, 7}) {
    EXPECT_EQ(ChannelStartRows(p, 6), (std::set<int>{8, 14, 30, 36, 44, 48, 52, 60})) << "pattern " << p;
    EXPECT_FALSE(StartRows(p, {kKick}).empty()) << "the beat has arrived";
  }
}

TEST_F(Arrangement, WaveFloorBreaksOnTheCutIns) {
  for (int p : {13, 14}) {
    SCOPED_TRACE("pattern " + std::to_string(p));
    EXPECT_EQ(StartRows(p, {kTom}), (std::set<int>{8, 10, 12, 14, 16}));
    EXPECT_TRUE(std::ranges::includes(StartRows(p, {kClap}), std::set<int>{41, 43, 45, 47}));
    std::set<int> kicks = StartRows(p, {kKick});
    for (int r = 8; r <= 16; ++r) EXPECT_FALSE(kicks.count(r)) << "kick in the break, row " << r;
    for (int r = 41; r <= 47; ++r) EXPECT_FALSE(kicks.count(r)) << "kick in the break, row " << r;
    // the bass stops for both cut-ins
    EXPECT_EQ(Cell(p, 8, 1).note, 97);
    EXPECT_EQ(Cell(p, 40, 1).note, 97);
  }
}
