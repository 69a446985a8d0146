// Test helpers: edge topology of a welded mesh, and the plain cell-by-cell polygoniser that
// the fast one must match value for value.
#pragma once
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "geometry/iso_surface.h"
#include "geometry/weld.h"

struct EdgeTopology {
  int64_t edges = 0;         // undirected edges
  int64_t boundaryEdges = 0; // used by one triangle
  int64_t overusedEdges = 0; // used by three or more
  int64_t unpairedDirections = 0;  // directed edges whose reverse is missing (inconsistent winding)
  int64_t EulerCharacteristic(int64_t vertices, int64_t faces) const { return vertices - edges + faces; }
};
EdgeTopology AnalyseEdges(const WeldedMesh& mesh);
// Every edge shared by exactly two triangles wound the same way, and the given Euler
// characteristic (2 for a sphere, 0 for a torus).
void ExpectClosedSurface(const WeldedMesh& mesh, int64_t eulerCharacteristic);

// The straightforward polygoniser: every sample through the field function in i, j, k order,
// every cell visited, corner mask from the values, crossing points per cell, one normal per
// triangle, with the arithmetic written out here independently of the library.
struct ReferenceSurface {
  std::vector<IsoSample> samples;
  std::vector<IsoTriangle> triangles;
};
ReferenceSurface ReferencePolygonise(int32_t n, float isoLevel, IsoField field);
