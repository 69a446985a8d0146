// geometry/mesh.h: the one polygon-mesh record (vertices, triangles or quads, texture, model
// transform), its two builders (box, UV sphere), smoothed normals and immediate-mode drawing.
// Scenes build their meshes once at set-up and draw them every frame.
#pragma once
#include <cstdint>
#include <memory>

#include "geometry/vec3.h"

struct MeshVertex {
  Vec3 position;
  float colour[4];
  Vec3 normal;    // unit vertex normal, (0, 0, 0) until computed
  int32_t index;  // own position in the array (the box fills it; nothing reads it)
};

// Faces point straight into their mesh's vertex array, so a shared vertex is stored once.
struct MeshTriangle {
  MeshVertex* corners[3];
  float uv[3][2];
  Vec3 faceNormal;
};

struct MeshQuad {
  MeshVertex* corners[4];
  float uv[4][2];
  Vec3 faceNormal;
};

// 1 = triangles; any other value = quads (the box uses 2).
using MeshKind = int32_t;
inline constexpr MeshKind kMeshTriangles = 1;
inline constexpr MeshKind kMeshQuads = 2;

struct Mesh {
  std::unique_ptr<MeshVertex[]> vertices;
  std::unique_ptr<MeshTriangle[]> triangles;  // faces when kind = 1
  std::unique_ptr<MeshQuad[]> quads;          // faces otherwise
  int32_t vertexCount = 0;
  int32_t faceCount = 0;
  uint32_t texture = 0;  // GL texture name bound by DrawMesh when textured
  MeshKind kind = kMeshTriangles;
  bool keepFaceNormals = false;
  bool textured = false;
  Vec3 rotation{0, 0, 0};  // degrees about x, y, z
  Vec3 position{0, 0, 0};
  Vec3 scale{1, 1, 1};
};

// Defaults, then the arrays for non-zero counts. Reports nothing.
Mesh& InitMesh(Mesh& mesh, MeshKind kind, int32_t vertexCount, int32_t faceCount);
// Frees all three arrays, then allocates vertices and the face array the kind selects (normals
// zeroed). A zero or negative count leaves that array null. When the vertex store cannot be
// had, "failed" / "vtx" goes to the failure hook. A count whose array is null reads 0, so the
// record never claims entries it does not hold. True when every wanted array exists.
bool AllocateMeshArrays(Mesh& mesh, int32_t vertexCount, int32_t faceCount);
// Face normals (unless keepFaceNormals) and the normalised sum of face normals at each vertex.
void ComputeMeshNormals(Mesh& mesh);
// glBegin/glEnd drawing under translate * rotate-x * rotate-y * rotate-z * scale.
void DrawMesh(const Mesh& mesh);
// Quad box of half-size 10. False (mesh left empty) when its arrays cannot be had.
bool BuildBoxMesh(Mesh& mesh);
// UV sphere of radius r, S segments around, N rings per hemisphere below the equator plus N
// above, or only the lower half (an open bowl). The mesh must be of kind 1. False, with the
// mesh left empty, for S < 1, N < 0, a non-triangle mesh, or arrays that cannot be had.
bool BuildSphereMesh(Mesh& mesh, float radius, int32_t segments, int32_t rings, bool lowerHalf);

Vec3 AddVector(Vec3& a, const Vec3& b);  // a += b; returns the sum
float VectorLength(const Vec3& v);
void NormalizeVector(Vec3& v);  // left unchanged when its length is exactly 0
Vec3 CrossProduct(const Vec3& a, const Vec3& b);
