// scenes/scene_sphere.h: the one sphere every mesh scene builds at set-up (sky spheres, the
// wobbling mesh): radius 100, 40 segments, 10 rings, full, textured with a generated texture.
#pragma once
#include <cstdint>

#include "geometry/mesh.h"

// False when the mesh's arrays cannot be had (the mesh is then empty and draws nothing).
bool BuildSceneSphere(Mesh& mesh, uint32_t texture);
