// The resolution chooser's commands, its fallback and where its controls lie.
#include <gtest/gtest.h>

#include "shell/chooser.h"

// Entries outside 1..8 (nothing chosen, or a stale value) open the mode of the line labelled
// "(default)".
TEST(Chooser, OutOfRangeEntriesTakeTheDefaultLinesMode) {
  int line = 0;
  while (line < kChooserLines && ChooserLabel(line).find("(default)") == std::string_view::npos) ++line;
  ASSERT_LT(line, kChooserLines);
  const DisplayChoice fallback = ResolveChooserEntry(line + 1);
  for (int entry : {0, 9, -3}) {
    EXPECT_EQ(ResolveChooserEntry(entry).width, fallback.width) << entry;
    EXPECT_EQ(ResolveChooserEntry(entry).height, fallback.height) << entry;
    EXPECT_EQ(ResolveChooserEntry(entry).fullScreen, fallback.fullScreen) << entry;
  }
  EXPECT_TRUE(ChooserLabel(8).empty());
  EXPECT_TRUE(ChooserLabel(-1).empty());
}

TEST(Chooser, StartWithNothingChosenPicksTheFirstLine) {
  int32_t entry = 0, start = 0;
  EXPECT_TRUE(ChooserCommand(kStartId, entry, start));
  EXPECT_EQ(start, 1);
  EXPECT_EQ(entry, 1);
  EXPECT_EQ(ResolveChooserEntry(entry).width, 640);
}

TEST(Chooser, TheLastClickedLineWins) {
  int32_t entry = 0, start = 0;
  EXPECT_FALSE(ChooserCommand(kFirstLineId + 3, entry, start));
  EXPECT_FALSE(ChooserCommand(kFirstLineId + 7, entry, start));
  EXPECT_FALSE(ChooserCommand(kFirstLineId + 1, entry, start));
  EXPECT_EQ(entry, 2);
  EXPECT_EQ(start, 0);
  EXPECT_TRUE(ChooserCommand(kStartId, entry, start));
  EXPECT_EQ(entry, 2);
  // Ids that are no control of the chooser change nothing.
  ChooserCommand(109, entry, start);
  ChooserCommand(0, entry, start);
  EXPECT_EQ(entry, 2);
}

TEST(Chooser, ControlsLieWhereTheLayoutPutsThem) {
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(ChooserControlAt(10, 10 + 24 * i), kFirstLineId + i);
    EXPECT_EQ(ChooserControlAt(159, 33 + 24 * i), kFirstLineId + i);
  }
  EXPECT_EQ(ChooserControlAt(160, 20), 0);  // right of the lines
  EXPECT_EQ(ChooserControlAt(9, 20), 0);
  EXPECT_EQ(ChooserControlAt(10, 210), kStartId);
  EXPECT_EQ(ChooserControlAt(149, 257), kStartId);
  EXPECT_EQ(ChooserControlAt(150, 257), 0);
  EXPECT_EQ(ChooserControlAt(20, 258), 0);
  EXPECT_EQ(ChooserControlAt(20, 205), 0);  // between the last line and Start
}
