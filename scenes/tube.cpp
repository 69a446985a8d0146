#include "scenes/tube.h"

#include <cmath>

#include "platform/gl.h"

namespace {

// The texture step of a quad: a little short of a twelfth, as the picture always had.
constexpr float kQuadTextureStep = 0.083f;

// Grey of column m: full up to column 24, then darker by 0.1 a column.
float TubeGrey(int m) { return m <= 24 ? 1.0f : static_cast<float>(1 - (m - 24) * 0.1); }

}  // namespace

void FillTubeGrid(float T, double (*angleOf)(int r), TubeGrid& grid) {
  // Subtracting the wiggle at the start puts the centre line through the axis there.
  const double wanderY = 2 * std::sin(T * double{kTubeBy29}) + std::cos(T * double{kTubeBy13});
  const double wanderZ = 2 * std::cos(T * double{kTubeBy33}) + std::sin(T * double{kTubeBy17});
  for (int r = 0; r < 13; ++r) {
    const double a = angleOf(r);
    const double ca = std::cos(a), sa = std::sin(a);
    for (int j = 0; j < 32; ++j) {
      const double rho = 3 - j * double{kTubeTwelfth};
      const float u = static_cast<float>(2 * j) + T;
      grid[r][j] = {static_cast<float>(j),
                    static_cast<float>(2 * (2 * std::sin(u * double{kTubeBy29}) + std::cos(u * double{kTubeBy13}) +
                                            rho * ca - wanderY)),
                    static_cast<float>(2 * (2 * std::cos(u * double{kTubeBy33}) + std::sin(u * double{kTubeBy17}) +
                                            rho * sa - wanderZ))};
    }
  }
}

// The quads go to GL as one array draw, not vertex by vertex: the driver then sees the whole tube at
// once. Sent vertex by vertex, the tube is cut into two draws wherever the driver's vertex buffer
// happens to fill up, and Mesa's software rasteriser draws a cut tube a few pixels differently, so
// the picture would depend on how many vertices every earlier frame sent (and a frame reached by
// replaying only part of the run would not match the same frame of a whole run).
void DrawTubeQuads(const TubeGrid& grid, double t) {
  struct TubeVertex {
    float s, t;
    float grey[3];
    Vec3 at;
  };
  static std::array<TubeVertex, 30 * 12 * 4> vertices;
  TubeVertex* v = vertices.data();
  for (int m = 0; m < 30; ++m) {
    const float g = TubeGrey(m);
    const float along = static_cast<float>(2 * t + m * double{kTubeTwelfth});
    for (int n = 0; n < 12; ++n) {
      const float around = static_cast<float>(n * double{kTubeTwelfth});
      *v++ = {around, along, {g, g, g}, grid[n][m]};
      *v++ = {around + kQuadTextureStep, along, {g, g, g}, grid[n + 1][m]};
      *v++ = {around + kQuadTextureStep, along + kQuadTextureStep, {g, g, g}, grid[n + 1][m + 1]};
      *v++ = {around, along + kQuadTextureStep, {g, g, g}, grid[n][m + 1]};
    }
  }
  constexpr GLsizei stride = sizeof(TubeVertex);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_VERTEX_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, stride, &vertices[0].s);
  glColorPointer(3, GL_FLOAT, stride, vertices[0].grey);
  glVertexPointer(3, GL_FLOAT, stride, &vertices[0].at.x);
  glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(vertices.size()));
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  // An array draw leaves the current colour and texture coordinate undefined; the scenes drawn after
  // the tube inherit them, so they are left as the last vertex set them.
  const TubeVertex& last = vertices.back();
  glColor3fv(last.grey);
  glTexCoord2f(last.s, last.t);
}
