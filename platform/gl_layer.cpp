// The Vgl entry points: each goes to the real GL function of its name, or to the ES 3 back end
// when that is in use. Only builds with GLES 3 headers (VALE_GL_ES3) have the ES 3 back end.
#include "platform/gl_layer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#if VALE_GL_ES3
#include "platform/gl_es3.h"
#endif

namespace {
GlBackend gBackend = GlBackend::Native;
}  // namespace

GlBackend CurrentGlBackend() { return gBackend; }

#if VALE_GL_ES3_ONLY
// WebGL 2 is the only GL there is: every call goes to the ES 3 back end, and the desktop GL call
// after it is never reached (nor compiled in).
void SetGlBackend(GlBackend backend) { gBackend = backend; }
#define ES3(call) return es3::call
#elif VALE_GL_ES3
void SetGlBackend(GlBackend backend) { gBackend = backend; }
// Hands the call to the ES 3 back end (and returns) when that is in use.
#define ES3(call) \
  if (gBackend == GlBackend::Es3) return es3::call
#else
#define ES3(call) (void)0
#endif

void* GlLayerProcAddress(const char* name) {
#if VALE_GL_ES3
  if (gBackend != GlBackend::Es3) return nullptr;
  if (std::strcmp(name, "glActiveTextureARB") == 0) return reinterpret_cast<void*>(&es3::ActiveTexture);
  if (std::strcmp(name, "glMultiTexCoord2fARB") == 0) return reinterpret_cast<void*>(&es3::MultiTexCoord2f);
#endif
  return nullptr;
}

bool GlLayerHasExtension(const char* name) {
  return gBackend == GlBackend::Es3 && std::strcmp(name, "GL_ARB_multitexture") == 0;
}

void VglBegin(unsigned mode) { ES3(Begin(mode)); glBegin(mode); }
void VglEnd() { ES3(End()); glEnd(); }
void VglVertex2i(int x, int y) { ES3(Vertex(static_cast<float>(x), static_cast<float>(y), 0.0f)); glVertex2i(x, y); }
void VglVertex2f(float x, float y) { ES3(Vertex(x, y, 0.0f)); glVertex2f(x, y); }
void VglVertex3f(float x, float y, float z) { ES3(Vertex(x, y, z)); glVertex3f(x, y, z); }
void VglVertex3fv(const float* v) { ES3(Vertex(v[0], v[1], v[2])); glVertex3fv(v); }
void VglTexCoord2f(float s, float t) { ES3(TexCoord(0, s, t)); glTexCoord2f(s, t); }
void VglColor3f(float r, float g, float b) { ES3(Color(r, g, b, 1.0f)); glColor3f(r, g, b); }
void VglColor3fv(const float* v) { ES3(Color(v[0], v[1], v[2], 1.0f)); glColor3fv(v); }
void VglColor4f(float r, float g, float b, float a) { ES3(Color(r, g, b, a)); glColor4f(r, g, b, a); }
void VglNormal3f(float x, float y, float z) { ES3(Normal(x, y, z)); glNormal3f(x, y, z); }
void VglNormal3fv(const float* v) { ES3(Normal(v[0], v[1], v[2])); glNormal3fv(v); }

void VglMatrixMode(unsigned mode) { ES3(MatrixMode(mode)); glMatrixMode(mode); }
void VglLoadIdentity() { ES3(LoadIdentity()); glLoadIdentity(); }
void VglPushMatrix() { ES3(PushMatrix()); glPushMatrix(); }
void VglPopMatrix() { ES3(PopMatrix()); glPopMatrix(); }
void VglTranslatef(float x, float y, float z) { ES3(Translate(x, y, z)); glTranslatef(x, y, z); }
void VglTranslated(double x, double y, double z) {
  // GL keeps its matrices in floats: the doubles are rounded on the way in.
  ES3(Translate(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)));
  glTranslated(x, y, z);
}
void VglRotatef(float angle, float x, float y, float z) { ES3(Rotate(angle, x, y, z)); glRotatef(angle, x, y, z); }
void VglScalef(float x, float y, float z) { ES3(Scale(x, y, z)); glScalef(x, y, z); }
void VglOrtho(double left, double right, double bottom, double top, double zNear, double zFar) {
  ES3(Ortho(left, right, bottom, top, zNear, zFar));
  glOrtho(left, right, bottom, top, zNear, zFar);
}
void VgluOrtho2D(double left, double right, double bottom, double top) {
  ES3(Ortho(left, right, bottom, top, -1.0, 1.0));
  gluOrtho2D(left, right, bottom, top);
}
void VgluPerspective(double fovy, double aspect, double zNear, double zFar) {
  ES3(Perspective(fovy, aspect, zNear, zFar));
  gluPerspective(fovy, aspect, zNear, zFar);
}
void VgluLookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
                double upY, double upZ) {
  ES3(LookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ));
  gluLookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
}

