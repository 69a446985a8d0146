// platform/gl_layer.h: the fixed-function GL the program draws with, behind one set of entry
// points. With GlBackend::Native every call goes straight to the real OpenGL 1.1 (and GLU)
// function of the same name, so the program draws exactly as it would calling GL itself; with
// GlBackend::Es3 the calls are carried out over OpenGL ES 3 (platform/gl_es3.h), which has no
// fixed-function pipeline, no immediate mode and no display lists, by the layer's own state,
// vertex arrays and generated shaders. Only the subset the program uses exists.
//
// Code that draws includes platform/gl.h, which maps the GL and GLU names onto these. The types
// are plain C++ ones equal to GL's (GLenum is unsigned, GLsizei int, GLfloat float), so this
// header needs no GL header of either kind.
#pragma once

enum class GlBackend { Native, Es3 };

// Native until the ES 3 layer is started on a GLES 3 context (StartEs3Layer).
GlBackend CurrentGlBackend();

// What the ES 3 layer offers through an extension look-up: the ARB multitexture entry points
// (the layer's own) and that extension's name. Null and false for anything else, and always
// with GlBackend::Native, where the context answers for itself.
void* GlLayerProcAddress(const char* name);
bool GlLayerHasExtension(const char* name);

// --- immediate mode --------------------------------------------------------------------
void VglBegin(unsigned mode);
void VglEnd();
void VglVertex2i(int x, int y);
void VglVertex2f(float x, float y);
void VglVertex3f(float x, float y, float z);
void VglVertex3fv(const float* v);
void VglTexCoord2f(float s, float t);
void VglColor3f(float r, float g, float b);
void VglColor3fv(const float* v);
void VglColor4f(float r, float g, float b, float a);
void VglNormal3f(float x, float y, float z);
void VglNormal3fv(const float* v);

// --- matrices --------------------------------------------------------------------------
void VglMatrixMode(unsigned mode);
void VglLoadIdentity();
void VglPushMatrix();
void VglPopMatrix();
void VglTranslatef(float x, float y, float z);
void VglTranslated(double x, double y, double z);
void VglRotatef(float angle, float x, float y, float z);
void VglScalef(float x, float y, float z);
void VglOrtho(double left, double right, double bottom, double top, double zNear, double zFar);
void VgluOrtho2D(double left, double right, double bottom, double top);
void VgluPerspective(double fovy, double aspect, double zNear, double zFar);
void VgluLookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
                double upY, double upZ);

// --- state -----------------------------------------------------------------------------
void VglEnable(unsigned cap);
void VglDisable(unsigned cap);
void VglShadeModel(unsigned mode);
void VglPolygonMode(unsigned face, unsigned mode);
void VglFrontFace(unsigned mode);
void VglBlendFunc(unsigned source, unsigned destination);
void VglStencilFunc(unsigned func, int ref, unsigned mask);
void VglStencilOp(unsigned fail, unsigned depthFail, unsigned pass);
void VglLightfv(unsigned light, unsigned name, const float* values);
void VglFogf(unsigned name, float value);
void VglFogfv(unsigned name, const float* values);

// --- textures --------------------------------------------------------------------------
void VglGenTextures(int count, unsigned* names);
void VglBindTexture(unsigned target, unsigned name);
void VglTexParameteri(unsigned target, unsigned name, int value);
void VglTexEnvf(unsigned target, unsigned name, float value);
void VglPixelStorei(unsigned name, int value);
void VglTexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,
                   unsigned type, const void* pixels);

// --- display lists ---------------------------------------------------------------------
unsigned VglGenLists(int range);
void VglNewList(unsigned list, unsigned mode);
void VglEndList();
void VglCallList(unsigned list);
void VglCallLists(int count, unsigned type, const void* lists);
void VglListBase(unsigned base);

// --- client arrays ---------------------------------------------------------------------
void VglEnableClientState(unsigned array);
void VglDisableClientState(unsigned array);
void VglVertexPointer(int size, unsigned type, int stride, const void* pointer);
void VglColorPointer(int size, unsigned type, int stride, const void* pointer);
void VglTexCoordPointer(int size, unsigned type, int stride, const void* pointer);
void VglDrawArrays(unsigned mode, int first, int count);

// --- framebuffer and queries -----------------------------------------------------------
void VglViewport(int x, int y, int width, int height);
void VglScissor(int x, int y, int width, int height);
void VglClearColor(float r, float g, float b, float a);
void VglClear(unsigned mask);
void VglFlush();
void VglFinish();
void VglReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels);
void VglGetFloatv(unsigned name, float* values);
const unsigned char* VglGetString(unsigned name);
