// The opening scene's title words and band brightness on the music rows.
#include <gtest/gtest.h>

#include "scenes/frame_clock.h"
#include "scenes/opening.h"

// Order 15 is the scene's second appearance, which shows no words.
TEST(OpeningWords, OneWordAtATimeFromOrderOneRowEightUntilFive) {
  const struct {
    int order, row;
    const char* word;
  } cases[] = {{0, 63, ""},     {1, 7, ""},   {1, 8, "imagine"},  {1, 23, "imagine"}, {1, 24, "yourself"},
               {2, 7, "away"},  {2, 8, "into"}, {3, 23, "of"},    {3, 24, "quoms"},   {4, 63, "quoms"},
               {5, 0, ""},      {15, 0, ""}};
  for (const auto& c : cases) EXPECT_EQ(OpeningWordAt(ComputeSyncTime(c.order, c.row)), c.word) << c.order << "." << c.row;
}

TEST(OpeningWords, BandsAreSteadyExceptOnRowsOneToSevenOfEachSixteen) {
  for (int row : {0, 8, 9, 15, 16, 24, 31, 32, 48, 56, 63}) EXPECT_EQ(OpeningBandBrightness(ComputeSyncTime(1, row), row), 0.6f) << row;
  // Rows 1..7 step from dark to bright.
  float previous = -1;
  for (int row = 17; row <= 23; ++row) {
    const float g = OpeningBandBrightness(ComputeSyncTime(1, row), row);
    EXPECT_GT(g, previous) << row;
    previous = g;
  }
  EXPECT_LT(OpeningBandBrightness(ComputeSyncTime(1, 17), 17), 0.2f);
  EXPECT_GT(OpeningBandBrightness(ComputeSyncTime(1, 23), 23), 0.95f);
}
