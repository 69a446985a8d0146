// The resolution chooser's commands and its fallback.
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
  EXPECT_TRUE(ChooserCommand(kStartId, entry, start));
  EXPECT_EQ(entry, 2);
}
