// geometry/iso_surface_draw.cpp: immediate-mode drawing of the extracted surface, in grid
// coordinates; the caller supplies the transform and every enable state.
#include "geometry/iso_surface.h"
#include "platform/gl.h"

void DrawIsoSurface(const IsoSurface& surface) {
  glBegin(GL_TRIANGLES);
  for (const IsoTriangle& triangle : surface.triangles) {
    glNormal3fv(&triangle.normal.x);
    for (const Vec3& v : triangle.vertices) {
      glColor3f(1, 1, 1);
      glTexCoord2f(static_cast<float>(v.y + 0.5 * v.x), static_cast<float>(v.y + 0.5 * v.z));
      glVertex3fv(&v.x);
    }
  }
  glEnd();
}
