// geometry/iso_surface.cpp: grid storage, sampling and polygonising (drawing is in
// iso_surface_draw.cpp).
//
// Every frame of a blob scene resamples the whole grid and re-extracts the surface, so both
// steps are organised for speed while giving exactly the values, triangles and order of the
// plain cell-by-cell walk:
// - the charge field is summed per grid row with the per-row and per-column squared distances
//   hoisted, the same additions in the same order as MetaballFieldValue;
// - the outside flags of each grid row are packed into one 64-bit word, so whole runs of cells
//   that lie entirely inside or outside are skipped four rows at a time;
// - the triangle list keeps its storage between frames.
#include "geometry/iso_surface.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <new>

#include "geometry/iso_tables.h"
#include "geometry/metaball.h"

IsoSurface blobSurface;

namespace {

// Most blob frames produce a few thousand triangles; reserving this many up front means the
// frame loop normally never allocates.
constexpr size_t kInitialTriangleCapacity = 16384;
// Rows are packed into 64-bit words; finer grids take the plain walk.
constexpr int32_t kMaxPackedResolution = 63;

bool HasGrid(const IsoSurface& s) { return !s.samples.empty() && !s.cells.empty(); }

size_t SampleIndex(int32_t n, int32_t i, int32_t j, int32_t k) {
  const size_t n1 = static_cast<size_t>(n) + 1;
  return (static_cast<size_t>(i) * n1 + static_cast<size_t>(j)) * n1 + static_cast<size_t>(k);
}

float GridCoordinate(int32_t i, int32_t n) { return static_cast<float>(2.0 * i / n - 1.0); }

int32_t EmitCell(const IsoCell& cell, int mask, float isoLevel, std::vector<IsoTriangle>& out) {
  const int32_t edges = kIsoEdgeTable[mask];
  if (edges == 0) return 0;
  Vec3 points[12];
  for (int e = 0; e < 12; ++e)
    if (edges & (1 << e))
      points[e] = InterpolateEdge(*cell.corners[kIsoEdgeCorners[e][0]], *cell.corners[kIsoEdgeCorners[e][1]], isoLevel);
  const int8_t* row = kIsoTriangleTable[mask];
  int32_t count = 0;
  for (int t = 0; row[t] != -1; t += 3) {
    IsoTriangle& triangle = out.emplace_back();
    triangle.vertices[0] = points[row[t]];
    triangle.vertices[1] = points[row[t + 1]];
    triangle.vertices[2] = points[row[t + 2]];
    ComputeIsoTriangleNormal(triangle);
    ++count;
  }
  return count;
}

int CornerMask(const IsoCell& cell, float isoLevel) {
  int mask = 0;
  for (int c = 0; c < 8; ++c)
    if (cell.corners[c]->value < isoLevel) mask |= 1 << c;
  return mask;
}

// The charge field over the whole grid. Per charge, the squared distance splits into a part
// fixed for the row (x and y) and a part fixed for the column (z): d2 = (dx2 + dy2) + dz2,
// which is exactly how MetaballFieldValue adds it.
void SampleChargeField(IsoSurface& s) {
  const int32_t n = s.resolution, n1 = n + 1;
  struct Active {
    double s2, x, y, z;
  } active[3];
  int count = 0;
  for (const MetaballCharge& c : MetaballField) {
    const double s2 = double{c.strength} * c.strength;
    if (s2 != 0.0) active[count++] = {s2, c.x, c.y, c.z};
  }
  s.sampleScratch.resize(static_cast<size_t>(n1) * 5);
  double* dz2 = s.sampleScratch.data();  // [charge][k]
  double* sum = dz2 + 3 * n1;
  double* zs = sum + n1;  // the float z of column k, held exactly
  for (int32_t k = 0; k < n1; ++k) zs[k] = GridCoordinate(k, n);
  for (int c = 0; c < count; ++c)
    for (int32_t k = 0; k < n1; ++k) {
      const double dz = zs[k] - active[c].z;
      dz2[c * n1 + k] = dz * dz;
    }
  for (int32_t i = 0; i < n1; ++i) {
    const float x = GridCoordinate(i, n);
    for (int32_t j = 0; j < n1; ++j) {
      const float y = GridCoordinate(j, n);
      for (int32_t k = 0; k < n1; ++k) sum[k] = 0.2;
      for (int c = 0; c < count; ++c) {
        const double dx = double{x} - active[c].x, dy = double{y} - active[c].y;
        const double dxy2 = dx * dx + dy * dy, s2 = active[c].s2;
        const double* dzc = dz2 + c * n1;
        for (int32_t k = 0; k < n1; ++k) sum[k] += s2 / (dxy2 + dzc[k]);
      }
      IsoSample* row = &s.samples[SampleIndex(n, i, j, 0)];
      for (int32_t k = 0; k < n1; ++k)
        row[k] = {x, y, static_cast<float>(zs[k]), static_cast<float>(sum[k] <= FLT_MAX ? sum[k] : FLT_MAX)};
    }
  }
}

int32_t PolygonisePacked(IsoSurface& s) {
  const int32_t n = s.resolution, n1 = n + 1;
  const float iso = s.isoLevel;
  s.outsideBits.resize(static_cast<size_t>(n1) * n1);
  uint64_t* bits = s.outsideBits.data();
  for (size_t r = 0; r < s.outsideBits.size(); ++r) {
    const IsoSample* row = &s.samples[r * n1];
    uint64_t word = 0;
    for (int32_t k = 0; k < n1; ++k) word |= uint64_t{row[k].value < iso} << k;
    bits[r] = word;
  }
  const uint64_t cellColumns = (uint64_t{1} << n) - 1;
  int32_t total = 0;
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j) {
      const uint64_t a = bits[i * n1 + j], b = bits[(i + 1) * n1 + j];
      const uint64_t c = bits[i * n1 + j + 1], d = bits[(i + 1) * n1 + j + 1];
      const uint64_t all = a & b & c & d, any = a | b | c | d;
      const uint64_t allOutside = all & (all >> 1), allInside = ~(any | (any >> 1));
      uint64_t mixed = ~(allOutside | allInside) & cellColumns;
      const IsoCell* cellRow = &s.cells[(static_cast<size_t>(i) * n + j) * n];
      while (mixed) {
        const int k = std::countr_zero(mixed);
        mixed &= mixed - 1;
        const int mask = static_cast<int>(((a >> k) & 1) | (((b >> k) & 1) << 1) | (((b >> (k + 1)) & 1) << 2) |
                                          (((a >> (k + 1)) & 1) << 3) | (((c >> k) & 1) << 4) |
                                          (((d >> k) & 1) << 5) | (((d >> (k + 1)) & 1) << 6) |
                                          (((c >> (k + 1)) & 1) << 7));
        total += EmitCell(cellRow[k], mask, iso, s.triangles);
      }
    }
  return total;
}

}  // namespace

