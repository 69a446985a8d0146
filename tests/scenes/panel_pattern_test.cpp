// The cube field's panel pattern follows fixed music rows of orders 4 to 7.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "scenes/cube_field.h"
#include "scenes/frame_clock.h"

namespace {

// Plays the run row by row, as frames would, and records the pattern at every row.
int PatternAt(int order, int row) {
  int32_t p = 1;
  for (int o = 0; o <= order; ++o)
    for (int r = 0; r < 64 && (o < order || r <= row); ++r) p = UpdatePanelPattern(ComputeSyncTime(o, r), p);
  return p;
}
}  // namespace

// Through orders 4 to 7 the pattern moves only on the music's accent rows and stays a real
// pattern; before them it is 1, after them it holds 10 whatever came before.
TEST(PanelPattern, ChangesOnlyOnTheAccentRowsOfOrders4To7) {
  const std::array<int, 8> accents = {8, 14, 30, 36, 44, 48, 52, 60};
  EXPECT_EQ(PatternAt(4, 7), 1);
  int32_t p = PatternAt(4, 7);
  int changes = 0;
  for (int order = 4; order <= 7; ++order)
    for (int row = order == 4 ? 8 : 0; row < 64; ++row) {
      const int32_t before = p;
      p = UpdatePanelPattern(ComputeSyncTime(order, row), p);
      EXPECT_GE(p, 1);
      EXPECT_LE(p, 12);
      if (p != before) {
        ++changes;
        EXPECT_NE(std::find(accents.begin(), accents.end(), row), accents.end()) << "order " << order << " row " << row;
      }
    }
  EXPECT_GT(changes, 25);
  EXPECT_EQ(PatternAt(7, 60), 10);
  EXPECT_EQ(PatternAt(11, 63), 10);
  EXPECT_EQ(UpdatePanelPattern(ComputeSyncTime(20, 1), 3), 10);
}
