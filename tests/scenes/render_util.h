// tests/scenes/render_util.h: one off-screen picture of the scenes' 640 x 480 virtual screen,
// read back with row 0 at the top, and plain textures standing in for the generated ones.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless.h"

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return &rgb[3 * (static_cast<size_t>(y) * width + x)]; }
  int Grey(int x, int y) const { return (At(x, y)[0] + At(x, y)[1] + At(x, y)[2]) / 3; }
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
