#include "scenes/camera.h"

#include "platform/gl.h"

Camera camera;
float fieldOfView = 100.0f;

static GLuint gLatticeList = 0;
static GLuint gLatticeCubeList = 0;  // one lattice cube, for drawing cubes one by one
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

  gLatticeList = glGenLists(2);
  gLatticeCubeList = gLatticeList + 1;
  glNewList(gLatticeCubeList, GL_COMPILE);
  DrawCube(0.4f);
  glEndList();
  glNewList(gLatticeList, GL_COMPILE);
  // Pitch 1, cubes of 0.4 spanning [n - 0.75, n - 0.35]: not centred on the grid points.
  for (int x = -5; x <= 5; ++x)
    for (int y = -5; y <= 5; ++y)
      for (int z = -5; z <= 5; ++z) {
        glPushMatrix();
        glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
        glTranslatef(-0.75f, -0.75f, -0.75f);
        DrawCube(0.4f);
        glPopMatrix();
      }
  glEndList();
  gLatticeReady = true;
}

void DrawCubeLattice() { glCallList(gLatticeList); }

void DrawLatticeCubes(const std::vector<int16_t>& cubes) {
  // The same calls the lattice list makes for each cube, so each gets the same matrix.
  for (const int16_t k : cubes) {
    glPushMatrix();
    glTranslatef(static_cast<float>(k / 121 - 5), static_cast<float>(k / 11 % 11 - 5), static_cast<float>(k % 11 - 5));
    glTranslatef(-0.75f, -0.75f, -0.75f);
    glCallList(gLatticeCubeList);
    glPopMatrix();
  }
}

void ReleaseCubeLattice() {
  if (gLatticeList != 0) glDeleteLists(gLatticeList, 2);
  ResetCubeLattice();
}

void ResetCubeLattice() {
  gLatticeList = 0;
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
