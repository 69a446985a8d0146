// geometry/mesh.cpp: mesh storage, normals and the two builders (drawing is in mesh_draw.cpp).
#include "geometry/mesh.h"

#include <cmath>
#include <cstddef>
#include <new>

#include "geometry/failure.h"

namespace {

// Larger arrays are refused outright rather than asked of the allocator: such a count is a
// caller's mistake, and refusing keeps the failure path predictable everywhere.
constexpr int64_t kMaxMeshArrayBytes = int64_t{1} << 30;

template <typename T>
std::unique_ptr<T[]> AllocateZeroed(int32_t count) {
  if (count <= 0 || int64_t{count} * int64_t{sizeof(T)} > kMaxMeshArrayBytes) return nullptr;
  return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<size_t>(count)]());
}

Vec3 Subtract(const Vec3& a, const Vec3& b) {
  return {static_cast<float>(double{a.x} - b.x), static_cast<float>(double{a.y} - b.y),
          static_cast<float>(double{a.z} - b.z)};
}

void SetVertex(MeshVertex& v, int32_t index, double x, double y, double z) {
  v.position = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  v.colour[0] = v.colour[1] = v.colour[2] = v.colour[3] = 1.0f;
  v.index = index;
}

void SetTriangle(MeshTriangle& t, MeshVertex* a, MeshVertex* b, MeshVertex* c, double ua, double va, double ub,
                 double vb, double uc, double vc) {
  t.corners[0] = a;
  t.corners[1] = b;
  t.corners[2] = c;
  const double uv[3][2] = {{ua, va}, {ub, vb}, {uc, vc}};
  for (int i = 0; i < 3; ++i) {
    t.uv[i][0] = static_cast<float>(uv[i][0]);
    t.uv[i][1] = static_cast<float>(uv[i][1]);
  }
}

template <typename Face, int Corners>
void AccumulateFaceNormals(Mesh& mesh, Face* faces) {
  if (!faces) return;
  for (int32_t f = 0; f < mesh.faceCount; ++f) {
    Face& face = faces[f];
    if (!mesh.keepFaceNormals) {
      const Vec3& p0 = face.corners[0]->position;
      face.faceNormal = CrossProduct(Subtract(face.corners[1]->position, p0), Subtract(face.corners[2]->position, p0));
      NormalizeVector(face.faceNormal);
    }
  }
  for (int32_t f = 0; f < mesh.faceCount; ++f)
    for (int c = 0; c < Corners; ++c) AddVector(faces[f].corners[c]->normal, faces[f].faceNormal);
}

}  // namespace

Vec3 AddVector(Vec3& a, const Vec3& b) {
  a.x = static_cast<float>(double{a.x} + b.x);
  a.y = static_cast<float>(double{a.y} + b.y);
  a.z = static_cast<float>(double{a.z} + b.z);
  return a;
}

float VectorLength(const Vec3& v) {
  return static_cast<float>(std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z));
}

void NormalizeVector(Vec3& v) {
  const double length = std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z);
  if (length == 0.0) return;
  const double inverse = 1.0 / length;
  v = {static_cast<float>(v.x * inverse), static_cast<float>(v.y * inverse), static_cast<float>(v.z * inverse)};
}

Vec3 CrossProduct(const Vec3& a, const Vec3& b) {
  return {static_cast<float>(double{a.y} * b.z - double{a.z} * b.y),
          static_cast<float>(double{a.z} * b.x - double{a.x} * b.z),
          static_cast<float>(double{a.x} * b.y - double{a.y} * b.x)};
}

