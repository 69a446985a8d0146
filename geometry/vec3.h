// geometry/vec3.h: the three-float vector that meshes and surfaces store.
#pragma once

struct Vec3 {
  float x, y, z;
};
