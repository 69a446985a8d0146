// geometry/weld.h: turns triangle soups (the polygoniser's list, a mesh's faces) into one
// indexed mesh whose coincident corners are a single vertex, for OBJ export and for checking
// that a surface is closed. Face winding is kept as given.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "geometry/iso_surface.h"
#include "geometry/mesh.h"

struct WeldedMesh {
  std::vector<Vec3> vertices;                     // in order of first appearance
  std::vector<std::array<int32_t, 3>> triangles;  // indices into vertices, winding kept
  int64_t collapsedTriangles = 0;                 // dropped: two or three corners welded together
};

// Corners weld when their positions are equal (0 and -0 alike). Neighbouring cells compute a
// shared crossing point from the same two samples and the same level, in double precision and
// rounded to float once, so the same point comes out as the same float triple.
// A triangle whose corners weld into fewer than three vertices has no area and would only
// make the welded surface non-manifold (this happens where the surface passes exactly through
// a grid sample), so it is left out and counted.
WeldedMesh WeldTriangles(std::span<const std::array<Vec3, 3>> triangles);
WeldedMesh WeldIsoSurface(const IsoSurface& surface);
// Triangles as stored; quads split into (0, 1, 2) and (0, 2, 3).
WeldedMesh WeldMesh(const Mesh& mesh);

// Wavefront OBJ text: "v x y z" lines then "f a b c" lines (1-based).
std::string FormatObj(const WeldedMesh& mesh);
