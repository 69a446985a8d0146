#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "geometry/weld.h"

namespace {

TEST(Weld, EqualPositionsBecomeOneVertexAndWindingIsKept) {
  const std::array<Vec3, 3> soup[] = {
      {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}},
      {{{1, 0, 0}, {0, -0.0f, 0}, {0, 0, 1}}},  // -0 welds with 0
      {{{0, 1, 0}, {0, 0, 1}, {1e-7f, 0, 0}}},  // near is not equal
      {{{0, 0, 1}, {1, 0, 0}, {0, 0, 1}}},      // collapses
  };
  const WeldedMesh w = WeldTriangles(soup);
  ASSERT_EQ(w.vertices.size(), 5u);
  EXPECT_EQ(w.triangles[0], (std::array<int32_t, 3>{0, 1, 2}));
  EXPECT_EQ(w.triangles[1], (std::array<int32_t, 3>{1, 0, 3}));
  EXPECT_EQ(w.triangles[2], (std::array<int32_t, 3>{2, 3, 4}));
  EXPECT_EQ(w.vertices[4].x, 1e-7f);
  EXPECT_EQ(w.triangles.size(), 3u);
  EXPECT_EQ(w.collapsedTriangles, 1);
}

TEST(Weld, ObjText) {
  WeldedMesh w;
  w.vertices = {{0, 0, 0}, {1.5f, 0, 0}, {0, 0.25f, -2}};
  w.triangles = {{0, 2, 1}};
  EXPECT_EQ(FormatObj(w), "v 0 0 0\nv 1.5 0 0\nv 0 0.25 -2\nf 1 3 2\n");
}

}  // namespace
