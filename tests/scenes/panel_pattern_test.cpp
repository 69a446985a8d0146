// The cube field's panel pattern follows fixed music rows of orders 4 to 7.
#include <gtest/gtest.h>

#include <array>

#include "scenes/cube_field.h"

namespace {
float Sync(int order, int row) { return static_cast<float>(row * 0.001 + order); }

// Plays the run row by row, as frames would, and records the pattern at every row.
int PatternAt(int order, int row) {
  int32_t p = 1;
  for (int o = 0; o <= order; ++o)
    for (int r = 0; r < 64 && (o < order || r <= row); ++r) p = UpdatePanelPattern(Sync(o, r), p);
  return p;
}
}  // namespace

TEST(PanelPattern, StartsAtOneUntilOrder4Row8) {
  EXPECT_EQ(PatternAt(0, 0), 1);
  EXPECT_EQ(PatternAt(4, 1), 1);
  EXPECT_EQ(PatternAt(4, 7), 1);
  EXPECT_EQ(PatternAt(4, 8), 1);
  EXPECT_EQ(PatternAt(4, 13), 1);
  EXPECT_EQ(PatternAt(4, 14), 7);
}

TEST(PanelPattern, ChangesExactlyOnTheListedRows) {
  const int rows[8] = {8, 14, 30, 36, 44, 48, 52, 60};
  const int table[4][8] = {{1, 7, 12, 2, 3, 8, 6, 9},
                           {5, 8, 1, 12, 11, 12, 5, 9},
                           {10, 7, 1, 6, 5, 2, 11, 4},
                           {12, 8, 4, 1, 3, 7, 6, 10}};
  int32_t p = 1;
  int changes = 0;
  for (int order = 4; order <= 7; ++order)
    for (int row = 0; row < 64; ++row) {
      int32_t before = p;
      p = UpdatePanelPattern(Sync(order, row), p);
      int k = -1;
      for (int i = 0; i < 8; ++i)
        if (rows[i] == row) k = i;
      if (k >= 0) {
        EXPECT_EQ(p, table[order - 4][k]) << "order " << order << " row " << row;
      } else {
        EXPECT_EQ(p, before) << "changed off its rows at order " << order << " row " << row;
      }
      if (p != before) ++changes;
    }
  EXPECT_GT(changes, 25);
}

TEST(PanelPattern, StaysTenAfterOrder7Row60) {
  EXPECT_EQ(PatternAt(7, 60), 10);
  EXPECT_EQ(PatternAt(7, 63), 10);
  EXPECT_EQ(PatternAt(11, 63), 10);
  EXPECT_EQ(UpdatePanelPattern(Sync(23, 40), 10), 10);
  // Any pattern held so far is overridden by the table once past its entries.
  EXPECT_EQ(UpdatePanelPattern(Sync(20, 1), 3), 10);
}

TEST(PanelPattern, LitPanelsPerPattern) {
  std::array<Panel, 8> lit{};
  // Each pattern lights one or two panels; every panel is lit by two patterns.
  int total = 0;
  for (int p = 1; p <= 12; ++p) {
    int n = LitPanels(p, lit);
    EXPECT_GE(n, 1) << p;
    EXPECT_LE(n, 2) << p;
    total += n;
  }
  EXPECT_EQ(total, 16);
  ASSERT_EQ(LitPanels(1, lit), 2);  // bottom and top bands, in table order
  EXPECT_EQ(lit[0].y0, -7);
  EXPECT_EQ(lit[0].y1, -1);
  EXPECT_EQ(lit[1].y0, 1);
  EXPECT_EQ(lit[1].y1, 7);
  ASSERT_EQ(LitPanels(12, lit), 2);  // top-right and bottom-left squares
  EXPECT_EQ(lit[0].x0, 1);
  EXPECT_EQ(lit[0].y0, 1);
  EXPECT_EQ(lit[1].x0, -7);
  EXPECT_EQ(lit[1].y0, -7);
  EXPECT_EQ(LitPanels(0, lit), 0);
  EXPECT_EQ(LitPanels(13, lit), 0);
}
