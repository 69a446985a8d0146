// The font atlas, its two glyph list sets and the closing credits overlay.
#include "scenes/text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/gl.h"
#include "platform/glyphs.h"
#include "scenes/frame_clock.h"
#include "scenes/scenes.h"

uint32_t fontListBase = 0, largeFontListBase = 0;
float endTextPosition = 0.0f;

namespace {

constexpr int kAtlasSize = 256, kCell = 16, kListCount = 255;
constexpr double kDegrees = 3.14159265358979323846 / 180.0;

constexpr std::array<std::string_view, 41> kEndLines = {
    "You have been watching",
    "",
    "VALE OF QUOMS",
    "",
    "a just-over 64kb demo by",
    "",
    "Orvik",
    "of",
    "Qwelm prods",
    "",
    "made for",
    "Halvring 2004",
    "",
    "",
    "the demo contains:",
    "",
    "15mb of music data,",
    "shrinked to 2kb song,",
    "1kb samples and 18kb",
    "player",
    "",
    "1.5mb of texture",
    "data, shrinked to a",
    "2.5kb generator",
    "",
    "50kb of mesh data,",
    "shrinked to 2kb code",
    "",
    "the rest is just a piece",
    "of unshrinked stuff ;)",
    "",
    "",
    "greetings fly out to:",
    "",
    "pask",
    "murrow",
    "talvenn",
    "ombrix",
    "",
    "",
    "cu @ durnast2004",
};

void UploadAtlas(const std::vector<uint8_t>& coverage) {
  // Grey RGB with the image's top row last in memory, so that it lands at t = 1.
  std::vector<uint8_t> rgb(static_cast<size_t>(kAtlasSize) * kAtlasSize * 3);
  for (int row = 0; row < kAtlasSize; ++row) {
    const uint8_t* src = &coverage[static_cast<size_t>(kAtlasSize - 1 - row) * kAtlasSize];
    uint8_t* dst = &rgb[static_cast<size_t>(row) * kAtlasSize * 3];
    for (int x = 0; x < kAtlasSize; ++x) dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[x];
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, kAtlasSize, kAtlasSize, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

// One list per code: the glyph's cell on a size x size quad (y down), then the pen moves on.
void CompileGlyphLists(uint32_t base, int size, double advance) {
  for (int b = 0; b < kListCount; ++b) {
    const float s0 = static_cast<float>((b % 16) * 0.0625);
    const float t0 = static_cast<float>(1 - (b / 16) * 0.0625);
    const float s1 = s0 + 0.0625f, t1 = t0 - 0.0625f;
    glNewList(base + static_cast<uint32_t>(b), GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0), glVertex2i(0, 0);
    glTexCoord2f(s1, t0), glVertex2i(size, 0);
    glTexCoord2f(s1, t1), glVertex2i(size, size);
    glTexCoord2f(s0, t1), glVertex2i(0, size);
    glEnd();
    glTranslated(advance, 0, 0);
    glEndList();
  }
}

// The x of the side panel's left edge (640 x 480 units) at a scroll position.
float EndTextPanelEdge(float position) {
  const double p = position;
  if (p < 2) return static_cast<float>(640 - std::sin(p * 45 * kDegrees) * 220);
  if (p <= 56) return 420.0f;
  return static_cast<float>(640 - std::sin(((p - 56) * 45 + 90) * kDegrees) * 220);
}

}  // namespace

int BuildFontAtlas() {
  std::vector<uint8_t> coverage(static_cast<size_t>(kAtlasSize) * kAtlasSize);
  if (!RasterizeGlyphAtlas("Arial", true, kCell, coverage)) {
    std::fprintf(stderr, "vale: no font for the text overlays; the text is left out\n");
    return -2;
  }
  UploadAtlas(coverage);
  fontListBase = glGenLists(kListCount);
  largeFontListBase = glGenLists(kListCount);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  // The pen advances half a small cell and 3/8 of a large one: neighbouring quads overlap,
  // and their black backgrounds add nothing under the additive blend text is drawn with.
  CompileGlyphLists(fontListBase, 16, 8);
  CompileGlyphLists(largeFontListBase, 32, 12);
  return 0;
}

void AdvanceEndText() {
  const FrameClock& fc = frameClock;
  // Scrolled by the time between frames, so its speed does not depend on the frame rate.
  endTextPosition += fc.frameTime - fc.previousFrameTime;
}

void DrawEndText() {
  AdvanceEndText();
  const float p = endTextPosition;

  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0, 640, 480, 0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  glListBase(fontListBase);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);

  if (p > 56) {
    // Opaque at 60.5; past 65 the sine turns negative and the quad adds nothing.
    glColor4f(0, 0, 0, static_cast<float>(std::sin((p - 56.0) * 20 * kDegrees)));
    DrawOverlayQuad(0, 0, 640, 480);
  }
  glColor4f(0, 0, 0, 0.6f);
  DrawOverlayQuad(EndTextPanelEdge(p), 0, 640, 480);

  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  if (fontListBase != 0) {  // without an atlas the list names could belong to other lists
    for (size_t i = 0; i < kEndLines.size(); ++i) {
      glLoadIdentity();
      glTranslatef(0, static_cast<float>(16 * i), 0);
      glTranslatef(430, static_cast<float>(510 - 21 * static_cast<double>(p)), 0);
      const std::string_view line = kEndLines[i];
      glCallLists(static_cast<GLsizei>(line.size()), GL_UNSIGNED_BYTE, line.data());
    }
  }

  glEnable(GL_DEPTH_TEST);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

void ReleaseText() {
  if (fontListBase != 0) glDeleteLists(fontListBase, kListCount);
  if (largeFontListBase != 0) glDeleteLists(largeFontListBase, kListCount);
  ResetText();
}

void ResetText() {
  fontListBase = largeFontListBase = 0;
  endTextPosition = 0.0f;
}

void DrawOverlayQuad(float x0, float y0, float x1, float y1) {
  glBegin(GL_QUADS);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glVertex2f(x1, y1);
  glVertex2f(x0, y1);
  glEnd();
}
