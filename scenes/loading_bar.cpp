#include "scenes/loading_bar.h"

#include "platform/gl.h"
#include "scenes/camera.h"

namespace {

void Quad(float x0, float y0, float x1, float y1) {
  glVertex3f(x0, y0, 0);
  glVertex3f(x1, y0, 0);
  glVertex3f(x1, y1, 0);
  glVertex3f(x0, y1, 0);
}

}  // namespace

void DrawLoadingBar(float f) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // The scene camera is set up underneath and comes back when the bar's matrices are popped.
  ApplyProjection();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  glBegin(GL_QUADS);
  glColor4f(1, 1, 1, 1);  // frame
  Quad(10, 230, 630, 250);
  glColor4f(0, 0, 0, 1);  // gap
  Quad(11, 231, 629, 249);
  glColor4f(0.3f, 0.3f, 0.3f, 1);  // trough
  Quad(13, 233, 627, 247);
  glColor4f(1, 0.4f, 0, 1);  // fill: 614 units at f = 1 end on the trough's right edge
  Quad(13, 233, static_cast<float>(13 + 614 * static_cast<double>(f)), 247);
  glEnd();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
}
