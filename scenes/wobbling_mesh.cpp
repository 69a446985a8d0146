// The wobbling-mesh scene. The backdrop sphere is never changed, so its vertices serve as the
// rest positions of the wobble mesh, which has the same vertex count and order; every frame
// the wobble positions are the rest positions plus the offsets of the wobble mode. Normals
// stay as built. The scene leaves polygon mode at lines for whoever draws next.
#include "scenes/wobbling_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "geometry/mesh.h"
#include "platform/gl.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/scene_sphere.h"
#include "scenes/scenes.h"
#include "texgen/upload.h"

namespace {

Mesh backdrop;
Mesh wobble;
bool setupDone = false;

void SetupWobblingMeshScene() {
  if (setupDone) return;
  BuildSceneSphere(backdrop, textureNames[3]);
  BuildSceneSphere(wobble, textureNames[2]);
  ResetCamera();
  SetSceneBaseState(false, true);
  setupDone = true;
}

// Mode 1 is a fixed crumpled sphere; 2 and 3 move with time; any other mode leaves the
// positions of the last frame.
void Wobble(int32_t mode, double t) {
  if (mode < 1 || mode > 3 || !backdrop.vertices || !wobble.vertices) return;
  const int32_t count = std::min(backdrop.vertexCount, wobble.vertexCount);
  for (int32_t i = 0; i < count; ++i) {
    const Vec3& rest = backdrop.vertices[i].position;
    const double d = i;
    double ox, oy, oz;
    if (mode == 1) {
      ox = 5 * std::sin(1.11 * d), oy = 5 * std::sin(1.12 * d), oz = 5 * std::sin(1.13 * d);
    } else if (mode == 2) {
      ox = 6 * std::sin(3.7 * t + 1.2 * d), oy = 6 * std::sin(3 * t + 1.23 * d), oz = 6 * std::sin(3.5 * t + 1.2 * d);
    } else {
      ox = 9 * std::sin(3.7 * t + 1.105 * d), oy = 9 * std::sin(3 * t + 1.23 * d), oz = 9 * std::sin(3.5 * t + 1.4 * d);
    }
    wobble.vertices[i].position = {static_cast<float>(rest.x + ox), static_cast<float>(rest.y + oy),
                                   static_cast<float>(rest.z + oz)};
  }
}

}  // namespace

const Mesh& WobbleMesh() { return wobble; }

void ResetWobblingMeshScene() { setupDone = false; }

void DrawWobblingMeshScene() {
  const double t = frameClock.elapsedSeconds;
  SetupWobblingMeshScene();
  glPolygonMode(GL_FRONT, GL_FILL);
  glPolygonMode(GL_BACK, GL_FILL);

  camera.eye[0] = static_cast<float>(std::cos(0.2 * t) * 122 * 0.06);
  camera.eye[1] = static_cast<float>(std::cos(0.06 * t + 1) * 10 * 0.06);
  camera.eye[2] = static_cast<float>(std::sin(0.2 * t) * 122 * 0.06);
  ApplyProjection();

  SetOpaqueTextureState();
  glFrontFace(GL_CW);  // the inside of the spheres faces front

  // The wobble goes before the backdrop that is seen around it: the backdrop's fragments behind
  // it then fail the depth test before they are textured. No pixel changes: both are opaque
  // under a strict depth test, with the same state, and they cannot tie, the wobble lying within
  // a few units of the centre and the backdrop 450 away.
  Wobble(frameClock.wobbleMode, t);
  glDisable(GL_LIGHTING);
  wobble.scale = {0.04f, 0.04f, 0.04f};
  wobble.position.z = 0;
  glColor4f(1, 1, 1, 1);
  DrawMesh(wobble);

  backdrop.scale = {4.5f, 4.5f, 4.5f};
  backdrop.position.z = 0;
  glColor4f(1, 1, 1, 1);
  DrawMesh(backdrop);

  // The cage: the same mesh 2.5 percent larger, as white lines.
  glPolygonMode(GL_FRONT, GL_LINE);
  glPolygonMode(GL_BACK, GL_LINE);
  glDisable(GL_TEXTURE_2D);
  wobble.scale = {0.041f, 0.041f, 0.041f};
  DrawMesh(wobble);
}