void VglEnable(unsigned cap) { ES3(Enable(cap)); glEnable(cap); }
void VglDisable(unsigned cap) { ES3(Disable(cap)); glDisable(cap); }
void VglShadeModel(unsigned mode) { ES3(ShadeModel(mode)); glShadeModel(mode); }
void VglPolygonMode(unsigned face, unsigned mode) { ES3(PolygonMode(face, mode)); glPolygonMode(face, mode); }
void VglFrontFace(unsigned mode) { ES3(FrontFace(mode)); glFrontFace(mode); }
void VglBlendFunc(unsigned source, unsigned destination) {
  ES3(BlendFunc(source, destination));
  glBlendFunc(source, destination);
}
void VglStencilFunc(unsigned func, int ref, unsigned mask) { ES3(StencilFunc(func, ref, mask)); glStencilFunc(func, ref, mask); }
void VglStencilOp(unsigned fail, unsigned depthFail, unsigned pass) {
  ES3(StencilOp(fail, depthFail, pass));
  glStencilOp(fail, depthFail, pass);
}
void VglLightfv(unsigned light, unsigned name, const float* values) {
  ES3(Lightfv(light, name, values));
  glLightfv(light, name, values);
}
void VglFogf(unsigned name, float value) { ES3(Fogfv(name, &value)); glFogf(name, value); }
void VglFogfv(unsigned name, const float* values) { ES3(Fogfv(name, values)); glFogfv(name, values); }

void VglGenTextures(int count, unsigned* names) { ES3(GenTextures(count, names)); glGenTextures(count, names); }
void VglBindTexture(unsigned target, unsigned name) { ES3(BindTexture(target, name)); glBindTexture(target, name); }
void VglTexParameteri(unsigned target, unsigned name, int value) {
  ES3(TexParameteri(target, name, value));
  glTexParameteri(target, name, value);
}
void VglTexEnvf(unsigned target, unsigned name, float value) { ES3(TexEnvf(target, name, value)); glTexEnvf(target, name, value); }
void VglPixelStorei(unsigned name, int value) { ES3(PixelStorei(name, value)); glPixelStorei(name, value); }
void VglTexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,
                   unsigned type, const void* pixels) {
  ES3(TexImage2D(target, level, internalFormat, width, height, border, format, type, pixels));
  glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}

unsigned VglGenLists(int range) {
  ES3(GenLists(range));
  return glGenLists(range);
}
void VglNewList(unsigned list, unsigned mode) { ES3(NewList(list, mode)); glNewList(list, mode); }
void VglEndList() { ES3(EndList()); glEndList(); }
void VglCallList(unsigned list) { ES3(CallList(list)); glCallList(list); }
void VglCallLists(int count, unsigned type, const void* lists) { ES3(CallLists(count, type, lists)); glCallLists(count, type, lists); }
void VglListBase(unsigned base) { ES3(ListBase(base)); glListBase(base); }

void VglEnableClientState(unsigned array) { ES3(EnableClientState(array)); glEnableClientState(array); }
void VglDisableClientState(unsigned array) { ES3(DisableClientState(array)); glDisableClientState(array); }
void VglVertexPointer(int size, unsigned type, int stride, const void* pointer) {
  ES3(ArrayPointer(GL_VERTEX_ARRAY, size, type, stride, pointer));
  glVertexPointer(size, type, stride, pointer);
}
void VglColorPointer(int size, unsigned type, int stride, const void* pointer) {
  ES3(ArrayPointer(GL_COLOR_ARRAY, size, type, stride, pointer));
  glColorPointer(size, type, stride, pointer);
}
void VglTexCoordPointer(int size, unsigned type, int stride, const void* pointer) {
  ES3(ArrayPointer(GL_TEXTURE_COORD_ARRAY, size, type, stride, pointer));
  glTexCoordPointer(size, type, stride, pointer);
}
void VglDrawArrays(unsigned mode, int first, int count) { ES3(DrawArrays(mode, first, count)); glDrawArrays(mode, first, count); }

void VglViewport(int x, int y, int width, int height) { ES3(Viewport(x, y, width, height)); glViewport(x, y, width, height); }
void VglScissor(int x, int y, int width, int height) { ES3(Scissor(x, y, width, height)); glScissor(x, y, width, height); }
void VglClearColor(float r, float g, float b, float a) { ES3(ClearColor(r, g, b, a)); glClearColor(r, g, b, a); }
void VglClear(unsigned mask) { ES3(Clear(mask)); glClear(mask); }
void VglFlush() { ES3(Flush()); glFlush(); }
void VglFinish() { ES3(Finish()); glFinish(); }
void VglReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels) {
  ES3(ReadPixels(x, y, width, height, format, type, pixels));
  glReadPixels(x, y, width, height, format, type, pixels);
}
void VglGetFloatv(unsigned name, float* values) { ES3(GetFloatv(name, values)); glGetFloatv(name, values); }
const unsigned char* VglGetString(unsigned name) {
  ES3(GetString(name));
  return glGetString(name);
}
