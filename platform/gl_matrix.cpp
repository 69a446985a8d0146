#include "platform/gl_matrix.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;

// Element (row, column) of a column-major matrix.
float& At(GlMatrix& a, int row, int column) { return a.m[column * 4 + row]; }
float At(const GlMatrix& a, int row, int column) { return a.m[column * 4 + row]; }

void NormalizeFloats(float v[3]) {
  const float r = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
  if (r == 0.0f) return;
  v[0] /= r;
  v[1] /= r;
  v[2] /= r;
}

void Cross(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}
}  // namespace

GlMatrix IdentityMatrix() {
  GlMatrix a{};
  a.m[0] = a.m[5] = a.m[10] = a.m[15] = 1.0f;
  return a;
}

GlMatrix MultiplyMatrices(const GlMatrix& a, const GlMatrix& b) {
  GlMatrix p;
  // Row by row, each sum left to right in floats.
  for (int i = 0; i < 4; ++i) {
    const float ai0 = At(a, i, 0), ai1 = At(a, i, 1), ai2 = At(a, i, 2), ai3 = At(a, i, 3);
    for (int j = 0; j < 4; ++j) At(p, i, j) = ai0 * At(b, 0, j) + ai1 * At(b, 1, j) + ai2 * At(b, 2, j) + ai3 * At(b, 3, j);
  }
  return p;
}

void MultiplyMatrix(GlMatrix& top, const GlMatrix& by) { top = MultiplyMatrices(top, by); }

void TranslateMatrix(GlMatrix& top, float x, float y, float z) {
  float* m = top.m;
  m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
  m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
  m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
  m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
}

void ScaleMatrix(GlMatrix& top, float x, float y, float z) {
  float* m = top.m;
  for (int k = 0; k < 4; ++k) {
    m[k] *= x;
    m[4 + k] *= y;
    m[8 + k] *= z;
  }
}

void RotateMatrix(GlMatrix& top, float degrees, float x, float y, float z) {
  if (degrees == 0.0f) return;  // GL leaves the matrix alone
  const float s = static_cast<float>(std::sin(degrees * kPi / 180.0));
  const float c = static_cast<float>(std::cos(degrees * kPi / 180.0));
  GlMatrix r = IdentityMatrix();
  // A turn about one axis is written out directly, so its zeros stay exact.
  if (x == 0.0f && y == 0.0f && z != 0.0f) {
    At(r, 0, 0) = c, At(r, 1, 1) = c;
    At(r, 0, 1) = z < 0 ? s : -s, At(r, 1, 0) = z < 0 ? -s : s;
  } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
    At(r, 0, 0) = c, At(r, 2, 2) = c;
    At(r, 0, 2) = y < 0 ? -s : s, At(r, 2, 0) = y < 0 ? s : -s;
  } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
    At(r, 1, 1) = c, At(r, 2, 2) = c;
    At(r, 1, 2) = x < 0 ? s : -s, At(r, 2, 1) = x < 0 ? -s : s;
  } else {
    const float mag = static_cast<float>(std::sqrt(x * x + y * y + z * z));
    if (mag <= 1.0e-4f) return;
    x /= mag, y /= mag, z /= mag;
    const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
    const float xs = x * s, ys = y * s, zs = z * s, one_c = 1.0f - c;
    At(r, 0, 0) = (one_c * xx) + c, At(r, 0, 1) = (one_c * xy) - zs, At(r, 0, 2) = (one_c * zx) + ys;
    At(r, 1, 0) = (one_c * xy) + zs, At(r, 1, 1) = (one_c * yy) + c, At(r, 1, 2) = (one_c * yz) - xs;
    At(r, 2, 0) = (one_c * zx) - ys, At(r, 2, 1) = (one_c * yz) + xs, At(r, 2, 2) = (one_c * zz) + c;
  }
  MultiplyMatrix(top, r);
}

void OrthoMatrix(GlMatrix& top, float left, float right, float bottom, float top_, float zNear, float zFar) {
  GlMatrix o = IdentityMatrix();
  At(o, 0, 0) = 2.0f / (right - left);
  At(o, 0, 3) = -(right + left) / (right - left);
  At(o, 1, 1) = 2.0f / (top_ - bottom);
  At(o, 1, 3) = -(top_ + bottom) / (top_ - bottom);
  At(o, 2, 2) = -2.0f / (zFar - zNear);
  At(o, 2, 3) = -(zFar + zNear) / (zFar - zNear);
  MultiplyMatrix(top, o);
}

void PerspectiveMatrix(GlMatrix& top, double fovy, double aspect, double zNear, double zFar) {
  const double radians = fovy / 2 * kPi / 180;
  const double deltaZ = zFar - zNear, sine = std::sin(radians);
  if (deltaZ == 0 || sine == 0 || aspect == 0) return;
  const double cotangent = std::cos(radians) / sine;
  double d[16] = {};
  d[0] = cotangent / aspect;
  d[5] = cotangent;
  d[10] = -(zFar + zNear) / deltaZ;
  d[11] = -1;
  d[14] = -2 * zNear * zFar / deltaZ;
  GlMatrix p;
  for (int k = 0; k < 16; ++k) p.m[k] = static_cast<float>(d[k]);
  MultiplyMatrix(top, p);
}

void LookAtMatrix(GlMatrix& top, double eyeX, double eyeY, double eyeZ, double centreX, double centreY,
                  double centreZ, double upX, double upY, double upZ) {
  float forward[3] = {static_cast<float>(centreX - eyeX), static_cast<float>(centreY - eyeY),
                      static_cast<float>(centreZ - eyeZ)};
  float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
  float side[3];
  NormalizeFloats(forward);
  Cross(forward, up, side);
  NormalizeFloats(side);
  Cross(side, forward, up);
  GlMatrix v = IdentityMatrix();
  for (int k = 0; k < 3; ++k) {
    At(v, 0, k) = side[k];
    At(v, 1, k) = up[k];
    At(v, 2, k) = -forward[k];
  }
  MultiplyMatrix(top, v);
  TranslateMatrix(top, static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

void TransformPoint(const GlMatrix& m, const float in[4], float out[4]) {
  for (int r = 0; r < 4; ++r)
    out[r] = At(m, r, 0) * in[0] + At(m, r, 1) * in[1] + At(m, r, 2) * in[2] + At(m, r, 3) * in[3];
}

void NormalMatrix(const GlMatrix& m, float out[9]) {
  // The inverse of the upper 3 x 3 by cofactors; its transpose is the cofactor matrix over the
  // determinant, laid out column-major.
  const double a = At(m, 0, 0), b = At(m, 0, 1), c = At(m, 0, 2);
  const double d = At(m, 1, 0), e = At(m, 1, 1), f = At(m, 1, 2);
  const double g = At(m, 2, 0), h = At(m, 2, 1), i = At(m, 2, 2);
  const double cof[3][3] = {{e * i - f * h, f * g - d * i, d * h - e * g},
                            {c * h - b * i, a * i - c * g, b * g - a * h},
                            {b * f - c * e, c * d - a * f, a * e - b * d}};
  const double det = a * cof[0][0] + b * cof[0][1] + c * cof[0][2];
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      out[column * 3 + row] = det == 0 ? (row == column ? 1.0f : 0.0f) : static_cast<float>(cof[row][column] / det);
}
