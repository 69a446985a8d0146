#include "scenes/tube.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// The texture step of a quad: a little short of a twelfth, as the picture always had.
constexpr float kQuadTextureStep = 0.083f;

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

float TubeGrey(int m) { return m <= 24 ? 1.0f : static_cast<float>(1 - (m - 24) * 0.1); }

void DrawTubeQuads(const TubeGrid& grid, double t) {
  glBegin(GL_QUADS);
  for (int m = 0; m < 30; ++m) {
    const float g = TubeGrey(m);
    glColor3f(g, g, g);
    const float along = static_cast<float>(2 * t + m * double{kTubeTwelfth});
    for (int n = 0; n < 12; ++n) {
      const float around = static_cast<float>(n * double{kTubeTwelfth});
      glTexCoord2f(around, along);
      glVertex3fv(&grid[n][m].x);
      glTexCoord2f(around + kQuadTextureStep, along);
      glVertex3fv(&grid[n + 1][m].x);
      glTexCoord2f(around + kQuadTextureStep, along + kQuadTextureStep);
      glVertex3fv(&grid[n + 1][m + 1].x);
      glTexCoord2f(around, along + kQuadTextureStep);
      glVertex3fv(&grid[n][m + 1].x);
    }
  }
  glEnd();
}