Mesh& InitMesh(Mesh& mesh, MeshKind kind, int32_t vertexCount, int32_t faceCount) {
  mesh.vertices.reset();
  mesh.triangles.reset();
  mesh.quads.reset();
  mesh.kind = kind;
  mesh.keepFaceNormals = false;
  mesh.textured = false;
  mesh.rotation = {0, 0, 0};
  mesh.position = {0, 0, 0};
  mesh.scale = {1, 1, 1};
  mesh.vertices = AllocateZeroed<MeshVertex>(vertexCount);
  if (kind == kMeshTriangles)
    mesh.triangles = AllocateZeroed<MeshTriangle>(faceCount);
  else
    mesh.quads = AllocateZeroed<MeshQuad>(faceCount);
  mesh.vertexCount = mesh.vertices ? vertexCount : 0;
  mesh.faceCount = (mesh.triangles || mesh.quads) ? faceCount : 0;
  return mesh;
}

bool AllocateMeshArrays(Mesh& mesh, int32_t vertexCount, int32_t faceCount) {
  mesh.vertices.reset();
  mesh.triangles.reset();
  mesh.quads.reset();
  mesh.vertices = AllocateZeroed<MeshVertex>(vertexCount);
  // "failed" with the caption "vtx" (the vertex store) is the message box this program shows
  // for a mesh it cannot allocate: terse, but those are its fixed words, not names to tidy.
  // The run carries on without the mesh.
  if (vertexCount > 0 && !mesh.vertices) ReportGeometryFailure("failed", "vtx");
  if (mesh.kind == kMeshTriangles)
    mesh.triangles = AllocateZeroed<MeshTriangle>(faceCount);
  else
    mesh.quads = AllocateZeroed<MeshQuad>(faceCount);
  mesh.vertexCount = mesh.vertices ? vertexCount : 0;
  mesh.faceCount = (mesh.triangles || mesh.quads) ? faceCount : 0;
  return mesh.vertexCount == (vertexCount > 0 ? vertexCount : 0) && mesh.faceCount == (faceCount > 0 ? faceCount : 0);
}

void ComputeMeshNormals(Mesh& mesh) {
  for (int32_t i = 0; i < mesh.vertexCount; ++i) mesh.vertices[i].normal = {0, 0, 0};
  if (mesh.kind == kMeshTriangles)
    AccumulateFaceNormals<MeshTriangle, 3>(mesh, mesh.triangles.get());
  else
    AccumulateFaceNormals<MeshQuad, 4>(mesh, mesh.quads.get());
  for (int32_t i = 0; i < mesh.vertexCount; ++i) NormalizeVector(mesh.vertices[i].normal);
}

bool BuildBoxMesh(Mesh& mesh) {
  static constexpr float kCorners[8][3] = {{-10, -10, 10}, {10, -10, 10}, {10, 10, 10}, {-10, 10, 10},
                                           {-10, -10, -10}, {10, -10, -10}, {10, 10, -10}, {-10, 10, -10}};
  static constexpr int kQuads[6][4] = {{0, 1, 2, 3}, {1, 5, 6, 2}, {5, 4, 7, 6}, {4, 0, 3, 7}, {3, 2, 6, 7}, {1, 0, 4, 5}};
  static constexpr float kQuadUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  mesh.kind = kMeshQuads;
  if (!AllocateMeshArrays(mesh, 8, 6)) {
    AllocateMeshArrays(mesh, 0, 0);
    return false;
  }
  for (int v = 0; v < 8; ++v) SetVertex(mesh.vertices[v], v, kCorners[v][0], kCorners[v][1], kCorners[v][2]);
  for (int q = 0; q < 6; ++q)
    for (int c = 0; c < 4; ++c) {
      mesh.quads[q].corners[c] = &mesh.vertices[kQuads[q][c]];
      mesh.quads[q].uv[c][0] = kQuadUv[c][0];
      mesh.quads[q].uv[c][1] = kQuadUv[c][1];
    }
  mesh.keepFaceNormals = false;
  ComputeMeshNormals(mesh);
  return true;
}

