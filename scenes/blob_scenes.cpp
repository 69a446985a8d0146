// The blob scenes. Both re-extract the metaball surface every frame from the charges as the
// previous blob frame left them, then move the charges with their own phase counter, so the
// blob's motion follows the frame count and carries over from the first scene to the second.
// The triangle list keeps its storage between frames: a blob frame allocates nothing once
// the surface has reached its usual size.
#include "scenes/blob_scenes.h"

#include <cmath>

#include "geometry/iso_surface.h"
#include "geometry/mesh.h"
#include "geometry/metaball.h"
#include "platform/gl.h"
#include "platform/window.h"
#include "scenes/camera.h"
#include "scenes/fatal.h"
#include "scenes/frame_clock.h"
#include "scenes/scene_sphere.h"
#include "scenes/scenes.h"
#include "scenes/tube.h"
#include "texgen/upload.h"

namespace {

constexpr float kCameraDistanceScale = 0.06f;

void* DefaultLookup(const char* name) {
  // Some loaders hand out a pointer for any name; the extension string says whether it works.
  if (!HasGLExtension("GL_ARB_multitexture")) return nullptr;
  return GetGLProcAddress(name);
}

GLProcLookup procLookup = DefaultLookup;
bool setupDone = false;
Mesh skySphere;
// Looked up and kept; the scenes draw with the default texture unit only.
void* activeTextureARB = nullptr;
void* multiTexCoord2fARB = nullptr;
int32_t orbitCounter = 0;
int32_t tunnelCounter = 0;
TubeGrid tunnelGrid{};  // columns 0..31, 0..30 drawn; column 0 sits on the eye

void ExtractSurface() {
  SampleIsoGrid(blobSurface);
  PolygoniseIsoSurface(blobSurface);
}

// The surface in grid units, moved by offset (none: drawn where it is).
void DrawBlob(const float* offset) {
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glPushMatrix();
  if (offset) glTranslatef(offset[0], offset[1], offset[2]);
  DrawIsoSurface(blobSurface);
  glPopMatrix();
}

void LeaveBlobScene() {
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glBindTexture(GL_TEXTURE_2D, textureNames[8]);
}

// Row n of the tunnel lies at n pi / 6.
double TunnelAngle(int n) { return n * 3.141592653589793 / 6; }

}  // namespace

bool SetupBlobScenes() {
  if (setupDone) return true;
  activeTextureARB = procLookup("glActiveTextureARB");
  multiTexCoord2fARB = procLookup("glMultiTexCoord2fARB");
  if (!activeTextureARB || !multiTexCoord2fARB) {
    EndProgramFromScene("Could not load multi-texture extension", "");
    return false;
  }
  BuildSceneSphere(skySphere, textureNames[3]);
  ResetCamera();
  SetSceneBaseState(false, true);
  setupDone = true;
  return true;
}

void SetBlobProcLookup(GLProcLookup lookup) { procLookup = lookup ? lookup : DefaultLookup; }

int32_t BlobOrbitCounter() { return orbitCounter; }
int32_t BlobTunnelCounter() { return tunnelCounter; }

void ResetBlobScenes() {
  setupDone = false;
  orbitCounter = 0;
  tunnelCounter = 0;
  tunnelGrid = {};
  MetaballField = kStartupCharges;
}

void AdvanceBlobOrbitScene() {
  MoveCharges(orbitCounter);
  orbitCounter += 9;
}

void AdvanceBlobTunnelScene() {
  MoveCharges(tunnelCounter);
  tunnelCounter += 6;
}

void DrawBlobOrbitScene() {
  const double t = frameClock.elapsedSeconds;
  if (!SetupBlobScenes()) return;
  glShadeModel(GL_SMOOTH);
  // Target and field of view stay as the set-up left them.
  const double s = kCameraDistanceScale;
  camera.eye[0] = static_cast<float>(22 * s * std::cos(0.2 * t));
  camera.eye[1] = static_cast<float>(10 * s * std::cos(0.06 * t + 1));
  camera.eye[2] = static_cast<float>(22 * s * std::sin(0.2 * t));
  ApplyProjection();
  glBindTexture(GL_TEXTURE_2D, textureNames[1]);

  ExtractSurface();
  AdvanceBlobOrbitScene();

  DrawBlob(nullptr);

  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glFrontFace(GL_CW);  // the sky is seen from inside
  glDisable(GL_LIGHTING);
  skySphere.scale = {4.5f, 4.5f, 4.5f};
  skySphere.position.z = 0;
  glColor4f(1, 1, 1, 1);
  DrawMesh(skySphere);

  LeaveBlobScene();
}

void DrawBlobTunnelScene() {
  const double t = frameClock.elapsedSeconds;
  if (!SetupBlobScenes()) return;
  glDisable(GL_FOG);
  camera.eye[0] = camera.eye[1] = camera.eye[2] = 0;
  glPolygonMode(GL_FRONT, GL_FILL);
  glPolygonMode(GL_BACK, GL_FILL);
  glShadeModel(GL_SMOOTH);
  const double s = kCameraDistanceScale;
  camera.target[0] = static_cast<float>(10 + s * std::cos(1.2 * t));
  camera.target[1] = static_cast<float>(s * std::cos(1.06 * t + 1));
  camera.target[2] = static_cast<float>(s * std::sin(1.2 * t));
  fieldOfView = 100;
  ApplyProjection();
  glBindTexture(GL_TEXTURE_2D, textureNames[3]);

  const float T = static_cast<float>(10 * t);
  FillTubeGrid(T, TunnelAngle, tunnelGrid);
  // Blending and lighting are inherited: from the scene's second frame on both are off, as
  // the end of the frame before left them.
  DrawTubeQuads(tunnelGrid, t);

  glBindTexture(GL_TEXTURE_2D, textureNames[2]);
  ExtractSurface();
  AdvanceBlobTunnelScene();

  const float offset[3] = {2, static_cast<float>(0.5 * (std::cos(T * double{kTubeBy13}) - std::sin(T * double{kTubeBy29}))),
                           static_cast<float>(0.5 * (std::sin(T * double{kTubeBy17}) - std::cos(T * double{kTubeBy33})))};
  DrawBlob(offset);

  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glFrontFace(GL_CW);
  glDisable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
  LeaveBlobScene();
}
