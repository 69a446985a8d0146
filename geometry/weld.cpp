// geometry/weld.cpp: position welding and OBJ output.
#include "geometry/weld.h"

#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace {

struct PositionKey {
  uint32_t bits[3];
  bool operator==(const PositionKey&) const = default;
};

struct PositionKeyHash {
  size_t operator()(const PositionKey& key) const {
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (uint32_t b : key.bits) h = (h ^ b) * 0xFF51AFD7ED558CCDull;
    return static_cast<size_t>(h ^ (h >> 32));
  }
};

uint32_t FloatBits(float f) {
  if (f == 0.0f) f = 0.0f;  // -0 and +0 are the same point
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

}  // namespace

WeldedMesh WeldTriangles(std::span<const std::array<Vec3, 3>> triangles) {
  WeldedMesh out;
  std::unordered_map<PositionKey, int32_t, PositionKeyHash> index;
  index.reserve(triangles.size() * 2);
  out.triangles.reserve(triangles.size());
  for (const auto& triangle : triangles) {
    std::array<int32_t, 3> face{};
    for (int c = 0; c < 3; ++c) {
      const Vec3& p = triangle[c];
      const PositionKey key{{FloatBits(p.x), FloatBits(p.y), FloatBits(p.z)}};
      auto [it, added] = index.try_emplace(key, static_cast<int32_t>(out.vertices.size()));
      if (added) out.vertices.push_back(p);
      face[c] = it->second;
    }
    if (face[0] == face[1] || face[1] == face[2] || face[0] == face[2])
      ++out.collapsedTriangles;
    else
      out.triangles.push_back(face);
  }
  return out;
}

WeldedMesh WeldIsoSurface(const IsoSurface& surface) {
  std::vector<std::array<Vec3, 3>> soup;
  soup.reserve(surface.triangles.size());
  for (const IsoTriangle& t : surface.triangles) soup.push_back({t.vertices[0], t.vertices[1], t.vertices[2]});
  return WeldTriangles(soup);
}

WeldedMesh WeldMesh(const Mesh& mesh) {
  std::vector<std::array<Vec3, 3>> soup;
  if (mesh.kind == kMeshTriangles && mesh.triangles) {
    for (int32_t f = 0; f < mesh.faceCount; ++f) {
      const MeshTriangle& t = mesh.triangles[f];
      soup.push_back({t.corners[0]->position, t.corners[1]->position, t.corners[2]->position});
    }
  } else if (mesh.kind != kMeshTriangles && mesh.quads) {
    for (int32_t f = 0; f < mesh.faceCount; ++f) {
      const MeshQuad& q = mesh.quads[f];
      soup.push_back({q.corners[0]->position, q.corners[1]->position, q.corners[2]->position});
      soup.push_back({q.corners[0]->position, q.corners[2]->position, q.corners[3]->position});
    }
  }
  return WeldTriangles(soup);
}

std::string FormatObj(const WeldedMesh& mesh) {
  std::string text;
  char line[96];
  for (const Vec3& v : mesh.vertices) {
    std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", v.x, v.y, v.z);
    text += line;
  }
  for (const auto& f : mesh.triangles) {
    std::snprintf(line, sizeof line, "f %d %d %d\n", f[0] + 1, f[1] + 1, f[2] + 1);
    text += line;
  }
  return text;
}
