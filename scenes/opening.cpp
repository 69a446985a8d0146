// The opening scene: a ribbon of glowing sprites winding about the origin under a drifting
// camera, faded in from black, with the ten title words shown one at a time on two light
// bands that flicker on fixed music rows.
#include "scenes/opening.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

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

// The blend adds a fragment's colour times itself: a fragment of a steps of 255 adds
// round(a * a / 255), which is nothing while a is at most 11. A texel of v steps under a colour
// factor f makes a fragment of v * f steps before the conversions round it, which can lift it
// by up to a step: below 10 it adds nothing.
constexpr double kSilentSteps = 10;

// The texels that can add something to a pixel under the colour.
TexelBox AddingTexels(const TextureReach& glow, const float colour[3]) {
  TexelBox box;
  for (size_t c = 0; c < 3; ++c) {
    if (!(colour[c] > 0)) continue;
    // Rounded down, so the level taken is at most the first value that adds.
    const double level = std::floor(kSilentSteps / colour[c]);
    if (level > 255) continue;
    box = Union(box, glow.boxes[c][static_cast<size_t>(std::max(level, 0.0))]);
  }
  return box;
}

// The span of texture coordinates whose linear filtering reads a texel of the columns first..last
// of n. Texel i sits at (i + 0.5) / n and a fragment reads the two either side of it; the
// texture repeats, so texels at an edge are also read from the far side: then the whole span.
void CoordinateSpan(int first, int last, int n, double& from, double& to) {
  if (first <= 0 || last >= n - 1) {
    from = 0, to = 1;
    return;
  }
  from = (first - 1.0) / n, to = (last + 2.0) / n;
}

// Point p in clip coordinates.
void ClipPosition(const SpriteView& view, const double p[3], double out[4]) {
  double eye[4];
  for (int r = 0; r < 4; ++r) {
    eye[r] = view.modelview[12 + r];
    for (int k = 0; k < 3; ++k) eye[r] += view.modelview[k * 4 + r] * p[k];
  }
  for (int r = 0; r < 4; ++r) {
    out[r] = 0;
    for (int k = 0; k < 4; ++k) out[r] += view.projection[k * 4 + r] * eye[k];
  }
}

// Whether GL clips a sprite before drawing it: every corner inside the view volume, one clearly
// outside it, or one too close to a face of it to tell.
enum class SpriteClipping { Inside, Outside, Unsure };

SpriteClipping Clipping(const OpeningSprite& sprite, const SpriteView& view) {
  // GL computes in floats what is here in doubles: a corner this close to a plane may fall on
  // either side of it.
  constexpr double kUnsure = 1e-4;
  SpriteClipping clipping = SpriteClipping::Inside;
  for (const float* corner : sprite.corners) {
    const double p[3] = {corner[0], corner[1], corner[2]};
    double c[4];
    ClipPosition(view, p, c);
    const double w = std::abs(c[3]), reach = std::max({std::abs(c[0]), std::abs(c[1]), std::abs(c[2])});
    if (!std::isfinite(c[3]) || !std::isfinite(reach)) return SpriteClipping::Unsure;
    if (c[3] < -kUnsure * w) {
      clipping = SpriteClipping::Outside;
    } else if (c[3] <= kUnsure * w || std::abs(reach - w) <= kUnsure * w) {
      return SpriteClipping::Unsure;
    } else if (reach > w) {
      clipping = SpriteClipping::Outside;
    }
  }
  return clipping;
}

}  // namespace

bool OpeningSpriteBox(const OpeningSprite& sprite, const TextureReach& glow, const SpriteView& view, PixelRect& box) {
  box = {};
  const TexelBox texels = AddingTexels(glow, sprite.colour);
  if (texels.Empty()) return true;
  double s[2], t[2];
  CoordinateSpan(texels.x0, texels.x1, glow.width, s[0], s[1]);
  CoordinateSpan(texels.y0, texels.y1, glow.height, t[0], t[1]);

  // The sprite is the parallelogram corner 0 + s (corner 1 - corner 0) + t (corner 3 - corner 0)
  // with texture coordinates (s, t): the part that can add is the one over [s0, s1] x [t0, t1],
  // and the window positions of its corners bound it while they lie in front of the eye.
  const float* c0 = sprite.corners[0];
  const float* c1 = sprite.corners[1];
  const float* c3 = sprite.corners[3];
  double left = HUGE_VAL, right = -HUGE_VAL, bottom = HUGE_VAL, top = -HUGE_VAL;
  for (double sc : s)
    for (double tc : t) {
      double p[3], c[4];
      for (int k = 0; k < 3; ++k) p[k] = c0[k] + sc * (c1[k] - c0[k]) + tc * (c3[k] - c0[k]);
      ClipPosition(view, p, c);
      if (!(c[3] > 1e-6)) return false;
      const double x = view.viewport[0] + (c[0] / c[3] + 1) * 0.5 * view.viewport[2];
      const double y = view.viewport[1] + (c[1] / c[3] + 1) * 0.5 * view.viewport[3];
      left = std::min(left, x), right = std::max(right, x);
      bottom = std::min(bottom, y), top = std::max(top, y);
    }
  // A pixel is drawn when its centre lies inside; one more either side for the rounding.
  auto clamp = [](double v, float lo, float hi) { return static_cast<int>(std::clamp(v, double{lo}, double{hi})); };
  const float x0 = view.viewport[0], x1 = x0 + view.viewport[2];
  const float y0 = view.viewport[1], y1 = y0 + view.viewport[3];
  if (!std::isfinite(left + right + bottom + top)) return false;
  box = {clamp(std::floor(left) - 1, x0, x1), clamp(std::floor(bottom) - 1, y0, y1),
         clamp(std::ceil(right) + 1, x0, x1), clamp(std::ceil(top) + 1, y0, y1)};
  return true;
}