bool CreateIsoSurface(IsoSurface& surface, int32_t resolution, float isoLevel, IsoField field) {
  surface.triangles.clear();
  surface.resolution = resolution;
  surface.isoLevel = isoLevel;
  surface.field = field;
  if (!AllocateIsoGrid(surface)) return false;
  SampleIsoGrid(surface);
  LinkIsoCells(surface);
  return true;
}

void DestroyIsoSurface(IsoSurface& surface) {
  FreeIsoGrid(surface);
  std::vector<IsoTriangle>().swap(surface.triangles);
}

bool AllocateIsoGrid(IsoSurface& surface) {
  FreeIsoGrid(surface);
  const int32_t n = surface.resolution;
  if (n < 1 || n > kMaxIsoResolution) return false;
  const size_t n1 = static_cast<size_t>(n) + 1;
  try {
    surface.samples.resize(n1 * n1 * n1);
    surface.cells.resize(static_cast<size_t>(n) * n * n);
    if (surface.triangles.capacity() < kInitialTriangleCapacity) surface.triangles.reserve(kInitialTriangleCapacity);
  } catch (const std::bad_alloc&) {
    FreeIsoGrid(surface);
    return false;
  }
  return true;
}

void FreeIsoGrid(IsoSurface& surface) {
  std::vector<IsoSample>().swap(surface.samples);
  std::vector<IsoCell>().swap(surface.cells);
  std::vector<uint64_t>().swap(surface.outsideBits);
  std::vector<double>().swap(surface.sampleScratch);
}

