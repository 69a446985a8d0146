// The opening scene: a ribbon of glowing sprites winding about the origin under a drifting
// camera, faded in from black, with the ten title words shown one at a time on two light
// bands that flicker on fixed music rows.
#include "scenes/opening.h"

#include <array>
#include <cmath>

#include "platform/gl.h"
#include "scenes/camera.h"
#include "scenes/frame_clock.h"
#include "scenes/scenes.h"
#include "scenes/text.h"
#include "texgen/upload.h"

namespace {

bool setupDone = false;

constexpr double kDegrees = 3.14159265358979323846 / 180.0;

struct WordCue {
  int32_t order, row;
  std::string_view word;
};
constexpr std::array<WordCue, 10> kWords = {{
    {1, 8, "imagine"},
    {1, 24, "yourself"},
    {1, 40, "flying"},
    {1, 56, "away"},
    {2, 8, "into"},
    {2, 24, "the"},
    {2, 40, "endless"},
    {2, 56, "vale"},
    {3, 8, "of"},
    {3, 24, "quoms"},
}};

// A cue's position as the frame's syncTime, so the word lands on its row exactly.
float CueTime(const WordCue& cue) { return ComputeSyncTime(cue.order, cue.row); }

void SetupOpeningScene() {
  if (setupDone) return;
  BuildFontAtlas();  // without a font the words are simply absent
  ResetCamera();
  SetSceneBaseState(false, false);
  setupDone = true;
}

}  // namespace

void OpeningSpriteQuads(double t, const float right[3], const float up[3], std::span<OpeningSprite, 256> sprites) {
  for (int i = 0; i < 256; ++i) {
    OpeningSprite& s = sprites[static_cast<size_t>(i)];
    const double a = static_cast<double>(i) * i, b = i;
    const float p[3] = {
        static_cast<float>(std::cos((a + 1.11) * (b - 1.14) * 0.002 + t + 1) * 1.1),
        static_cast<float>(std::sin((b - 1.15) * (a + 1.12) * 0.002 + 2 * t + 2) * 1.1),
        static_cast<float>(std::cos((b - 1.16) * (a + 1.13) * 0.002 + 2 * t + 3) * 1.1),
    };
    const float c = static_cast<float>(std::cos(3 * t + 0.3 * i) * 0.5 + 0.5);
    s.colour[0] = 0.1f * c, s.colour[1] = 0.4f * c, s.colour[2] = c;
    // Each corner follows from the previous one, in floats: up, right, down.
    for (int k = 0; k < 3; ++k) s.corners[0][k] = p[k] - right[k] / 2 - up[k] / 2;
    for (int k = 0; k < 3; ++k) s.corners[1][k] = s.corners[0][k] + up[k];
    for (int k = 0; k < 3; ++k) s.corners[2][k] = s.corners[1][k] + right[k];
    for (int k = 0; k < 3; ++k) s.corners[3][k] = s.corners[2][k] - up[k];
  }
}

void ApplyOpeningCamera(double t) {
  ResetCamera();
  camera.target[0] = camera.target[1] = camera.target[2] = 0.0f;
  camera.eye[0] = static_cast<float>(std::cos(0.2 * t) * 22 * 0.06 + 1);
  camera.eye[1] = static_cast<float>(std::cos(0.6 * t + 1) * 20 * 0.06 + 1);
  camera.eye[2] = static_cast<float>(std::sin(0.2 * t) * 22 * 0.06 + 1);
  fieldOfView = static_cast<float>(std::sin(t) * 20 + 90);
  ApplyProjection();
}

namespace {

void DrawSprites(double t) {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_TEXTURE_2D);
  glFrontFace(GL_CCW);
  glDisable(GL_LIGHTING);
  glBindTexture(GL_TEXTURE_2D, textureNames[8]);

  // The camera's right and up vectors, so every sprite faces the viewer.
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  const float right[3] = {m[0], m[4], m[8]};
  const float up[3] = {m[1], m[5], m[9]};
  static std::array<OpeningSprite, 256> sprites;
  OpeningSpriteQuads(t, right, up, sprites);

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_QUADS);
  for (const OpeningSprite& s : sprites) {
    // The blend adds the fragment's colour times itself. A sprite whose brightest channel comes
    // to at most 10 of 255 adds at most 100 / 255 of a step, which rounds to nothing: such a
    // sprite changes no pixel (the alpha is 1 from the clear and stays 1), and is not drawn.
    if (s.colour[2] * 255 < 10) continue;
    glColor4f(s.colour[0], s.colour[1], s.colour[2], 1);
    glTexCoord2f(0, 0), glVertex3fv(s.corners[0]);
    glTexCoord2f(1, 0), glVertex3fv(s.corners[1]);
    glTexCoord2f(1, 1), glVertex3fv(s.corners[2]);
    glTexCoord2f(0, 1), glVertex3fv(s.corners[3]);
  }
  glEnd();
}

// A band across the screen with the texture turned a quarter turn.
void Band(float top, float bottom) {
  glBegin(GL_QUADS);
  glTexCoord2f(1, 0), glVertex2f(0, top);
  glTexCoord2f(1, 1), glVertex2f(640, top);
  glTexCoord2f(0, 1), glVertex2f(640, bottom);
  glTexCoord2f(0, 0), glVertex2f(0, bottom);
  glEnd();
}

void DrawWord(std::string_view word, float g) {
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, textureNames[0]);
  glColor4f(g, g, g, 1);
  Band(220, 260);
  Band(180, 300);

  glBindTexture(GL_TEXTURE_2D, 0);
  if (largeFontListBase == 0) return;  // no atlas: no words
  const float x = static_cast<float>(320 - 6 * static_cast<int>(word.size()));
  // Drawn twice at the same place: the additive blend doubles its brightness.
  for (int pass = 0; pass < 2; ++pass) {
    glLoadIdentity();
    glColor4f(g, g, g, 1);
    glTranslatef(x, 240, 0);
    glCallLists(static_cast<GLsizei>(word.size()), GL_UNSIGNED_BYTE, word.data());
  }
}

}  // namespace

std::string_view OpeningWordAt(float syncTime) {
  if (!(syncTime >= CueTime(kWords[0]) && syncTime < 5.0f)) return {};
  std::string_view word;
  for (const WordCue& cue : kWords)
    if (syncTime >= CueTime(cue)) word = cue.word;
  return word;
}

float OpeningBandBrightness(float syncTime, int32_t musicRow) {
  if ((musicRow + 8) % 16 > 8)
    return static_cast<float>((std::cos((static_cast<double>(syncTime) + 0.008) * 23040 * kDegrees) + 1) * 0.5);
  return 0.6f;
}

void DrawOpeningScene() {
  const FrameClock& fc = frameClock;
  const double t = fc.elapsedSeconds;
  SetupOpeningScene();
  glShadeModel(GL_SMOOTH);
  ApplyOpeningCamera(t);
  DrawSprites(t);

  // The overlays in 640 x 480 units, y down, shifted 20 units down the screen.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, 640, 480, 0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glTranslatef(0, 20, 0);
  glListBase(largeFontListBase);

  if (0.5 * t < 1) {
    // The shift leaves the top 20 rows unfaded.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0, static_cast<float>(1 - 0.5 * t));
    DrawOverlayQuad(0, 0, 640, 480);
  }
  const std::string_view word = OpeningWordAt(fc.syncTime);
  if (!word.empty()) DrawWord(word, OpeningBandBrightness(fc.syncTime, fc.musicRow));
  glEnable(GL_DEPTH_TEST);
}

void ResetOpeningScene() { setupDone = false; }
