// EGL backend of platform/headless.h: Mesa's surfaceless platform, a desktop OpenGL
// compatibility context (or an OpenGL ES 3 one, drawn on through the GL layer) and a framebuffer
// object with RGBA8 colour and depth24/stencil8. The framebuffer calls have the same names and
// meaning in both APIs; the rest go through the layer, which speaks to either.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES 0
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "platform/gl_es3.h"
#include "platform/gl_layer.h"
#include "platform/headless.h"

namespace {
struct FboCalls {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
};

template <typename T>
bool Load(T& fn, const char* name) {
  fn = reinterpret_cast<T>(eglGetProcAddress(name));
  return fn != nullptr;
}
}  // namespace

struct HeadlessContext {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GLuint framebuffer = 0, colour = 0, depthStencil = 0;
  int width = 0, height = 0;
  bool es3 = false;
  FboCalls gl{};
  mutable std::vector<uint8_t> rgba;  // the last read, bottom row first: kept, so a capture reuses its pages
};

namespace {
// (Re)creates the colour and depth/stencil renderbuffers of the bound framebuffer at a size.
bool AttachStorage(HeadlessContext* h, int width, int height) {
  FboCalls& f = h->gl;
  if (h->colour) f.deleteRenderbuffers(1, &h->colour);
  if (h->depthStencil) f.deleteRenderbuffers(1, &h->depthStencil);
  f.genRenderbuffers(1, &h->colour);
  f.bindRenderbuffer(GL_RENDERBUFFER, h->colour);
  f.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, h->colour);
  f.genRenderbuffers(1, &h->depthStencil);
  f.bindRenderbuffer(GL_RENDERBUFFER, h->depthStencil);
  f.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, h->depthStencil);
  f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, h->depthStencil);
  h->width = width;
  h->height = height;
  return f.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

bool SizeInRange(int width, int height) { return width > 0 && height > 0 && width <= kMaxHeadlessSide && height <= kMaxHeadlessSide; }

void* LoadGlesCall(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

// A framebuffer object draws to and reads from its first colour attachment by default in GLES;
// desktop GL is told so.
void UseFramebufferColour(const HeadlessContext* h) {
  if (h->es3) return;
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
}
}  // namespace

HeadlessContext* CreateHeadlessContext(int width, int height, std::string& error, HeadlessGl gl) {
  const bool es3 = gl == HeadlessGl::Es3;
  if (!SizeInRange(width, height)) {
    error = "framebuffer size out of range";
    return nullptr;
  }
  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  EGLDisplay display = EGL_NO_DISPLAY;
  if (getPlatformDisplay) display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY) {
    error = "EGL has no surfaceless platform (Mesa's EGL is needed)";
    return nullptr;
  }
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) {
    error = "eglInitialize failed";
    return nullptr;
  }
  if (!eglBindAPI(es3 ? EGL_OPENGL_ES_API : EGL_OPENGL_API)) {
    error = es3 ? "EGL cannot bind OpenGL ES" : "EGL cannot bind desktop OpenGL";
    eglTerminate(display);
    return nullptr;
  }
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, es3 ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_BIT,
                                  EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  // Surfaceless: any config will do, the framebuffer object carries the real formats.
  if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1) config = nullptr;
  const EGLint desktopAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                   EGL_NONE};
  const EGLint es3Attribs[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, es3 ? es3Attribs : desktopAttribs);
  if (context == EGL_NO_CONTEXT) {
    error = es3 ? "cannot create an OpenGL ES 3 context through EGL"
                : "cannot create an OpenGL compatibility context through EGL";
    eglTerminate(display);
    return nullptr;
  }
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
    error = "cannot make the surfaceless context current";
    eglDestroyContext(display, context);
    eglTerminate(display);
    return nullptr;
  }
  auto* h = new HeadlessContext;
  h->display = display;
  h->context = context;
  h->width = width;
  h->height = height;
  h->es3 = es3;
  if (es3 && !StartEs3Layer(LoadGlesCall, error)) {
    DestroyHeadlessContext(h);
    return nullptr;
  }
  FboCalls& f = h->gl;
  bool ok = Load(f.genFramebuffers, "glGenFramebuffers") && Load(f.bindFramebuffer, "glBindFramebuffer") &&
            Load(f.deleteFramebuffers, "glDeleteFramebuffers") && Load(f.genRenderbuffers, "glGenRenderbuffers") &&
            Load(f.bindRenderbuffer, "glBindRenderbuffer") && Load(f.deleteRenderbuffers, "glDeleteRenderbuffers") &&
            Load(f.renderbufferStorage, "glRenderbufferStorage") &&
            Load(f.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
            Load(f.checkFramebufferStatus, "glCheckFramebufferStatus");
  if (!ok) {
    error = "the OpenGL context has no framebuffer objects";
    DestroyHeadlessContext(h);
    return nullptr;
  }
  f.genFramebuffers(1, &h->framebuffer);
  f.bindFramebuffer(GL_FRAMEBUFFER, h->framebuffer);
  if (!AttachStorage(h, width, height)) {
    error = "the off-screen framebuffer is incomplete";
    DestroyHeadlessContext(h);
    return nullptr;
  }
  UseFramebufferColour(h);
  VglViewport(0, 0, width, height);
  return h;
}

