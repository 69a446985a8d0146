#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>

#include "geometry/iso_surface.h"
#include "geometry/metaball.h"
#include "geometry/weld.h"
#include "tests/geometry/surface_checks.h"

namespace {

bool SameBits(const void* a, const void* b, size_t bytes) { return std::memcmp(a, b, bytes) == 0; }

// Restores the start-up charges around every test that touches the shared field.
class ChargeField : public ::testing::Test {
 protected:
  void SetUp() override { MetaballField = kStartupCharges; }
  void TearDown() override { MetaballField = kStartupCharges; }
  static void OneCharge(float strength) { MetaballField = {{{strength, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}; }
};

struct SurfaceStats {
  double minRadius = 1e9, maxRadius = 0, meanRadius = 0;
  int64_t outwardTriangles = 0;
  bool allFinite = true;
};

// Radii of all vertices about the origin, and winding relative to it.
SurfaceStats Measure(const IsoSurface& s) {
  SurfaceStats st;
  double sum = 0;
  int64_t count = 0;
  for (const IsoTriangle& t : s.triangles) {
    for (const Vec3& v : t.vertices) {
      if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) st.allFinite = false;
      const double r = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
      st.minRadius = std::min(st.minRadius, r);
      st.maxRadius = std::max(st.maxRadius, r);
      sum += r;
      ++count;
    }
    const Vec3 &p0 = t.vertices[0], &p1 = t.vertices[1], &p2 = t.vertices[2];
    const double a[3] = {double(p1.x) - p0.x, double(p1.y) - p0.y, double(p1.z) - p0.z};
    const double b[3] = {double(p2.x) - p0.x, double(p2.y) - p0.y, double(p2.z) - p0.z};
    const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    if (n[0] * p0.x + n[1] * p0.y + n[2] * p0.z > 0) ++st.outwardTriangles;
  }
  st.meanRadius = count ? sum / count : 0;
  return st;
}

float TorusField(float x, float y, float z) {
  const double ring = std::sqrt(double(x) * x + double(z) * z) - 0.55;
  return static_cast<float>(1.0 / (ring * ring + double(y) * y + 0.01) * 0.05);
}

void ExpectSameAsReference(IsoSurface& s) {
  const ReferenceSurface ref = ReferencePolygonise(s.resolution, s.isoLevel, s.field);
  ASSERT_EQ(ref.samples.size(), s.samples.size());
  EXPECT_TRUE(SameBits(ref.samples.data(), s.samples.data(), ref.samples.size() * sizeof(IsoSample)));
  ASSERT_EQ(ref.triangles.size(), s.triangles.size());
  for (size_t t = 0; t < ref.triangles.size(); ++t)
    ASSERT_TRUE(SameBits(&ref.triangles[t], &s.triangles[t], sizeof(IsoTriangle))) << "triangle " << t;
}

TEST_F(ChargeField, FieldValueNearAndOnACharge) {
  // Values off the charges are pinned by the spheres' radii below and in the blob scenes' test.
  OneCharge(0.5f);
  EXPECT_EQ(MetaballFieldValue(0, 0, 0), FLT_MAX) << "on the charge: large and finite";
  MetaballField[1] = {0.0f, 0.25f, 0.25f, 0.25f};
  EXPECT_FLOAT_EQ(MetaballFieldValue(0.25f, 0.25f, 0.25f), float(0.2 + 0.25 / 0.1875)) << "a dead charge adds nothing";
  MetaballField[2] = {0.3f, 0.0f, 1e-30f, 0.0f};
  EXPECT_EQ(MetaballFieldValue(0, 0, 0), FLT_MAX) << "overflowing sums saturate";
}

TEST_F(ChargeField, BlobSurfaceExistsFromStartUp) {
  ASSERT_FALSE(blobSurface.samples.empty());
  EXPECT_EQ(blobSurface.field, &MetaballFieldValue);
}

TEST(IsoGrid, NoGridMeansNothingHappens) {
  IsoSurface s;
  EXPECT_FALSE(CreateIsoSurface(s, 0, 1.0f, MetaballFieldValue));
  EXPECT_FALSE(CreateIsoSurface(s, -3, 1.0f, MetaballFieldValue));
  EXPECT_FALSE(CreateIsoSurface(s, kMaxIsoResolution + 1, 1.0f, MetaballFieldValue));
  SampleIsoGrid(s);
  LinkIsoCells(s);
  EXPECT_EQ(PolygoniseIsoSurface(s), 0);
  EXPECT_TRUE(s.triangles.empty());
  ASSERT_TRUE(CreateIsoSurface(s, 4, 0.5f, TorusField));
  DestroyIsoSurface(s);
  EXPECT_TRUE(s.samples.empty() && s.cells.empty() && s.triangles.empty());
}

TEST(IsoCellCases, LevelComparisons) {
  IsoSample corners[8];
  IsoCell cell;
  for (int c = 0; c < 8; ++c) {
    corners[c] = {float(c & 1), 0, 0, 2.0f};
    cell.corners[c] = &corners[c];
  }
  IsoSurface s;
  corners[0].value = 1.0f;  // exactly at the level: inside
  EXPECT_EQ(PolygoniseCell(cell, s, 1.0f), 0);
  corners[0].value = NAN;  // no comparison holds: inside
  EXPECT_EQ(PolygoniseCell(cell, s, 1.0f), 0);
  corners[0].value = 0.5f;
  EXPECT_EQ(PolygoniseCell(cell, s, 1.0f), 1);
  corners[1].value = 0.0f;
  EXPECT_EQ(PolygoniseCell(cell, s, 1.0f), 2);
  EXPECT_EQ(s.triangles.size(), 3u) << "cells append";
}

// A lone charge of strength s gives the sphere s^2 / d^2 = 0.8. At the origin, with s = 0.6 or
// 0.3, some samples lie exactly on the level (d^2 = 0.45 = 0.3^2 + 0.6^2, for one), so the
// surface passes through grid corners and some triangles collapse; moved off the grid points
// none do. Either way the welded surface is a closed sphere.
TEST_F(ChargeField, OneChargeGivesAClosedSphereOfTheExpectedRadius) {
  struct Case {
    float strength, x, y, z;
    bool collapses;
  };
  for (const Case& c : {Case{0.6f, 0, 0, 0, true}, Case{0.3f, 0, 0, 0, true}, Case{0.6f, 0.013f, -0.021f, 0.017f, false}}) {
    OneCharge(c.strength);
    MetaballField[0] = {c.strength, c.x, c.y, c.z};
    IsoSurface s;
    ASSERT_TRUE(CreateIsoSurface(s, 40, 1.0f, MetaballFieldValue));
    if (c.x == 0) {
      EXPECT_EQ(s.samples[(20 * 41 + 20) * 41 + 20].value, FLT_MAX) << "the sample on the charge";
    }
    const int32_t count = PolygoniseIsoSurface(s);
    ASSERT_GT(count, 100);
    EXPECT_EQ(size_t(count), s.triangles.size());
    for (IsoTriangle& t : s.triangles)
      for (Vec3& v : t.vertices) v = {v.x - c.x, v.y - c.y, v.z - c.z};
    const SurfaceStats st = Measure(s);
    EXPECT_TRUE(st.allFinite);
    const double radius = c.strength / std::sqrt(0.8);
    EXPECT_NEAR(st.minRadius, radius, 0.01) << c.strength;  // a fifth of a cell
    EXPECT_NEAR(st.maxRadius, radius, 0.01) << c.strength;
    EXPECT_EQ(st.outwardTriangles, 0) << "every triangle winds into the blob";

    const WeldedMesh welded = WeldIsoSurface(s);
    EXPECT_EQ(welded.collapsedTriangles > 0, c.collapses);
    const EdgeTopology topology = AnalyseEdges(welded);
    EXPECT_EQ(topology.boundaryEdges, 0);
    EXPECT_EQ(topology.overusedEdges, 0);
    EXPECT_EQ(topology.unpairedDirections, 0);
    EXPECT_EQ(topology.EulerCharacteristic(int64_t(welded.vertices.size()), int64_t(welded.triangles.size())), 2);
  }
}

// The blob scenes' test pins the radii of these spheres (0.80, then 0.52).
TEST_F(ChargeField, TheFirstMovedChargesNormalsPointInwards) {
  MoveCharges(0);
  IsoSurface s;
  ASSERT_TRUE(CreateIsoSurface(s, 40, 1.0f, MetaballFieldValue));
  ASSERT_GT(PolygoniseIsoSurface(s), 0);
  // The unit normal recovered from the normal value points inwards.
  for (const IsoTriangle& t : s.triangles) {
    const Vec3& p = t.vertices[0];
    EXPECT_LT((1 - t.normal.x) * p.x + (1 - t.normal.y) * p.y + (1 - t.normal.z) * p.z, 0);
  }
}

TEST_F(ChargeField, PolygonisingAgainReplacesTheListInPlace) {
  MoveCharges(90);
  IsoSurface s;
  ASSERT_TRUE(CreateIsoSurface(s, 40, 1.0f, MetaballFieldValue));
  const int32_t first = PolygoniseIsoSurface(s);
  const std::vector<IsoTriangle> copy = s.triangles;
  const IsoTriangle* storage = s.triangles.data();
  EXPECT_EQ(PolygoniseIsoSurface(s), first);
  ASSERT_EQ(s.triangles.size(), copy.size()) << "not doubled";
  EXPECT_TRUE(SameBits(copy.data(), s.triangles.data(), copy.size() * sizeof(IsoTriangle)));
  EXPECT_EQ(s.triangles.data(), storage) << "no new storage for the same surface";
}

// The row-packed polygoniser and the hoisted charge sampler against the plain walk: the same
// samples, the same triangles in the same order, bit for bit.
TEST_F(ChargeField, MatchesTheStraightforwardPolygoniser) {
  IsoSurface s;
  ASSERT_TRUE(CreateIsoSurface(s, 40, 1.0f, MetaballFieldValue));
  PolygoniseIsoSurface(s);
  ExpectSameAsReference(s);
  for (int32_t counter : {0, 45, 333, 1350, 4000}) {
    MoveCharges(counter);
    SampleIsoGrid(s);
    PolygoniseIsoSurface(s);
    ExpectSameAsReference(s);
  }
  // Charges away from the grid points, one sitting exactly on a sample.
  MetaballField = {{{0.3f, 0.5f, 0.0f, -0.25f}, {0.2f, -0.41f, 0.33f, 0.1f}, {0.25f, 0.05f, -0.6f, 0.7f}}};
  SampleIsoGrid(s);
  PolygoniseIsoSurface(s);
  EXPECT_FALSE(s.triangles.empty());
  ExpectSameAsReference(s);
}

// Another field, a grid beyond the packed rows, and a 24-cell grid where some torus samples land
// exactly on the level, so cells emit triangles with coincident corners.
TEST(IsoSurfaceCases, OtherFieldsAndGridsMatchTheStraightforwardPolygoniser) {
  IsoSurface s;
  ASSERT_TRUE(CreateIsoSurface(s, 30, 1.0f, TorusField));
  EXPECT_GT(PolygoniseIsoSurface(s), 0);
  ExpectSameAsReference(s);
  const WeldedMesh welded = WeldIsoSurface(s);
  const EdgeTopology topology = AnalyseEdges(welded);
  EXPECT_EQ(topology.boundaryEdges + topology.overusedEdges + topology.unpairedDirections, 0);
  EXPECT_EQ(topology.EulerCharacteristic(int64_t(welded.vertices.size()), int64_t(s.triangles.size())), 0)
      << "a torus";
  ASSERT_TRUE(CreateIsoSurface(s, 70, 1.0f, TorusField));
  EXPECT_GT(PolygoniseIsoSurface(s), 0);
  ExpectSameAsReference(s);
  ASSERT_TRUE(CreateIsoSurface(s, 24, 1.0f, TorusField));
  PolygoniseIsoSurface(s);
  ExpectSameAsReference(s);
  EXPECT_GT(WeldIsoSurface(s).collapsedTriangles, 0);
}

}  // namespace
