// The ring-tube scene: a tube of 12 x 30 quads whose radius shrinks from 6 at the camera to
// under 1, its centre line wiggling towards the camera as time goes on and its texture
// streaming along it; a line of 19 small glyphs is added onto the picture at the top left.
#include "scenes/ring_tube.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "texgen/upload.h"

namespace {

// 1/29, 1/13, 1/33, 1/17 and 1/12 as 32-bit floats.
constexpr double kBy29 = 0.03448275849223137, kBy13 = 0.07692307978868484, kBy33 = 0.03030303120613098,
                 kBy17 = 0.05882352963089943, kTwelfth = 0.0833333358168602;
// The texture step of a quad: a little short of a twelfth.
constexpr float kQuadTextureStep = 0.083f;

bool setupDone = false;
RingTubeGrid grid;

void SetupRingTubeScene() {
  if (setupDone) return;
  camera.eye[0] = camera.eye[1] = camera.eye[2] = 0;
  camera.target[0] = 5, camera.target[1] = 0, camera.target[2] = 0;
  fieldOfView = 100;
  SetSceneBaseState(false, false);
  setupDone = true;
}

}  // namespace

void FillRingTubeGrid(float t, RingTubeGrid& g) {
  const float T = t * 10.0f;
  // Subtracting the wiggle at the camera's end puts the centre line through the axis there.
  const double wanderY = 2 * std::sin(T * kBy29) + std::cos(T * kBy13);
  const double wanderZ = 2 * std::cos(T * kBy33) + std::sin(T * kBy17);
  for (int r = 0; r < 13; ++r) {
    const double a = r * 0.5235987755982988;
    const double ca = std::cos(a), sa = std::sin(a);
    for (int j = 0; j < 32; ++j) {
      const double kj = 3 - j * kTwelfth;
      const float u = static_cast<float>(2 * j) + T;
      g[r][j] = {static_cast<float>(j),
                 static_cast<float>(2 * (2 * std::sin(u * kBy29) + std::cos(u * kBy13) + kj * ca - wanderY)),
                 static_cast<float>(2 * (2 * std::cos(u * kBy33) + std::sin(u * kBy17) + kj * sa - wanderZ))};
    }
  }
}

void ResetRingTubeScene() { setupDone = false; }

void DrawRingTubeScene() {
  const double t = frameClock.elapsedSeconds;
  SetupRingTubeScene();
  glShadeModel(GL_SMOOTH);
  camera.eye[0] = camera.eye[1] = camera.eye[2] = 0;
  fieldOfView = 100;
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  camera.target[0] = static_cast<float>(10 + std::cos(1.2 * t));
  camera.target[1] = static_cast<float>(std::cos(1.06 * t + 1));
  camera.target[2] = static_cast<float>(std::sin(1.2 * t));
  ApplyProjection();

  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glFrontFace(GL_CW);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, textureNames[2]);

  FillRingTubeGrid(frameClock.elapsedSeconds, grid);
  glBegin(GL_QUADS);
  for (int i = 0; i < 30; ++i) {
    const float c = i <= 24 ? 1.0f : static_cast<float>(1 - (i - 24) * 0.1);
    glColor3f(c, c, c);
    const float ta = static_cast<float>(2 * t + i * kTwelfth);
    for (int k = 0; k < 12; ++k) {
      const float sa = static_cast<float>(k * kTwelfth);
      glTexCoord2f(sa, ta);
      glVertex3fv(&grid[k][i].x);
      glTexCoord2f(sa + kQuadTextureStep, ta);
      glVertex3fv(&grid[k + 1][i].x);
      glTexCoord2f(sa + kQuadTextureStep, ta + kQuadTextureStep);
      glVertex3fv(&grid[k + 1][i + 1].x);
      glTexCoord2f(sa, ta + kQuadTextureStep);
      glVertex3fv(&grid[k][i + 1].x);
    }
  }
  glEnd();

  // The glyph line, added onto the picture in the 640 x 480 overlay space.
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, 640, 480, 0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glListBase(fontListBase);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_DEPTH_TEST);
  // Without a font atlas there are no glyph lists: list base 0 would call unrelated lists.
  if (fontListBase != 0) glCallLists(sizeof kRingTubeText - 1, GL_UNSIGNED_BYTE, kRingTubeText);
  glEnable(GL_DEPTH_TEST);
}