bool BuildSphereMesh(Mesh& mesh, float radius, int32_t segments, int32_t rings, bool lowerHalf) {
  const int64_t S = segments, N = rings;
  const int64_t vertexCount = lowerHalf ? (N + 1) * S + 1 : (2 * N + 1) * S + 2;
  const int64_t faceCount = lowerHalf ? (2 * N + 1) * S : (4 * N + 2) * S;
  if (mesh.kind != kMeshTriangles || S < 1 || N < 0 || faceCount > INT32_MAX) {
    AllocateMeshArrays(mesh, 0, 0);
    return false;
  }
  if (!AllocateMeshArrays(mesh, static_cast<int32_t>(vertexCount), static_cast<int32_t>(faceCount))) {
    AllocateMeshArrays(mesh, 0, 0);
    return false;
  }
  // The full turn is 6.2832, a shade over 2*pi: the seam column and the poles keep that look.
  constexpr double kTurn = 6.2832;
  const double r = radius;
  const double du = 3.0 / static_cast<double>(S);          // three repeats around
  const double dv = 3.0 / static_cast<double>(2 * N + 3);  // about three from pole to pole
  MeshVertex* v = mesh.vertices.get();
  auto ring = [&](int64_t ringIndex, int64_t k) { return &v[1 + ringIndex * S + k]; };

  SetVertex(v[0], 0, 0.0, -r, 0.0);
  for (int64_t j = 1; j <= N + 1; ++j) {
    const double phi = static_cast<double>(j) * kTurn / static_cast<double>(4 * N + 4);
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    for (int64_t k = 0; k < S; ++k) {
      const double theta = static_cast<double>(k) * kTurn / static_cast<double>(S);
      const int64_t index = 1 + (j - 1) * S + k;
      SetVertex(v[index], static_cast<int32_t>(index), std::sin(theta) * (r * sinPhi), -r * cosPhi,
                std::cos(theta) * (r * sinPhi));
    }
  }
  const int64_t bands = lowerHalf ? N : 2 * N;
  if (!lowerHalf) {
    for (int64_t j = 1; j <= N; ++j) {
      const double phi = static_cast<double>(j) * kTurn / static_cast<double>(4 * N + 4);
      const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
      for (int64_t k = 0; k < S; ++k) {
        const double theta = static_cast<double>(k) * kTurn / static_cast<double>(S);
        const int64_t index = 1 + (N + j) * S + k;
        SetVertex(v[index], static_cast<int32_t>(index), std::sin(theta) * (r * cosPhi), r * sinPhi,
                  std::cos(theta) * (r * cosPhi));
      }
    }
    SetVertex(v[vertexCount - 1], static_cast<int32_t>(vertexCount - 1), 0.0, r, 0.0);
  }

  MeshTriangle* t = mesh.triangles.get();
  for (int64_t k = 0; k < S; ++k) {
    const int64_t next = (k + 1) % S;
    SetTriangle(*t++, &v[0], ring(0, next), ring(0, k), 0.5, 0.0, (k + 1) * du, dv, k * du, dv);
  }
  for (int64_t b = 0; b < bands; ++b) {
    const double v0 = (b + 1) * dv, v1 = (b + 2) * dv;
    for (int64_t m = 1; m <= S; ++m) {
      const int64_t k = m - 1, kNext = m % S;
      // u follows m, not m mod S: the seam column ends at u = 3 on column 0's vertices.
      const double u0 = (m - 1) * du, u1 = m * du;
      SetTriangle(*t++, ring(b, k), ring(b, kNext), ring(b + 1, k), u0, v0, u1, v0, u0, v1);
      SetTriangle(*t++, ring(b, kNext), ring(b + 1, kNext), ring(b + 1, k), u1, v0, u1, v1, u0, v1);
    }
  }
  if (!lowerHalf) {
    const double vTop = (2 * N + 1) * dv;
    for (int64_t k = 0; k < S; ++k) {
      const int64_t next = (k + 1) % S;
      SetTriangle(*t++, ring(2 * N, k), ring(2 * N, next), &v[vertexCount - 1], k * du, vTop, (k + 1) * du, vTop, 0.5,
                  1.0);
    }
  }
  ComputeMeshNormals(mesh);
  return true;
}
