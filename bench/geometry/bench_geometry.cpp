// Geometry speed targets: a blob-scene frame (SampleIsoGrid + PolygoniseIsoSurface on
// blobSurface) at most 1 ms median on one core with no allocation once running, and
// BuildSphereMesh(100, 40, 10) at most 0.2 ms.
//
// The blob orbit runs three seconds at 50 frames a second, its counter stepping by 9: the
// frame benchmark cycles through those 150 counters and reports the median frame time and the
// triangle counts alongside the usual mean.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <vector>

#include "bench/counting_allocator.h"
#include "geometry/iso_surface.h"
#include "geometry/metaball.h"
#include "geometry/mesh.h"

namespace {

constexpr int kOrbitFrames = 150;
constexpr int kOrbitStep = 9;

// The same field through a different function pointer: the polygoniser then takes the plain
// per-sample path, which is what every frame cost before the organised one.
float PlainField(float x, float y, float z) { return MetaballFieldValue(x, y, z); }

void ReportFrames(benchmark::State& state, std::vector<double>& frameSeconds, long minTriangles, long maxTriangles) {
  std::sort(frameSeconds.begin(), frameSeconds.end());
  if (!frameSeconds.empty()) state.counters["median_ms"] = frameSeconds[frameSeconds.size() / 2] * 1e3;
  state.counters["min_triangles"] = double(minTriangles);
  state.counters["max_triangles"] = double(maxTriangles);
}

void BM_BlobFrame(benchmark::State& state) {
  IsoSurface& s = blobSurface;
  // One pass to settle the triangle storage, as the first blob frames do.
  for (int f = 0; f < kOrbitFrames; ++f) {
    MoveCharges(f * kOrbitStep);
    SampleIsoGrid(s);
    PolygoniseIsoSurface(s);
  }
  std::vector<double> frameSeconds;
  long minTriangles = 1L << 40, maxTriangles = 0;
  int frame = 0;
  long frameAllocations = 0;
  for (auto _ : state) {
    MoveCharges((frame % kOrbitFrames) * kOrbitStep);
    const long allocationsBefore = allocationCount.load();
    const auto start = std::chrono::steady_clock::now();
    SampleIsoGrid(s);
    const int32_t triangles = PolygoniseIsoSurface(s);
    const auto stop = std::chrono::steady_clock::now();
    frameAllocations += allocationCount.load() - allocationsBefore;
    benchmark::DoNotOptimize(triangles);
    frameSeconds.push_back(std::chrono::duration<double>(stop - start).count());
    minTriangles = std::min<long>(minTriangles, triangles);
    maxTriangles = std::max<long>(maxTriangles, triangles);
    ++frame;
  }
  state.counters["allocations"] = double(frameAllocations);
  ReportFrames(state, frameSeconds, minTriangles, maxTriangles);
  MetaballField = kStartupCharges;
}
BENCHMARK(BM_BlobFrame)->Unit(benchmark::kMicrosecond);

void BM_BlobFramePlain(benchmark::State& state) {
  IsoSurface s;
  CreateIsoSurface(s, 40, 1.0f, PlainField);
  std::vector<double> frameSeconds;
  long minTriangles = 1L << 40, maxTriangles = 0;
  int frame = 0;
  for (auto _ : state) {
    MoveCharges((frame % kOrbitFrames) * kOrbitStep);
    const auto start = std::chrono::steady_clock::now();
    SampleIsoGrid(s);
    s.triangles.clear();
    int32_t triangles = 0;
    for (const IsoCell& cell : s.cells) triangles += PolygoniseCell(cell, s, s.isoLevel);
    const auto stop = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(triangles);
    frameSeconds.push_back(std::chrono::duration<double>(stop - start).count());
    minTriangles = std::min<long>(minTriangles, triangles);
    maxTriangles = std::max<long>(maxTriangles, triangles);
    ++frame;
  }
  ReportFrames(state, frameSeconds, minTriangles, maxTriangles);
  MetaballField = kStartupCharges;
}
BENCHMARK(BM_BlobFramePlain)->Unit(benchmark::kMicrosecond);

void BM_BuildSphereMesh(benchmark::State& state) {
  for (auto _ : state) {
    Mesh mesh;
    InitMesh(mesh, kMeshTriangles, 0, 0);
    BuildSphereMesh(mesh, 100, 40, 10, false);
    benchmark::DoNotOptimize(mesh.vertices.get());
  }
}
BENCHMARK(BM_BuildSphereMesh)->Unit(benchmark::kMicrosecond);

}  // namespace
