// The lightning scene. The point cloud is drawn once from the program-wide generator at
// set-up; the bolts draw from it every frame. Neither ever seeds it: the numbers continue
// from wherever the music start left the generator.
//
// The bolts of a frame join the sprite positions of the frame before (the chain), so on the
// very first frame they all crackle around the origin.
#include "scenes/lightning.h"

#include <cmath>

#include "platform/gl.h"
#include "platform/random.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/scenes.h"
#include "texgen/upload.h"

namespace {

constexpr int kCloudPoints = 1024;
constexpr int kChainPoints = 32;

std::array<LightningPoint, kCloudPoints> cloud;
std::array<LightningPoint, kChainPoints> chain{};
bool setupDone = false;

// A draw from the generator as an offset in [-0.5, 0.5) times scale.
float RandomOffset(float scale) { return static_cast<float>((NextRandom() / 32768.0 - 0.5) * scale); }

void SetupLightningScene() {
  if (setupDone) return;
  ResetCamera();
  SetSceneBaseState(false, false);
  // A cube of edge 6.1 around the origin; x, y, z drawn in that order.
  for (LightningPoint& p : cloud)
    for (float& c : p) c = RandomOffset(6.1f);
  setupDone = true;
}

// One bolt from a to b: five line strips of ten jittered steps each, ending exactly on b.
// Draws 150 numbers from the program-wide generator.
void DrawLightningBolt(const LightningPoint& a, const LightningPoint& b) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glColor3f(0, 0.4f, 1);
  const float step[3] = {(b[0] - a[0]) * 0.1f, (b[1] - a[1]) * 0.1f, (b[2] - a[2]) * 0.1f};
  for (int strip = 0; strip < 5; ++strip) {
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < 10; ++i) {
      // Sequenced: the x jitter takes the first number, then y, then z.
      const float jx = RandomOffset(0.1f);
      const float jy = RandomOffset(0.1f);
      const float jz = RandomOffset(0.1f);
      glVertex3f(static_cast<float>(a[0] + i * double{step[0]} + jx), static_cast<float>(a[1] + i * double{step[1]} + jy),
                 static_cast<float>(a[2] + i * double{step[2]} + jz));
    }
    glVertex3f(b[0], b[1], b[2]);
    glEnd();
  }
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

std::span<const LightningPoint, 32> LightningChain() { return chain; }

void ResetLightningScene() {
  setupDone = false;
  chain = {};
}

void DrawLightningScene() {
  const double t = frameClock.elapsedSeconds;
  SetupLightningScene();

  camera.eye[0] = static_cast<float>((std::sin(0.1 * t) * 15 + std::cos(0.2 * t) * 30) * 0.06);
  camera.eye[1] = static_cast<float>(std::cos(0.06 * t + 1) * 51 * 0.06);
  camera.eye[2] = static_cast<float>((std::sin(0.1 * t) * 15 + std::sin(0.2 * t) * 30) * 0.06);
  ApplyProjection();

  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  glFrontFace(GL_CCW);
  glColor4f(1, 1, 1, 1);

  for (int k = 0; k + 1 < kChainPoints; ++k) DrawLightningBolt(chain[k], chain[k + 1]);

  glColor4f(1, 1, 1, 1);
  glBegin(GL_POINTS);
  for (const LightningPoint& p : cloud) glVertex3fv(p.data());
  glEnd();

  glShadeModel(GL_FLAT);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, textureNames[8]);
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  const float right[3] = {m[0], m[4], m[8]}, up[3] = {m[1], m[5], m[9]};
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_QUADS);
  for (int i = 0; i < kChainPoints; ++i) {
    const double a = static_cast<double>(i) * i, b = i;
    LightningPoint& p = chain[i];
    p[0] = static_cast<float>(std::cos((b - 1.67) * (a + 1.11) * 0.0216 + t + 1));
    p[1] = static_cast<float>(std::sin((a + 1.01) * (b - 1.12) * 0.0206 + 2 * t + 2));
    p[2] = static_cast<float>(std::cos(2 * t + (b - 1.67) * (a + 1.11) * 0.0236 + 3));
    // Each corner's vertex comes before its texture coordinate, so every coordinate lands on
    // the corner after the one it follows (the first corner of the first sprite takes
    // whatever coordinate is current).
    float c[3];
    for (int k = 0; k < 3; ++k) c[k] = p[k] - right[k] * 0.5f - up[k] * 0.5f;
    glVertex3fv(c);
    glTexCoord2f(0, 0);
    for (int k = 0; k < 3; ++k) c[k] += up[k];
    glVertex3fv(c);
    glTexCoord2f(1, 0);
    for (int k = 0; k < 3; ++k) c[k] += right[k];
    glVertex3fv(c);
    glTexCoord2f(1, 1);
    for (int k = 0; k < 3; ++k) c[k] -= up[k];
    glVertex3fv(c);
    glTexCoord2f(0, 1);
  }
  glEnd();
  glEnable(GL_DEPTH_TEST);
}
