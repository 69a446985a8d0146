// The ring-tube scene: a tube of 12 x 30 quads whose radius shrinks from 6 at the camera to
// under 1, its centre line wiggling towards the camera as time goes on and its texture
// streaming along it; a line of 19 small glyphs is added onto the picture at the top left.
#include "scenes/ring_tube.h"

#include <cmath>

#include "platform/gl.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "scenes/tube.h"
#include "texgen/upload.h"

namespace {

// The glyph line written over the tube.
constexpr char kRingTubeText[] = "abcde ifghilk123!@#";

bool setupDone = false;
// Point (r, 0) of the grid is on the circle of radius 6 around the camera.
TubeGrid grid;

void SetupRingTubeScene() {
  if (setupDone) return;
  camera.eye[0] = camera.eye[1] = camera.eye[2] = 0;
  camera.target[0] = 5, camera.target[1] = 0, camera.target[2] = 0;
  fieldOfView = 100;
  SetSceneBaseState(false, false);
  setupDone = true;
}

// Row r of the ring lies at r x 30 degrees, formed as a product with the double of 30 degrees.
double RingAngle(int r) { return r * 0.5235987755982988; }

}  // namespace

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

  SetOpaqueTextureState();
  glFrontFace(GL_CW);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, textureNames[2]);

  FillTubeGrid(frameClock.elapsedSeconds * 10.0f, RingAngle, grid);
  DrawTubeQuads(grid, t);

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
