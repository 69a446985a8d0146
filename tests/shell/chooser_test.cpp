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
    const DisplayChoice c = ResolveChooserEntry(entry);
    EXPECT_TRUE(c.width == fallback.width && c.height == fallback.height && c.fullScreen == fallback.fullScreen) << entry;
  }
  EXPECT_TRUE(ChooserLabel(8).empty() && ChooserLabel(-1).empty());
}

// Start with nothing chosen picks the first line; otherwise the last clicked line wins.
TEST(Chooser, StartOpensTheLastClickedLineOrTheFirst) {
  int32_t entry = 0, start = 0;
  EXPECT_TRUE(ChooserCommand(kStartId, entry, start));
  EXPECT_EQ(start, 1);
  EXPECT_EQ(entry, 1);
  EXPECT_EQ(ResolveChooserEntry(entry).width, 640);
  entry = start = 0;
  for (int line : {3, 7, 1}) EXPECT_FALSE(ChooserCommand(kFirstLineId + line, entry, start));
  EXPECT_EQ(entry, 2);
  EXPECT_EQ(start, 0);
  // Ids that are no control of the chooser change nothing.
  ChooserCommand(109, entry, start);
  ChooserCommand(0, entry, start);
  EXPECT_TRUE(ChooserCommand(kStartId, entry, start));
  EXPECT_EQ(entry, 2);
}

// The edges of the first and last lines and of Start, and the gaps beside them.
TEST(Chooser, ControlsLieWhereTheLayoutPutsThem) {
  const struct {
    int x, y, id;
  } probes[] = {{10, 10, kFirstLineId},      {159, 33, kFirstLineId}, {10, 178, kFirstLineId + 7},
                {159, 201, kFirstLineId + 7}, {160, 20, 0},            {9, 20, 0},
                {20, 205, 0},                 {10, 210, kStartId},     {149, 257, kStartId},
                {150, 257, 0},                {20, 258, 0}};
  for (const auto& p : probes) EXPECT_EQ(ChooserControlAt(p.x, p.y), p.id) << p.x << "," << p.y;
}
