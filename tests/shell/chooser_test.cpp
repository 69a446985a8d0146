// The resolution chooser's table, its commands and where its controls lie.
#include <gtest/gtest.h>

#include "shell/chooser.h"

TEST(Chooser, LabelsAreKeptExactlyAsStored) {
  const char* expected[] = {"64ox48o", "8oox6oo", "96ox72o", "1o24x768 (default)",
                            "1152x864", "128ox96o", "128ox1o24", "windowed"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ChooserLabel(i), expected[i]);
  EXPECT_TRUE(ChooserLabel(8).empty());
  EXPECT_TRUE(ChooserLabel(-1).empty());
}

TEST(Chooser, EntriesMapToModes) {
  struct Case {
    int entry, w, h;
    bool full;
  } cases[] = {{1, 640, 480, true},   {2, 800, 600, true},   {3, 960, 720, true},    {4, 1024, 768, true},
               {5, 1152, 864, true},  {6, 1280, 960, true},  {7, 1280, 1024, true},  {8, 800, 600, false},
               {0, 1024, 768, true},  {9, 1024, 768, true},  {-3, 1024, 768, true}};
  for (const Case& c : cases) {
    DisplayChoice d = ResolveChooserEntry(c.entry);
    EXPECT_EQ(d.width, c.w) << c.entry;
    EXPECT_EQ(d.height, c.h) << c.entry;
    EXPECT_EQ(d.fullScreen, c.full) << c.entry;
  }
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
