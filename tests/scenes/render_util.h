// tests/scenes/render_util.h: one off-screen picture of the scenes' 640 x 480 virtual screen,
// read back with row 0 at the top, and plain textures standing in for the generated ones.
#pragma once
#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/headless.h"
#include "scenes/scene_table.h"
#include "tests/headless_util.h"
#include "texgen/upload.h"

struct Rgb {
  int r, g, b;
};
inline bool Near(Rgb a, Rgb b, int tolerance = 6) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}
inline bool IsGrey(Rgb c) { return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) <= 3; }

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  Rgb At(int x, int y) const {
    const uint8_t* p = &rgb[3 * (static_cast<size_t>(y) * width + x)];
    return {p[0], p[1], p[2]};
  }
  int Grey(int x, int y) const { return (At(x, y).r + At(x, y).g + At(x, y).b) / 3; }
  // How many pixels `keep(x, y, colour)` accepts.
  template <typename Keep>
  int Count(Keep keep) const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += keep(x, y, At(x, y));
    return n;
  }
};

inline Picture ReadPicture(const HeadlessContext* context) {
  Picture p;
  GetHeadlessSize(context, p.width, p.height);
  p.rgb = ReadHeadlessPixels(context);
  return p;
}

// A 2 x 2 texture of one colour under a new name.
inline uint32_t MakePlainTexture(uint8_t r, uint8_t g, uint8_t b) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const uint8_t texels[12] = {r, g, b, r, g, b, r, g, b, r, g, b};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  return name;
}

// Generated texture k stood in for by one plain colour, so each pixel tells which texture (if
// any) it came from: 1 red, 2 green, 3 blue; 8 (the sprites' glow) black, so additive sprites
// add nothing; the others white.
inline constexpr Rgb kTextureColour[GeneratedTextureCount] = {
    {255, 255, 255}, {255, 0, 0},     {0, 255, 0},     {0, 0, 255}, {255, 255, 255},
    {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {0, 0, 0}};

// A scene drawn W x H from the state of program start, with the plain textures bound as the
// generated ones.
template <int W, int H>
class PlainTextureTest : public HeadlessTest<W, H> {
 protected:
  void SetUp() override {
    HeadlessTest<W, H>::SetUp();
    if (!this->context_) return;
    ResetScenes();
    for (int k = 0; k < GeneratedTextureCount; ++k) {
      const Rgb c = kTextureColour[k];
      textureNames[k] = MakePlainTexture(uint8_t(c.r), uint8_t(c.g), uint8_t(c.b));
    }
  }
  void TearDown() override {
    textureNames.fill(0);
    HeadlessTest<W, H>::TearDown();
  }
};
