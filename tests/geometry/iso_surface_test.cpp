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
};

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
  // Values off the charges are pinned by the sphere's radius below and in the blob scenes' test.
  MetaballField = {{{0.5f, 0, 0, 0}, {}, {}}};
  EXPECT_EQ(MetaballFieldValue(0, 0, 0), FLT_MAX) << "on the charge: large and finite";
  MetaballField[1] = {0.0f, 0.25f, 0.25f, 0.25f};
  EXPECT_FLOAT_EQ(MetaballFieldValue(0.25f, 0.25f, 0.25f), float(0.2 + 0.25 / 0.1875)) << "a dead charge adds nothing";
  MetaballField[2] = {0.3f, 0.0f, 1e-30f, 0.0f};
  EXPECT_EQ(MetaballFieldValue(0, 0, 0), FLT_MAX) << "overflowing sums saturate";
}

// The row-packed polygoniser and the hoisted charge sampler against the plain walk: the same
// samples, the same triangles in the same order, bit for bit.
TEST_F(ChargeField, MatchesTheStraightforwardPolygoniser) {
  IsoSurface s;
  ASSERT_TRUE(CreateIsoSurface(s, 40, 1.0f, MetaballFieldValue));
  const int32_t count = PolygoniseIsoSurface(s);
  EXPECT_EQ(size_t(count), s.triangles.size());
  ExpectSameAsReference(s);
  // The start-up charges, all at the origin, make the sphere 0.2 + 0.5125 / d^2 = 1: every
  // vertex within a fifth of a cell of it (a NaN counts as off), closed.
  int off = 0;
  for (const IsoTriangle& t : s.triangles)
    for (const Vec3& v : t.vertices)
      off += !(std::fabs(std::hypot(v.x, v.y, v.z) - std::sqrt(0.5125 / 0.8)) <= 0.01);
  EXPECT_EQ(off, 0);
  ExpectClosedSurface(WeldIsoSurface(s), 2);
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
TEST(IsoSurfaceCases, TorusGridsMatchTheStraightforwardPolygoniser) {
  for (int32_t n : {30, 70, 24}) {
    SCOPED_TRACE(n);
    IsoSurface s;
    ASSERT_TRUE(CreateIsoSurface(s, n, 1.0f, TorusField));
    EXPECT_GT(PolygoniseIsoSurface(s), 0);
    ExpectSameAsReference(s);
    const WeldedMesh welded = WeldIsoSurface(s);
    EXPECT_EQ(welded.collapsedTriangles > 0, n == 24);
    ExpectClosedSurface(welded, 0);  // a torus
  }
}

}  // namespace
