#include "scenes/scene_sphere.h"

bool BuildSceneSphere(Mesh& mesh, uint32_t texture) {
  InitMesh(mesh, kMeshTriangles, 0, 0);
  const bool built = BuildSphereMesh(mesh, 100.0f, 40, 10, false);
  mesh.textured = true;
  mesh.texture = texture;
  return built;
}
