// geometry/iso_surface.h: the cube polygoniser. It samples a scalar field on a fixed grid over
// [-1, 1]^3, cuts every cell at the iso level and keeps the resulting triangles in generation
// order (cell by cell, i outermost, k innermost; within a cell in table order), then draws
// them in immediate mode. One instance, blobSurface, serves the blob scenes.
#pragma once
#include <cstdint>
#include <vector>

#include "geometry/vec3.h"

struct IsoSample {
  float x, y, z, value;
};

// The eight corner samples of a cell, in the corner order of kIsoCornerOffsets.
struct IsoCell {
  const IsoSample* corners[8];
};

// Triangles keep their own three positions. The normal value is one minus each component of
// the unit normal of (P1 - P0) x (P2 - P0), which points into the blob.
struct IsoTriangle {
  Vec3 vertices[3];
  Vec3 normal;
};

using IsoField = float (*)(float x, float y, float z);

struct IsoSurface {
  int32_t resolution = 0;  // n cells along each axis
  float isoLevel = 0.0f;
  std::vector<IsoSample> samples;  // (n + 1)^3, sample [i][j][k] at ((i * (n + 1)) + j) * (n + 1) + k
  std::vector<IsoCell> cells;      // n^3, cell [i][j][k] at (i * n + j) * n + k
  IsoField field = nullptr;
  std::vector<IsoTriangle> triangles;  // the last extracted surface; its storage is kept between frames
  std::vector<uint64_t> outsideBits;   // scratch: bit k of row (i, j) set when sample [i][j][k] is outside
  std::vector<double> sampleScratch;   // scratch for the charge-field sampler
};

// Resolutions from 1 to kMaxIsoResolution get a grid; any other leaves the surface without
// one (sampling and polygonising then do nothing and find no triangles).
inline constexpr int32_t kMaxIsoResolution = 256;

// Stores the parameters, allocates the grid, samples it and links the cells. False when no
// grid could be had (bad resolution or no memory); the surface is still valid, just empty.
bool CreateIsoSurface(IsoSurface& surface, int32_t resolution, float isoLevel, IsoField field);
void DestroyIsoSurface(IsoSurface& surface);
bool AllocateIsoGrid(IsoSurface& surface);
void FreeIsoGrid(IsoSurface& surface);
// Positions and field values of every sample; nothing without a grid or a field.
void SampleIsoGrid(IsoSurface& surface);
// Points every cell's corners at its samples; nothing without a grid.
void LinkIsoCells(IsoSurface& surface);
// Replaces the triangle list with the surface of the current samples; returns its length.
int32_t PolygoniseIsoSurface(IsoSurface& surface);
// Appends one cell's triangles (0 to 5) to the surface's list; returns their number. A corner
// counts as outside when its value is below the level; equal, or NaN, counts as inside.
int32_t PolygoniseCell(const IsoCell& cell, IsoSurface& surface, float isoLevel);
// a + mu * (b - a) with mu = (level - a.value) / (b.value - a.value).
Vec3 InterpolateEdge(const IsoSample& a, const IsoSample& b, float isoLevel);
// A triangle with no area (zero cross product) has no direction: its unit normal is taken as
// (0, 0, 0), so its normal value is (1, 1, 1).
void ComputeIsoTriangleNormal(IsoTriangle& triangle);
// glBegin(GL_TRIANGLES) with one normal per triangle, white, and texture coordinates
// s = y + x / 2, t = y + z / 2 per vertex. The caller sets transform and enable states.
void DrawIsoSurface(const IsoSurface& surface);

// The blob scenes' polygoniser: resolution 40, level 1.0, the charge field. Created before
// main runs (with the start-up charges sampled once) and destroyed after it returns.
extern IsoSurface blobSurface;