namespace {

constexpr float kCornerTexture[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

// Corner k of a sprite, inside glBegin.
void SpriteCorner(const OpeningSprite& s, int k) {
  glTexCoord2f(kCornerTexture[k][0], kCornerTexture[k][1]);
  glVertex3fv(s.corners[k]);
}

// The sprite as one of GL_QUADS.
void SpriteQuad(const OpeningSprite& s) {
  glColor4f(s.colour[0], s.colour[1], s.colour[2], 1);
  for (int k = 0; k < 4; ++k) SpriteCorner(s, k);
}

// The sprite as two of GL_TRIANGLES, cut as GL cuts a quad it clips.
void SpriteTriangles(const OpeningSprite& s) {
  glColor4f(s.colour[0], s.colour[1], s.colour[2], 1);
  for (int k : {0, 1, 3, 1, 2, 3}) SpriteCorner(s, k);
}

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

  // The blend adds the fragment's colour times itself, so most of a dim sprite's square adds
  // nothing. Where the glow's reach is known each sprite is drawn alone, cut to the pixels it
  // can change. The sum saturates and each sprite adds on its own, so the order they are added
  // in does not change it; the alpha is 1 from the clear and stays 1 whatever is added.
  //
  // The sprites drawn together once went through GL in one draw of quads. Where GL has to clip
  // some of a draw, it cuts every quad of it into the triangles (0, 1, 3) and (1, 2, 3); where
  // it has not, the rasteriser may cut them otherwise, which moves colours by a step here and
  // there. So the sprites drawn apart keep the cut of that one draw: while some sprite needs
  // clipping, each is drawn as those two triangles. Where it cannot be told whether GL clips,
  // or a sprite's part that adds cannot be bounded, they are drawn in one draw, whole. (GL may
  // hand that one draw on in two batches where its vertex buffer runs full, and a batch without
  // a clipped sprite then takes the other cut: which frames that befalls depends on all that was
  // drawn before, not on the frame, and this does not follow it.)
  const TextureReach* glow = GeneratedTextureReach(kGlowTexture);
  SpriteView view;
  std::memcpy(view.modelview, m, sizeof m);
  glGetFloatv(GL_PROJECTION_MATRIX, view.projection);
  glGetFloatv(GL_VIEWPORT, view.viewport);
  static std::vector<const OpeningSprite*> drawn;
  static std::vector<std::pair<const OpeningSprite*, PixelRect>> cut;
  drawn.clear(), cut.clear();
  bool cuttable = glow != nullptr, clipped = false;
  for (const OpeningSprite& s : sprites) {
    // A sprite whose brightest channel comes to at most 10 of 255 adds at most 100 / 255 of a
    // step, which rounds to nothing: it changes no pixel and is not drawn.
    if (s.colour[2] * 255 < 10) continue;
    drawn.push_back(&s);
    if (!cuttable) continue;
    const SpriteClipping clipping = Clipping(s, view);
    PixelRect box;
    if (clipping == SpriteClipping::Unsure || !OpeningSpriteBox(s, *glow, view, box)) cuttable = false;
    clipped = clipped || clipping == SpriteClipping::Outside;
    if (!box.Empty()) cut.emplace_back(&s, box);
  }
  if (cuttable) {
    glEnable(GL_SCISSOR_TEST);
    for (const auto& [s, box] : cut) {
      glScissor(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
      glBegin(clipped ? GL_TRIANGLES : GL_QUADS);
      clipped ? SpriteTriangles(*s) : SpriteQuad(*s);
      glEnd();
    }
    glDisable(GL_SCISSOR_TEST);
  } else {
    glBegin(GL_QUADS);
    for (const OpeningSprite* s : drawn) SpriteQuad(*s);
    glEnd();
  }
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
