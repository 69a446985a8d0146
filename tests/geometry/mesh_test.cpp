#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "geometry/failure.h"
#include "geometry/mesh.h"
#include "geometry/weld.h"
#include "tests/geometry/surface_checks.h"

namespace {

double Dot(const Vec3& a, const Vec3& b) { return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z; }
Vec3 Minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

double Distance(const Vec3& a, const Vec3& b) { return VectorLength(Minus(a, b)); }

std::string lastFailure;
void RecordFailure(const char* text, const char* caption) { lastFailure = std::string(caption) + "/" + text; }

TEST(MeshArrays, AllocationFollowsTheKindAndAFailureLeavesAnEmptyStore) {
  Mesh mesh;
  InitMesh(mesh, 7, 0, 3);  // any kind but 1 means quads
  EXPECT_TRUE(!mesh.vertices && mesh.quads && !mesh.triangles);
  mesh.kind = kMeshTriangles;
  EXPECT_TRUE(AllocateMeshArrays(mesh, 2, 0));
  EXPECT_TRUE(mesh.vertices);
  EXPECT_FALSE(mesh.triangles || mesh.quads) << "the old quad array is freed and a zero count allocates nothing";

  SetGeometryFailureHook(RecordFailure);
  EXPECT_FALSE(AllocateMeshArrays(mesh, INT32_MAX, 10));
  EXPECT_EQ(lastFailure, "vtx/failed");
  EXPECT_FALSE(mesh.vertices);
  EXPECT_EQ(mesh.vertexCount, 0) << "no count for entries that do not exist";
  EXPECT_EQ(mesh.faceCount, 10);
  SetGeometryFailureHook(nullptr);
}

TEST(MeshNormals, CollinearFacesLeaveZeroNormals) {
  Mesh mesh;
  InitMesh(mesh, kMeshTriangles, 5, 2);
  const Vec3 p[5] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}, {9, 9, 9}};
  for (int v = 0; v < 5; ++v) mesh.vertices[v].position = p[v];
  MeshVertex* v = mesh.vertices.get();
  mesh.triangles[0].corners[0] = &v[0], mesh.triangles[0].corners[1] = &v[1], mesh.triangles[0].corners[2] = &v[2];
  mesh.triangles[1].corners[0] = &v[0], mesh.triangles[1].corners[1] = &v[1], mesh.triangles[1].corners[2] = &v[3];
  ComputeMeshNormals(mesh);
  EXPECT_LT(Distance(mesh.triangles[0].faceNormal, {0, 0, 1}), 1e-6);
  EXPECT_EQ(VectorLength(mesh.triangles[1].faceNormal), 0);  // collinear corners
  EXPECT_LT(Distance(v[0].normal, {0, 0, 1}), 1e-6);
  EXPECT_EQ(VectorLength(v[3].normal), 0);  // only a zero normal reached it
  EXPECT_EQ(VectorLength(v[4].normal), 0);  // unused vertex
}

TEST(MeshSphere, FullSphereIsClosedWoundOutwardsAndSeamless) {
  Mesh mesh;
  ASSERT_TRUE(BuildSphereMesh(mesh, 100, 40, 10, false));
  for (int i = 0; i < mesh.vertexCount; ++i) {
    const MeshVertex& vertex = mesh.vertices[i];
    EXPECT_NEAR(VectorLength(vertex.position), 100, 1e-3);
    EXPECT_GT(Dot(vertex.normal, vertex.position) / 100, 0.99) << "vertex " << i;
  }
  for (int t = 0; t < mesh.faceCount; ++t) {
    const MeshTriangle& tri = mesh.triangles[t];
    const Vec3 n = CrossProduct(Minus(tri.corners[1]->position, tri.corners[0]->position),
                                Minus(tri.corners[2]->position, tri.corners[0]->position));
    EXPECT_GT(Dot(n, tri.corners[0]->position), 0) << "triangle " << t << " winds counter-clockwise outside";
  }
  const WeldedMesh welded = WeldMesh(mesh);
  EXPECT_EQ(welded.vertices.size(), size_t(mesh.vertexCount)) << "no duplicated vertices";
  ExpectClosedSurface(welded, 2);

  // Away from the poles no triangle stretches across the texture: at the seam u runs on to 3
  // (the texture repeats three times around) instead of jumping back to 0.
  int seam = 0;
  for (int t = 40; t < mesh.faceCount - 40; ++t) {
    const MeshTriangle& tri = mesh.triangles[t];
    const float lo = std::min({tri.uv[0][0], tri.uv[1][0], tri.uv[2][0]});
    const float hi = std::max({tri.uv[0][0], tri.uv[1][0], tri.uv[2][0]});
    EXPECT_LE(hi - lo, 3.0f / 40 + 1e-5f) << "triangle " << t;
    if (hi == 3.0f) ++seam;
  }
  EXPECT_EQ(seam, 2 * 20) << "two triangles of every band meet the seam";
}

TEST(MeshSphere, LowerHalfIsAnOpenBowl) {
  Mesh mesh;
  ASSERT_TRUE(BuildSphereMesh(mesh, 100, 40, 10, true));
  for (int i = 0; i < mesh.vertexCount; ++i) EXPECT_LT(mesh.vertices[i].position.y, 0.001f);
  EXPECT_NEAR(mesh.vertices[mesh.vertexCount - 1].position.y, -100 * std::cos(6.2832 / 4), 1e-6) << "the last ring is the equator";
  const EdgeTopology topology = AnalyseEdges(WeldMesh(mesh));
  EXPECT_EQ(topology.boundaryEdges, 40) << "the rim";
  EXPECT_EQ(topology.overusedEdges, 0);
  EXPECT_EQ(topology.EulerCharacteristic(mesh.vertexCount, mesh.faceCount), 1) << "a disc";
}

}  // namespace