void DestroyHeadlessContext(HeadlessContext* h) {
  if (!h) return;
  if (h->framebuffer && h->gl.deleteFramebuffers) {
    h->gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    h->gl.deleteFramebuffers(1, &h->framebuffer);
  }
  if (h->colour && h->gl.deleteRenderbuffers) h->gl.deleteRenderbuffers(1, &h->colour);
  if (h->depthStencil && h->gl.deleteRenderbuffers) h->gl.deleteRenderbuffers(1, &h->depthStencil);
  if (h->es3) StopEs3Layer();
  eglMakeCurrent(h->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(h->display, h->context);
  eglTerminate(h->display);
  delete h;
}

bool ResizeHeadlessContext(HeadlessContext* h, int width, int height, std::string& error) {
  if (!h || !SizeInRange(width, height)) {
    error = "framebuffer size out of range";
    return false;
  }
  if (width == h->width && height == h->height) return true;
  VglFinish();  // nothing still drawing into the storage that goes
  h->gl.bindFramebuffer(GL_FRAMEBUFFER, h->framebuffer);
  if (!AttachStorage(h, width, height)) {
    error = "the resized off-screen framebuffer is incomplete";
    return false;
  }
  UseFramebufferColour(h);
  return true;
}

void GetHeadlessSize(const HeadlessContext* h, int& width, int& height) {
  width = h ? h->width : 0;
  height = h ? h->height : 0;
}

static std::vector<uint8_t> ReadRows(const HeadlessContext* h, GLenum format, int channels) {
  std::vector<uint8_t> bottomUp(static_cast<size_t>(h->width) * h->height * channels);
  VglFinish();
  VglPixelStorei(GL_PACK_ALIGNMENT, 1);
  VglReadPixels(0, 0, h->width, h->height, format, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<uint8_t> topDown(bottomUp.size());
  size_t rowBytes = static_cast<size_t>(h->width) * channels;
  for (int y = 0; y < h->height; ++y)
    std::copy_n(bottomUp.data() + (h->height - 1 - y) * rowBytes, rowBytes, topDown.data() + y * rowBytes);
  return topDown;
}

std::vector<uint8_t> ReadHeadlessPixels(const HeadlessContext* h) {
  std::vector<uint8_t> rgb;
  ReadHeadlessPixelsInto(h, rgb);
  return rgb;
}

void ReadHeadlessFramebufferInto(const HeadlessContext* h, std::vector<uint8_t>& rgba) {
  if (!h) return rgba.clear();
  // RGBA is the framebuffer's own layout, so the read is a plain copy; storage of the right size
  // is written over as it is, not cleared first.
  rgba.resize(static_cast<size_t>(h->width) * h->height * 4);
  VglFinish();
  VglPixelStorei(GL_PACK_ALIGNMENT, 1);
  VglReadPixels(0, 0, h->width, h->height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

void RgbRowsFromFramebuffer(std::span<const uint8_t> rgba, int width, int height, std::vector<uint8_t>& rgb) {
  // The alpha goes and the rows turn over in one pass. Each pixel is copied whole, four bytes,
  // and the next one written over its alpha; the last of a row takes only its three.
  const size_t w = static_cast<size_t>(width);
  rgb.resize(w * height * 3);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = rgba.data() + (height - 1 - y) * w * 4;
    uint8_t* out = rgb.data() + y * w * 3;
    for (size_t x = 0; x + 1 < w; ++x, in += 4, out += 3) std::memcpy(out, in, 4);
    std::memcpy(out, in, 3);
  }
}

void ReadHeadlessPixelsInto(const HeadlessContext* h, std::vector<uint8_t>& rgb) {
  rgb.clear();
  if (!h) return;
  ReadHeadlessFramebufferInto(h, h->rgba);
  RgbRowsFromFramebuffer(h->rgba, h->width, h->height, rgb);
}

std::vector<uint8_t> ReadHeadlessStencil(const HeadlessContext* h) {
  if (!h || h->es3) return {};
  return ReadRows(h, GL_STENCIL_INDEX, 1);
}
