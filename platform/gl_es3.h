// platform/gl_es3.h: the GL layer's ES 3 back end: the fixed-function subset the program draws
// with, carried out on an OpenGL ES 3 (or WebGL 2) context. The layer keeps the matrix stacks,
// the current vertex, the lighting, fog and texture-unit state and the display lists itself;
// glBegin/glEnd and client arrays become vertex arrays drawn with glDrawArrays, quads split into
// triangles so that flat shading takes the same vertex's colour as the desktop pipeline; each
// draw uses a shader generated for the state it is drawn with. Depth, stencil, blending and the
// framebuffer calls pass through. The GLES 3 functions come from a table filled by a loader
// (eglGetProcAddress natively), so nothing here clashes with the desktop GL names.
//
// Entry points the program does not use are absent, and the few state values it never sets
// (materials, texture-generation planes, light models) keep GL's defaults.
#pragma once
#include <string>

#include "platform/gl_layer.h"

using GlProcLoader = void* (*)(const char* name);

// Loads the GLES 3 entry points through `load` on the current GLES 3 context, makes the layer's
// buffers and default texture there, puts the layer's state at GL's initial values and switches
// the layer to GlBackend::Es3. False with a message when an entry point is missing.
bool StartEs3Layer(GlProcLoader load, std::string& error);
// Deletes what the layer made on its context (still current) and switches back to Native.
void StopEs3Layer();

// The layer's own: which back end the Vgl entry points use.
void SetGlBackend(GlBackend backend);

// The ES 3 side of each Vgl entry point (platform/gl_layer.h), with the same arguments.
namespace es3 {
void Begin(unsigned mode);
void End();
void Vertex(float x, float y, float z);
void TexCoord(unsigned unit, float s, float t);
void Color(float r, float g, float b, float a);
void Normal(float x, float y, float z);
void ActiveTexture(unsigned unit);
void MultiTexCoord2f(unsigned unit, float s, float t);

void MatrixMode(unsigned mode);
void LoadIdentity();
void PushMatrix();
void PopMatrix();
void Translate(float x, float y, float z);
void Rotate(float angle, float x, float y, float z);
void Scale(float x, float y, float z);
void Ortho(double left, double right, double bottom, double top, double zNear, double zFar);
void Perspective(double fovy, double aspect, double zNear, double zFar);
void LookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
            double upY, double upZ);

void Enable(unsigned cap);
void Disable(unsigned cap);
void ShadeModel(unsigned mode);
void PolygonMode(unsigned face, unsigned mode);
void FrontFace(unsigned mode);
void BlendFunc(unsigned source, unsigned destination);
void StencilFunc(unsigned func, int ref, unsigned mask);
void StencilOp(unsigned fail, unsigned depthFail, unsigned pass);
void Lightfv(unsigned light, unsigned name, const float* values);
void Fogfv(unsigned name, const float* values);

void GenTextures(int count, unsigned* names);
void BindTexture(unsigned target, unsigned name);
void TexParameteri(unsigned target, unsigned name, int value);
void TexEnvf(unsigned target, unsigned name, float value);
void PixelStorei(unsigned name, int value);
void TexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,
                unsigned type, const void* pixels);

unsigned GenLists(int range);
void NewList(unsigned list, unsigned mode);
void EndList();
void CallList(unsigned list);
void CallLists(int count, unsigned type, const void* lists);
void ListBase(unsigned base);

void EnableClientState(unsigned array);
void DisableClientState(unsigned array);
void ArrayPointer(unsigned array, int size, unsigned type, int stride, const void* pointer);
void DrawArrays(unsigned mode, int first, int count);

void Viewport(int x, int y, int width, int height);
void Scissor(int x, int y, int width, int height);
void ClearColor(float r, float g, float b, float a);
void Clear(unsigned mask);
void Flush();
void Finish();
void ReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels);
void GetFloatv(unsigned name, float* values);
const unsigned char* GetString(unsigned name);
}  // namespace es3
