// The cube-field scene: the camera swings inside the cube lattice while the field of view
// breathes. In mode 3 panels that change on fixed music rows mark the stencil, the lattice
// is drawn white inside them and textured outside.
#include "scenes/cube_field.h"

#include <array>
#include <cmath>

#include "platform/gl.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/scenes.h"
#include "texgen/upload.h"

int32_t panelPattern = 1;

namespace {

struct Panel {
  float x0, x1, y0, y1;
};
struct PanelDef {
  Panel area;
  int32_t litBy[2];
};
constexpr std::array<PanelDef, 8> kPanels = {{
    {{-7, 7, -7, -1}, {1, 2}},   // bottom band
    {{-7, 7, 1, 7}, {1, 3}},     // top band
    {{-7, -1, -7, 7}, {4, 5}},   // left band
    {{1, 7, -7, 7}, {4, 6}},     // right band
    {{1, 7, -7, -1}, {7, 11}},   // bottom-right square
    {{1, 7, 1, 7}, {8, 12}},     // top-right square
    {{-7, -1, -7, -1}, {9, 12}}, // bottom-left square
    {{-7, -1, 1, 7}, {10, 11}},  // top-left square
}};

constexpr int kChangeRows[8] = {8, 14, 30, 36, 44, 48, 52, 60};
constexpr int32_t kPatternAt[4][8] = {
    {1, 7, 12, 2, 3, 8, 6, 9},    // order 4
    {5, 8, 1, 12, 11, 12, 5, 9},  // order 5
    {10, 7, 1, 6, 5, 2, 11, 4},   // order 6
    {12, 8, 4, 1, 3, 7, 6, 10},   // order 7
};

}  // namespace

int32_t UpdatePanelPattern(float syncTime, int32_t current) {
  for (int order = 0; order < 4; ++order)
    for (int k = 0; k < 8; ++k) {
      const float threshold = ComputeSyncTime(4 + order, kChangeRows[k]);
      if (syncTime >= threshold) current = kPatternAt[order][k];
    }
  return current;
}

void ResetCubeFieldScene() {
  ResetCubeLattice();
  panelPattern = 1;
}

void DrawCubeFieldScene() {
  const FrameClock& fc = frameClock;
  const double t = fc.elapsedSeconds;
  const int32_t mode = fc.cubeFieldMode;

  glEnable(GL_FOG);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);

  // The panels are laid out in a view of their own.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.0, 1.0, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  glEnable(GL_STENCIL_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  SetupCubeLattice();
  glShadeModel(GL_SMOOTH);

  camera.eye[0] = static_cast<float>(std::cos(1.2 * t) * 22 * 0.06);
  camera.eye[1] = static_cast<float>(std::cos(2.06 * t + 1) * 20 * 0.06);
  camera.eye[2] = static_cast<float>(std::sin(3.2 * t) * 22 * 0.06);
  fieldOfView = static_cast<float>(std::sin(2 * t) * 70 + 90);

  glTranslatef(0, 0, -20);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
  glDisable(GL_BLEND);

  panelPattern = UpdatePanelPattern(fc.syncTime, panelPattern);
  if (mode == 3) {
    glBegin(GL_QUADS);
    for (const PanelDef& def : kPanels) {
      if (def.litBy[0] != panelPattern && def.litBy[1] != panelPattern) continue;
      const Panel& p = def.area;
      glVertex3f(p.x0, p.y0, 0);
      glVertex3f(p.x1, p.y0, 0);
      glVertex3f(p.x1, p.y1, 0);
      glVertex3f(p.x0, p.y1, 0);
    }
    glEnd();
  }
  // Only the stencil marks of the panels are wanted.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glStencilFunc(GL_EQUAL, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColor3f(1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, textureNames[3]);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  ApplyProjection();
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  // Inside the panels: white, fogged to black. Only mode 3 marks panels; in mode 2 this pass
  // would pass the stencil nowhere and change nothing, so its 8000 quads are not sent.
  if (mode == 3) DrawCubeLattice();

  glStencilFunc(GL_NOTEQUAL, 1, 1);
  if (mode == 1) {
    glDisable(GL_TEXTURE_2D);
  } else if (mode == 2) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureNames[1]);
  } else if (mode == 3) {
    // Texture 3 stays bound; the default eye-linear generation spreads it over the lattice.
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  }
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  DrawCubeLattice();

  // State the scenes after this one rely on.
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glFrontFace(GL_CCW);
  glDisable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, textureNames[8]);
}
