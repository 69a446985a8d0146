// The opening scene's title words and band brightness on the music rows.
#include <gtest/gtest.h>

#include "scenes/opening.h"

namespace {
float Sync(int order, int row) { return static_cast<float>(row * 0.001 + order); }
}  // namespace

TEST(OpeningWords, OneWordAtATimeFromOrderOneRowEightUntilFive) {
  EXPECT_EQ(OpeningWordAt(Sync(0, 63)), "");
  EXPECT_EQ(OpeningWordAt(Sync(1, 7)), "");
  EXPECT_EQ(OpeningWordAt(Sync(1, 8)), "imagine");
  EXPECT_EQ(OpeningWordAt(Sync(1, 23)), "imagine");
  EXPECT_EQ(OpeningWordAt(Sync(1, 24)), "yourself");
  EXPECT_EQ(OpeningWordAt(Sync(2, 7)), "away");
  EXPECT_EQ(OpeningWordAt(Sync(2, 8)), "into");
  EXPECT_EQ(OpeningWordAt(Sync(3, 23)), "of");
  EXPECT_EQ(OpeningWordAt(Sync(3, 24)), "quoms");
  EXPECT_EQ(OpeningWordAt(Sync(4, 63)), "quoms");
  EXPECT_EQ(OpeningWordAt(Sync(5, 0)), "");
  EXPECT_EQ(OpeningWordAt(Sync(15, 0)), "") << "the second appearance shows no words";
}

TEST(OpeningWords, BandsAreSteadyExceptOnRowsOneToSevenOfEachSixteen) {
  for (int row : {0, 8, 9, 15, 16, 24, 31, 32, 48, 56, 63}) EXPECT_EQ(OpeningBandBrightness(Sync(1, row), row), 0.6f) << row;
  // Rows 1..7 step from dark to bright.
  float previous = -1;
  for (int row = 17; row <= 23; ++row) {
    const float g = OpeningBandBrightness(Sync(1, row), row);
    EXPECT_GT(g, previous) << row;
    previous = g;
  }
  EXPECT_LT(OpeningBandBrightness(Sync(1, 17), 17), 0.2f);
  EXPECT_GT(OpeningBandBrightness(Sync(1, 23), 23), 0.95f);
}
