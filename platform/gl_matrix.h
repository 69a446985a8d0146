// platform/gl_matrix.h: the 4 x 4 matrices of the ES 3 layer's matrix stacks, column-major as
// GL keeps them, with the products and transforms worked in floats in the order the desktop
// fixed-function pipeline works them, so that a vertex lands on the same pixel through the layer
// as through the real GL, and the matrices the scenes read back are the same numbers.
#pragma once

struct GlMatrix {
  float m[16];
};

GlMatrix IdentityMatrix();
// a x b.
GlMatrix MultiplyMatrices(const GlMatrix& a, const GlMatrix& b);
// The stack's top times a new matrix, as glMultMatrixf does.
void MultiplyMatrix(GlMatrix& top, const GlMatrix& by);
void TranslateMatrix(GlMatrix& top, float x, float y, float z);
void ScaleMatrix(GlMatrix& top, float x, float y, float z);
void RotateMatrix(GlMatrix& top, float degrees, float x, float y, float z);
void OrthoMatrix(GlMatrix& top, float left, float right, float bottom, float top_, float zNear, float zFar);
// GLU's projection and view, each built as GLU builds it (in doubles, or floats for the view)
// and multiplied on as GLU multiplies it.
void PerspectiveMatrix(GlMatrix& top, double fovy, double aspect, double zNear, double zFar);
void LookAtMatrix(GlMatrix& top, double eyeX, double eyeY, double eyeZ, double centreX, double centreY,
                  double centreZ, double upX, double upY, double upZ);
// m x (x, y, z, w).
void TransformPoint(const GlMatrix& m, const float in[4], float out[4]);
// The normal matrix: the transpose of the inverse of the upper 3 x 3, column-major (identity when
// that part is singular).
void NormalMatrix(const GlMatrix& m, float out[9]);
