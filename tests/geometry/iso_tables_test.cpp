#include <gtest/gtest.h>

#include <vector>

#include "geometry/iso_tables.h"

namespace {

std::vector<int> Row(int mask) {
  std::vector<int> row;
  for (int t = 0; t < 16 && kIsoTriangleTable[mask][t] != -1; ++t) row.push_back(kIsoTriangleTable[mask][t]);
  return row;
}

TEST(IsoTables, EveryRowUsesExactlyTheFlaggedEdgesInWholeTriangles) {
  for (int mask = 0; mask < 256; ++mask) {
    const std::vector<int> row = Row(mask);
    EXPECT_EQ(row.size() % 3, 0u) << "mask " << mask;  // so at most 15 of the 16 entries
    for (size_t t = row.size(); t < 16; ++t) EXPECT_EQ(kIsoTriangleTable[mask][t], -1) << "mask " << mask;
    int used = 0;
    for (int e : row) {
      ASSERT_GE(e, 0);
      ASSERT_LT(e, 12);
      used |= 1 << e;
    }
    EXPECT_EQ(used, kIsoEdgeTable[mask]) << "mask " << mask;
    EXPECT_EQ(kIsoEdgeTable[mask], kIsoEdgeTable[255 - mask]) << "inside and outside swapped";
  }
}

// With crossing points at edge midpoints, the cross product (P1 - P0) x (P2 - P0) of every
// triangle must lean towards the inside ends of the edges it cuts, taken together (so no
// triangle repeats an edge either: its cross product would be zero).
TEST(IsoTables, EveryTriangleWindsTowardsTheInsideCorners) {
  auto midpoint = [](int e, double out[3]) {
    for (int a = 0; a < 3; ++a)
      out[a] = 0.5 * (kIsoCornerOffsets[kIsoEdgeCorners[e][0]][a] + kIsoCornerOffsets[kIsoEdgeCorners[e][1]][a]);
  };
  for (int mask = 1; mask < 255; ++mask) {
    const std::vector<int> row = Row(mask);
    for (size_t t = 0; t < row.size(); t += 3) {
      double p[3][3];
      for (int v = 0; v < 3; ++v) midpoint(row[t + v], p[v]);
      const double a[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
      const double b[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
      const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
      double towardsInside = 0;
      for (int v = 0; v < 3; ++v) {
        const int e = row[t + v];
        int inside = kIsoEdgeCorners[e][0], outside = kIsoEdgeCorners[e][1];
        if (mask & (1 << inside)) std::swap(inside, outside);  // a set bit means outside
        for (int ax = 0; ax < 3; ++ax)
          towardsInside += n[ax] * (kIsoCornerOffsets[inside][ax] - kIsoCornerOffsets[outside][ax]);
      }
      EXPECT_GT(towardsInside, 0) << "mask " << mask << " triangle " << t / 3;
    }
  }
}

}  // namespace
