#include "scenes/camera.h"

#include "platform/gl.h"

Camera camera;
float fieldOfView = 100.0f;

static GLuint gLatticeCubeList = 0;  // one lattice cube, drawn once per cube in view
static bool gLatticeReady = false;

void ResetCamera() {
  camera = Camera{};
  fieldOfView = 100.0f;
}

void ApplyProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fieldOfView, 1.3333333333333333, 0.2, 1000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(camera.eye[0], camera.eye[1], camera.eye[2], camera.target[0], camera.target[1], camera.target[2], 0.0,
            1.0, 0.0);
}

void SetSceneBaseState(bool fog, bool lighting) {
  glClearColor(0, 0, 0, 1);
  const GLfloat black[4] = {0, 0, 0, 1};
  glFogfv(GL_FOG_COLOR, black);
  fog ? glEnable(GL_FOG) : glDisable(GL_FOG);
  lighting ? glEnable(GL_LIGHTING) : glDisable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_BLEND);
}

void SetOpaqueTextureState() {
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void DrawCube(float s) {
  // Every face shows the whole texture once; culling is never on, so winding does not matter.
  glBegin(GL_QUADS);
  glNormal3f(1, 0, 0);
  glTexCoord2f(0, 0), glVertex3f(s, 0, 0);
  glTexCoord2f(1, 0), glVertex3f(s, s, 0);
  glTexCoord2f(1, 1), glVertex3f(s, s, s);
  glTexCoord2f(0, 1), glVertex3f(s, 0, s);
  glNormal3f(-1, 0, 0);
  glTexCoord2f(0, 1), glVertex3f(0, 0, s);
  glTexCoord2f(0, 0), glVertex3f(0, 0, 0);
  glTexCoord2f(1, 0), glVertex3f(0, s, 0);
  glTexCoord2f(1, 1), glVertex3f(0, s, s);
  glNormal3f(0, 0, -1);
  glTexCoord2f(0, 1), glVertex3f(0, s, 0);
  glTexCoord2f(1, 1), glVertex3f(s, s, 0);
  glTexCoord2f(1, 0), glVertex3f(s, 0, 0);
  glTexCoord2f(0, 0), glVertex3f(0, 0, 0);
  glNormal3f(0, 0, 1);
  glTexCoord2f(0, 0), glVertex3f(0, 0, s);
  glTexCoord2f(0, 1), glVertex3f(0, s, s);
  glTexCoord2f(1, 1), glVertex3f(s, s, s);
  glTexCoord2f(1, 0), glVertex3f(s, 0, s);
  glNormal3f(0, 1, 0);
  glTexCoord2f(0, 1), glVertex3f(s, s, 0);
  glTexCoord2f(1, 1), glVertex3f(s, s, s);
  glTexCoord2f(1, 0), glVertex3f(0, s, s);
  glTexCoord2f(0, 0), glVertex3f(0, s, 0);
  glNormal3f(0, -1, 0);
  glTexCoord2f(1, 1), glVertex3f(s, 0, s);
  glTexCoord2f(1, 0), glVertex3f(0, 0, s);
  glTexCoord2f(0, 0), glVertex3f(0, 0, 0);
  glTexCoord2f(0, 1), glVertex3f(s, 0, 0);
  glEnd();
}

void SetupCubeLattice() {
  if (gLatticeReady) return;
  ResetCamera();
  SetSceneBaseState(true, false);
  // The fog mode is left at its exponential default, so only the density takes effect;
  // start and end are set all the same and nothing changes these values later.
  glFogf(GL_FOG_DENSITY, 0.4f);
  glFogf(GL_FOG_START, 1.0f);
  glFogf(GL_FOG_END, 15.0f);

  gLatticeCubeList = glGenLists(1);
  glNewList(gLatticeCubeList, GL_COMPILE);
  DrawCube(0.4f);
  glEndList();
  gLatticeReady = true;
}

void DrawLatticeCubes(const std::vector<int16_t>& cubes) {
  // Pitch 1, cubes of 0.4 spanning [n - 0.75, n - 0.35]: not centred on the grid points.
  for (const int16_t k : cubes) {
    glPushMatrix();
    glTranslatef(static_cast<float>(k / 121 - 5), static_cast<float>(k / 11 % 11 - 5), static_cast<float>(k % 11 - 5));
    glTranslatef(-0.75f, -0.75f, -0.75f);
    glCallList(gLatticeCubeList);
    glPopMatrix();
  }
}

void ReleaseCubeLattice() {
  if (gLatticeCubeList != 0) glDeleteLists(gLatticeCubeList, 1);
  ResetCubeLattice();
}

void ResetCubeLattice() {
  gLatticeCubeList = 0;
  gLatticeReady = false;
}

LatticeView CurrentLatticeView() {
  LatticeView view;
  glGetFloatv(GL_PROJECTION_MATRIX, view.projection.data());
  glGetFloatv(GL_MODELVIEW_MATRIX, view.view.data());
  glGetFloatv(GL_VIEWPORT, view.viewport.data());
  view.eye = {camera.eye[0], camera.eye[1], camera.eye[2]};
  return view;
}
