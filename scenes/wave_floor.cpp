// The wave-floor scene: the camera circles at a fixed height over a floor of 32 x 32 lit,
// untextured cubes that bob like a wave, inside a textured, unlit sky sphere of radius 450.
// Its target and field of view are whatever the scenes before it left.
#include "scenes/wave_floor.h"

#include <cmath>

#include "geometry/mesh.h"
#include "platform/gl.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/lattice_view.h"
#include "scenes/scene_sphere.h"
#include "scenes/scenes.h"
#include "texgen/upload.h"

namespace {

Mesh skySphere;
bool setupDone = false;

void SetupWaveFloorScene() {
  if (setupDone) return;
  BuildSceneSphere(skySphere, textureNames[3]);
  ResetCamera();
  SetSceneBaseState(false, true);
  // The position goes through the model-view matrix as it stands, which still holds the view
  // of the frame before: the light is fixed where that view put it. No material is set, so
  // the floor shows the GL default material.
  const GLfloat ambient[4] = {0.5f, 0.5f, 0.5f, 1}, diffuse[4] = {1, 1, 1, 1}, position[4] = {0, 0, 2, 1};
  glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT1, GL_POSITION, position);
  glEnable(GL_LIGHT1);
  setupDone = true;
}

// Height of the floor cube of row r and column j at t seconds: its phase is fixed by r x j.
float CubeHeight(int r, int j, float t) {
  const double a = static_cast<double>(r) * j;
  return static_cast<float>(std::cos((a - 1.67) * (a + 1.11) * 0.0206 + t + 1) * 0.5 - 1);
}

}  // namespace

void ResetWaveFloorScene() { setupDone = false; }

void DrawWaveFloorScene() {
  const double t = frameClock.elapsedSeconds;
  SetupWaveFloorScene();
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

  camera.eye[0] = static_cast<float>(std::cos(0.2 * t) * 122 * 0.06);
  camera.eye[1] = static_cast<float>(std::cos(1.3) * 110 * 0.06);
  camera.eye[2] = static_cast<float>(std::sin(0.2 * t) * 122 * 0.06);
  ApplyProjection();

  glBindTexture(GL_TEXTURE_2D, textureNames[1]);
  SetOpaqueTextureState();
  glFrontFace(GL_CCW);

  // The floor goes before the sky that is seen around it: the sky's fragments behind the floor
  // then fail the depth test before they are textured. No pixel changes: both are opaque under a
  // strict depth test, and they cannot tie, the floor lying within 40 of the eye and the sky 440
  // away or more. The sky keeps the shade model the frame came with, and the current normal and
  // texture coordinate are left as the floor's last vertex leaves them.
  float skyShadeModel = GL_SMOOTH;
  glGetFloatv(GL_SHADE_MODEL, &skyShadeModel);
  glShadeModel(GL_FLAT);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  // Cubes that cannot reach the window (most of those behind the eye) are not sent; the others
  // go in their usual order, as the cubes touch and their faces tie in depth.
  const LatticeView view = CurrentLatticeView();
  // Pitch 1, edge 1: the cubes touch and cover x and z from -15 to 17.
  for (int r = 0; r < 32; ++r)
    for (int j = 0; j < 32; ++j) {
      const float x = static_cast<float>(16 - r), y = CubeHeight(r, j, frameClock.elapsedSeconds),
                  z = static_cast<float>(16 - j);
      const double corner[3] = {x, y, z};
      if (!BoxMayReachWindow(view, corner, 1.0)) continue;
      glPushMatrix();
      glTranslatef(x, y, z);
      DrawCube(1.0f);
      glPopMatrix();
    }

  glShadeModel(static_cast<GLenum>(skyShadeModel));
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  skySphere.position.z = 0;
  skySphere.scale = {4.5f, 4.5f, 4.5f};
  glColor4f(1, 1, 1, 1);
  DrawMesh(skySphere);
  glShadeModel(GL_FLAT);
  glNormal3f(0, -1, 0);
  glTexCoord2f(0, 1);

  glBindTexture(GL_TEXTURE_2D, textureNames[8]);
}