void SampleIsoGrid(IsoSurface& surface) {
  if (!HasGrid(surface) || !surface.field) return;
  if (surface.field == MetaballFieldValue) {
    SampleChargeField(surface);
    return;
  }
  const int32_t n = surface.resolution;
  IsoSample* sample = surface.samples.data();
  for (int32_t i = 0; i <= n; ++i)
    for (int32_t j = 0; j <= n; ++j)
      for (int32_t k = 0; k <= n; ++k, ++sample) {
        const float x = GridCoordinate(i, n), y = GridCoordinate(j, n), z = GridCoordinate(k, n);
        *sample = {x, y, z, surface.field(x, y, z)};
      }
}

void LinkIsoCells(IsoSurface& surface) {
  if (!HasGrid(surface)) return;
  const int32_t n = surface.resolution;
  IsoCell* cell = surface.cells.data();
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j)
      for (int32_t k = 0; k < n; ++k, ++cell)
        for (int c = 0; c < 8; ++c)
          cell->corners[c] = &surface.samples[SampleIndex(n, i + kIsoCornerOffsets[c][0], j + kIsoCornerOffsets[c][1],
                                                          k + kIsoCornerOffsets[c][2])];
}

int32_t PolygoniseIsoSurface(IsoSurface& surface) {
  surface.triangles.clear();
  if (!HasGrid(surface)) return 0;
  if (surface.resolution <= kMaxPackedResolution) return PolygonisePacked(surface);
  int32_t total = 0;
  for (const IsoCell& cell : surface.cells) total += PolygoniseCell(cell, surface, surface.isoLevel);
  return total;
}

int32_t PolygoniseCell(const IsoCell& cell, IsoSurface& surface, float isoLevel) {
  return EmitCell(cell, CornerMask(cell, isoLevel), isoLevel, surface.triangles);
}

Vec3 InterpolateEdge(const IsoSample& a, const IsoSample& b, float isoLevel) {
  const double mu = (double{isoLevel} - a.value) / (double{b.value} - a.value);
  return {static_cast<float>(a.x + mu * (double{b.x} - a.x)), static_cast<float>(a.y + mu * (double{b.y} - a.y)),
          static_cast<float>(a.z + mu * (double{b.z} - a.z))};
}

void ComputeIsoTriangleNormal(IsoTriangle& triangle) {
  const Vec3& p0 = triangle.vertices[0];
  const Vec3& p1 = triangle.vertices[1];
  const Vec3& p2 = triangle.vertices[2];
  const double ax = double{p0.x} - p1.x, ay = double{p0.y} - p1.y, az = double{p0.z} - p1.z;
  const double bx = double{p0.x} - p2.x, by = double{p0.y} - p2.y, bz = double{p0.z} - p2.z;
  const double mx = ay * bz - az * by, my = az * bx - ax * bz, mz = ax * by - ay * bx;
  const double length = std::sqrt(mx * mx + my * my + mz * mz);
  if (!(length > 0.0) || !std::isfinite(length)) {
    triangle.normal = {1.0f, 1.0f, 1.0f};
    return;
  }
  triangle.normal = {static_cast<float>(1.0 - mx / length), static_cast<float>(1.0 - my / length),
                     static_cast<float>(1.0 - mz / length)};
}

namespace {
// blobSurface lives from before main to after it, like the scenes that share it.
struct BlobSurfaceLifetime {
  BlobSurfaceLifetime() { CreateIsoSurface(blobSurface, 40, 1.0f, MetaballFieldValue); }
  ~BlobSurfaceLifetime() { DestroyIsoSurface(blobSurface); }
} blobSurfaceLifetime;
}  // namespace
