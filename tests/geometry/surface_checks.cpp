#include "tests/geometry/surface_checks.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/iso_tables.h"

EdgeTopology AnalyseEdges(const WeldedMesh& mesh) {
  std::map<std::pair<int32_t, int32_t>, int> directed;
  EdgeTopology out;
  for (const auto& t : mesh.triangles) {
    for (int c = 0; c < 3; ++c) ++directed[{t[c], t[(c + 1) % 3]}];
  }
  std::map<std::pair<int32_t, int32_t>, int> undirected;
  for (const auto& [edge, count] : directed) {
    undirected[{std::min(edge.first, edge.second), std::max(edge.first, edge.second)}] += count;
    if (!directed.count({edge.second, edge.first})) out.unpairedDirections += count;
  }
  for (const auto& [edge, count] : undirected) {
    ++out.edges;
    if (count == 1) ++out.boundaryEdges;
    if (count > 2) ++out.overusedEdges;
  }
  return out;
}

void ExpectClosedSurface(const WeldedMesh& mesh, int64_t eulerCharacteristic) {
  const EdgeTopology t = AnalyseEdges(mesh);
  EXPECT_EQ(t.boundaryEdges, 0);
  EXPECT_EQ(t.overusedEdges, 0);
  EXPECT_EQ(t.unpairedDirections, 0);
  EXPECT_EQ(t.EulerCharacteristic(int64_t(mesh.vertices.size()), int64_t(mesh.triangles.size())), eulerCharacteristic);
}

ReferenceSurface ReferencePolygonise(int32_t n, float isoLevel, IsoField field) {
  ReferenceSurface out;
  const int32_t n1 = n + 1;
  auto at = [&](int i, int j, int k) -> const IsoSample& { return out.samples[(size_t(i) * n1 + j) * n1 + k]; };
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j)
      for (int k = 0; k <= n; ++k) {
        const float x = static_cast<float>(2.0 * i / n - 1.0);
        const float y = static_cast<float>(2.0 * j / n - 1.0);
        const float z = static_cast<float>(2.0 * k / n - 1.0);
        out.samples.push_back({x, y, z, field(x, y, z)});
      }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) {
        const IsoSample* corner[8];
        int mask = 0;
        for (int c = 0; c < 8; ++c) {
          corner[c] = &at(i + kIsoCornerOffsets[c][0], j + kIsoCornerOffsets[c][1], k + kIsoCornerOffsets[c][2]);
          if (corner[c]->value < isoLevel) mask |= 1 << c;
        }
        if (kIsoEdgeTable[mask] == 0) continue;
        Vec3 point[12];
        for (int e = 0; e < 12; ++e) {
          if (!(kIsoEdgeTable[mask] & (1 << e))) continue;
          const IsoSample& a = *corner[kIsoEdgeCorners[e][0]];
          const IsoSample& b = *corner[kIsoEdgeCorners[e][1]];
          const double mu = (double(isoLevel) - a.value) / (double(b.value) - a.value);
          point[e] = {float(a.x + mu * (double(b.x) - a.x)), float(a.y + mu * (double(b.y) - a.y)),
                      float(a.z + mu * (double(b.z) - a.z))};
        }
        for (int t = 0; kIsoTriangleTable[mask][t] != -1; t += 3) {
          IsoTriangle tri;
          for (int v = 0; v < 3; ++v) tri.vertices[v] = point[kIsoTriangleTable[mask][t + v]];
          const Vec3 &p0 = tri.vertices[0], &p1 = tri.vertices[1], &p2 = tri.vertices[2];
          const double ax = double(p0.x) - p1.x, ay = double(p0.y) - p1.y, az = double(p0.z) - p1.z;
          const double bx = double(p0.x) - p2.x, by = double(p0.y) - p2.y, bz = double(p0.z) - p2.z;
          const double mx = ay * bz - az * by, my = az * bx - ax * bz, mz = ax * by - ay * bx;
          const double l = std::sqrt(mx * mx + my * my + mz * mz);
          tri.normal = l > 0 ? Vec3{float(1 - mx / l), float(1 - my / l), float(1 - mz / l)} : Vec3{1, 1, 1};
          out.triangles.push_back(tri);
        }
      }
  return out;
}
