// The ES 3 back end's state half: the matrix stacks, the current vertex, immediate mode, display
// lists, client arrays, textures and the fixed-function switches, kept as GL 1.1 keeps them.
// Drawing is gl_es3_draw.cpp's.
#include "platform/gl_es3.h"

#include <algorithm>
#include <cstring>

#include "platform/gl_es3_state.h"

Es3Calls gles;
LayerState layer;

namespace {

constexpr size_t kMaxStackDepth = 32;  // deeper pushes are refused, as GL refuses them
constexpr int kMaxListNesting = 64;

using Op = ListCommand::Op;

// While a list is recorded, a command that belongs in it is added; true when it is only to be
// recorded (GL_COMPILE), false when it also runs now.
bool Recorded(Op op, uint32_t value = 0, float a = 0, float b = 0, float c = 0, float d = 0) {
  if (layer.compiling == 0) return false;
  layer.recording.push_back({op, value, {a, b, c, d}});
  return layer.compileMode == gl11::kCompile;
}

std::vector<GlMatrix>& CurrentStack() {
  if (layer.matrixMode == gl11::kProjection) return layer.projection;
  if (layer.matrixMode == gl11::kTexture) return layer.units[static_cast<size_t>(layer.activeUnit)].textureStack;
  return layer.modelview;
}

GlMatrix& ChangeTop() {
  ++layer.matrixVersion;
  return CurrentStack().back();
}

LayerUnit& ActiveUnit() { return layer.units[static_cast<size_t>(layer.activeUnit)]; }

void SetCap(GLenum cap, bool on) {
  if (cap >= gl11::kLight0 && cap < gl11::kLight0 + kLayerLights) {
    layer.lights[cap - gl11::kLight0].enabled = on;
    ++layer.lightVersion;
    return;
  }
  switch (cap) {
    case GL_TEXTURE_2D: ActiveUnit().texture2D = on; return;
    case gl11::kTextureGenS: ActiveUnit().genS = on; return;
    case gl11::kTextureGenT: ActiveUnit().genT = on; return;
    case gl11::kLighting: layer.lighting = on; return;
    case gl11::kFog: layer.fog = on; return;
    case GL_BLEND:
    case GL_DEPTH_TEST:
    case GL_STENCIL_TEST:
    case GL_CULL_FACE:
    case GL_SCISSOR_TEST:
    case GL_DITHER:
    case GL_POLYGON_OFFSET_FILL:
      on ? gles.Enable(cap) : gles.Disable(cap);
      return;
    default:
      // Anything else (GL_NORMALIZE, GL_COLOR_MATERIAL, ...) the program leaves at its default
      // and the layer does not model.
      return;
  }
}

// Component k of element i of a client array as a float: floats as they are, bytes scaled to
// 0..1 (colours). Other types are not used by the program and read as 0.
float ArrayValue(const LayerArray& a, int i, int k) {
  const size_t size = static_cast<size_t>(a.size);
  if (a.type == GL_FLOAT) {
    const size_t stride = a.stride ? static_cast<size_t>(a.stride) : size * sizeof(float);
    float v;
    std::memcpy(&v, static_cast<const char*>(a.pointer) + stride * static_cast<size_t>(i) + sizeof(float) * k, sizeof v);
    return v;
  }
  if (a.type == GL_UNSIGNED_BYTE) {
    const size_t stride = a.stride ? static_cast<size_t>(a.stride) : size;
    return static_cast<const uint8_t*>(a.pointer)[stride * static_cast<size_t>(i) + static_cast<size_t>(k)] / 255.0f;
  }
  return 0.0f;
}

// Reads element i of an enabled array into `out`, whose unread components keep their defaults.
void ReadArray(const LayerArray& a, int i, float* out, int components) {
  if (!a.enabled || !a.pointer) return;
  for (int k = 0; k < std::min(a.size, components); ++k) out[k] = ArrayValue(a, i, k);
}

void RunCommand(const ListCommand& c) {
  switch (c.op) {
    case Op::Begin: es3::Begin(c.value); break;
    case Op::End: es3::End(); break;
    case Op::Vertex: es3::Vertex(c.v[0], c.v[1], c.v[2]); break;
    case Op::TexCoord: es3::TexCoord(c.value, c.v[0], c.v[1]); break;
    case Op::Color: es3::Color(c.v[0], c.v[1], c.v[2], c.v[3]); break;
    case Op::Normal: es3::Normal(c.v[0], c.v[1], c.v[2]); break;
    case Op::MatrixMode: es3::MatrixMode(c.value); break;
    case Op::LoadIdentity: es3::LoadIdentity(); break;
    case Op::Push: es3::PushMatrix(); break;
    case Op::Pop: es3::PopMatrix(); break;
    case Op::Translate: es3::Translate(c.v[0], c.v[1], c.v[2]); break;
    case Op::Rotate: es3::Rotate(c.v[0], c.v[1], c.v[2], c.v[3]); break;
    case Op::Scale: es3::Scale(c.v[0], c.v[1], c.v[2]); break;
    case Op::CallList: es3::CallList(c.value); break;
    case Op::ListBase: es3::ListBase(c.value); break;
  }
}

}  // namespace

bool StartEs3Layer(GlProcLoader load, std::string& error) {
#define VALE_ES3_LOAD(upper, name)                                                 \
  gles.name = reinterpret_cast<PFNGL##upper##PROC>(load("gl" #name));              \
  if (!gles.name) {                                                                \
    error = "the GLES 3 context has no gl" #name;                                  \
    return false;                                                                  \
  }
  VALE_ES3_CALLS(VALE_ES3_LOAD)
#undef VALE_ES3_LOAD
  layer = LayerState{};
  const float white[4] = {1, 1, 1, 1};
  std::copy_n(white, 4, layer.lights[0].diffuse);
  std::copy_n(white, 4, layer.lights[0].specular);
  // Texture 0 is a texture like any other in GL 1.1 (the glyph atlas lives there); WebGL cannot
  // give the default binding an image, so the layer stands in a texture of its own for it.
  gles.GenTextures(1, &layer.defaultTexture);
  for (int unit = kLayerUnits - 1; unit >= 0; --unit) {
    gles.ActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    gles.BindTexture(GL_TEXTURE_2D, layer.defaultTexture);
  }
  if (!StartLayerDrawing(error)) return false;
  SetGlBackend(GlBackend::Es3);
  return true;
}

void StopEs3Layer() {
  if (CurrentGlBackend() != GlBackend::Es3) return;
  StopLayerDrawing();
  gles.DeleteTextures(1, &layer.defaultTexture);
  layer = LayerState{};
  SetGlBackend(GlBackend::Native);
}

namespace es3 {

// --- immediate mode --------------------------------------------------------------------

void Begin(unsigned mode) {
  if (Recorded(Op::Begin, mode)) return;
  layer.inBegin = true;
  layer.primitive = mode;
  layer.vertices.clear();
}

void End() {
  if (Recorded(Op::End) || !layer.inBegin) return;
  layer.inBegin = false;
  DrawPrimitive(layer.primitive, layer.vertices);
}

void Vertex(float x, float y, float z) {
  if (Recorded(Op::Vertex, 0, x, y, z) || !layer.inBegin) return;
  LayerVertex v;
  const float p[4] = {x, y, z, 1};
  std::copy_n(p, 4, v.position);
  std::copy_n(layer.colour, 4, v.colour);
  std::copy_n(layer.normal, 3, v.normal);
  for (int u = 0; u < kLayerUnits; ++u) std::copy_n(layer.texCoord[u], 4, v.texCoord[u]);
  layer.vertices.push_back(v);
}

void TexCoord(unsigned unit, float s, float t) {
  if (unit >= kLayerUnits || Recorded(Op::TexCoord, unit, s, t)) return;
  const float c[4] = {s, t, 0, 1};
  std::copy_n(c, 4, layer.texCoord[unit]);
}

void Color(float r, float g, float b, float a) {
  if (Recorded(Op::Color, 0, r, g, b, a)) return;
  const float c[4] = {r, g, b, a};
  std::copy_n(c, 4, layer.colour);
}

void Normal(float x, float y, float z) {
  if (Recorded(Op::Normal, 0, x, y, z)) return;
  const float n[3] = {x, y, z};
  std::copy_n(n, 3, layer.normal);
}

void ActiveTexture(unsigned unit) {
  if (unit < GL_TEXTURE0 || unit >= GL_TEXTURE0 + kLayerUnits) return;
  layer.activeUnit = static_cast<int>(unit - GL_TEXTURE0);
  gles.ActiveTexture(unit);
}

void MultiTexCoord2f(unsigned unit, float s, float t) { TexCoord(unit - GL_TEXTURE0, s, t); }

// --- matrices --------------------------------------------------------------------------

void MatrixMode(unsigned mode) {
  if (Recorded(Op::MatrixMode, mode)) return;
  layer.matrixMode = mode;
}

void LoadIdentity() {
  if (Recorded(Op::LoadIdentity)) return;
  ChangeTop() = IdentityMatrix();
}

void PushMatrix() {
  if (Recorded(Op::Push)) return;
  std::vector<GlMatrix>& stack = CurrentStack();
  if (stack.size() < kMaxStackDepth) stack.push_back(stack.back());
}

void PopMatrix() {
  if (Recorded(Op::Pop)) return;
  std::vector<GlMatrix>& stack = CurrentStack();
  if (stack.size() < 2) return;
  stack.pop_back();
  ++layer.matrixVersion;
}

void Translate(float x, float y, float z) {
  if (Recorded(Op::Translate, 0, x, y, z)) return;
  TranslateMatrix(ChangeTop(), x, y, z);
}

void Rotate(float angle, float x, float y, float z) {
  if (Recorded(Op::Rotate, 0, angle, x, y, z)) return;
  RotateMatrix(ChangeTop(), angle, x, y, z);
}

void Scale(float x, float y, float z) {
  if (Recorded(Op::Scale, 0, x, y, z)) return;
  ScaleMatrix(ChangeTop(), x, y, z);
}

void Ortho(double left, double right, double bottom, double top, double zNear, double zFar) {
  OrthoMatrix(ChangeTop(), static_cast<float>(left), static_cast<float>(right), static_cast<float>(bottom),
              static_cast<float>(top), static_cast<float>(zNear), static_cast<float>(zFar));
}

void Perspective(double fovy, double aspect, double zNear, double zFar) {
  PerspectiveMatrix(ChangeTop(), fovy, aspect, zNear, zFar);
}

void LookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
            double upY, double upZ) {
  LookAtMatrix(ChangeTop(), eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
}

// --- state -----------------------------------------------------------------------------

void Enable(unsigned cap) { SetCap(cap, true); }
void Disable(unsigned cap) { SetCap(cap, false); }
void ShadeModel(unsigned mode) { layer.flat = mode == gl11::kFlat; }

void PolygonMode(unsigned face, unsigned mode) {
  if (face == GL_FRONT || face == GL_FRONT_AND_BACK) layer.polygonFront = mode;
  if (face == GL_BACK || face == GL_FRONT_AND_BACK) layer.polygonBack = mode;
}

void FrontFace(unsigned mode) { gles.FrontFace(mode); }
void BlendFunc(unsigned source, unsigned destination) { gles.BlendFunc(source, destination); }
void StencilFunc(unsigned func, int ref, unsigned mask) { gles.StencilFunc(func, ref, mask); }
void StencilOp(unsigned fail, unsigned depthFail, unsigned pass) { gles.StencilOp(fail, depthFail, pass); }

void Lightfv(unsigned light, unsigned name, const float* values) {
  if (light < gl11::kLight0 || light >= gl11::kLight0 + kLayerLights) return;
  LayerLight& l = layer.lights[light - gl11::kLight0];
  switch (name) {
    case gl11::kAmbient: std::copy_n(values, 4, l.ambient); break;
    case gl11::kDiffuse: std::copy_n(values, 4, l.diffuse); break;
    case gl11::kSpecular: std::copy_n(values, 4, l.specular); break;
    // GL keeps the position in eye coordinates: through the model-view matrix of the moment.
    case gl11::kPosition: TransformPoint(layer.modelview.back(), values, l.position); break;
    case gl11::kConstantAttenuation: l.attenuation[0] = values[0]; break;
    case gl11::kLinearAttenuation: l.attenuation[1] = values[0]; break;
    case gl11::kQuadraticAttenuation: l.attenuation[2] = values[0]; break;
    default: return;  // spot lights: not used
  }
  ++layer.lightVersion;
}

void Fogfv(unsigned name, const float* values) {
  switch (name) {
    case gl11::kFogDensity: layer.fogDensity = values[0]; break;
    case gl11::kFogStart: layer.fogStart = values[0]; break;
    case gl11::kFogEnd: layer.fogEnd = values[0]; break;
    case gl11::kFogMode: layer.fogMode = static_cast<GLenum>(values[0]); break;
    case gl11::kFogColor: std::copy_n(values, 4, layer.fogColour); break;
    default: return;
  }
  ++layer.fogVersion;
}

// --- textures --------------------------------------------------------------------------

void GenTextures(int count, unsigned* names) { gles.GenTextures(count, names); }

void BindTexture(unsigned target, unsigned name) {
  if (target != GL_TEXTURE_2D) return;
  ActiveUnit().bound = name;
  gles.BindTexture(GL_TEXTURE_2D, RealTexture(name));
}

void TexParameteri(unsigned target, unsigned name, int value) {
  if (name == GL_TEXTURE_MIN_FILTER)
    layer.textures[RealTexture(ActiveUnit().bound)].mipmapFilter = value != GL_NEAREST && value != GL_LINEAR;
  gles.TexParameteri(target, name, value);
}

void TexEnvf(unsigned target, unsigned name, float value) {
  if (target == gl11::kTextureEnv && name == gl11::kTextureEnvMode) ActiveUnit().envMode = static_cast<GLenum>(value);
}

void PixelStorei(unsigned name, int value) {
  if (name == GL_PACK_ALIGNMENT) layer.packAlignment = value;
  gles.PixelStorei(name, value);
}

void TexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,
                unsigned type, const void* pixels) {
  // GL 1.1's component counts name the unsized formats GLES wants, which must equal `format`.
  GLenum base = static_cast<GLenum>(internalFormat);
  if (internalFormat == 3 || internalFormat == GL_RGB8) base = GL_RGB;
  if (internalFormat == 4 || internalFormat == GL_RGBA8) base = GL_RGBA;
  gles.TexImage2D(target, level, static_cast<GLint>(base), width, height, border, format, type, pixels);
  if (level != 0) return;
  LayerTexture& texture = layer.textures[RealTexture(ActiveUnit().bound)];
  texture.hasImage = true;
  texture.alpha = base == GL_RGBA;
}

// --- display lists ---------------------------------------------------------------------

unsigned GenLists(int range) {
  if (range <= 0) return 0;
  const GLuint first = layer.nextList;
  layer.nextList += static_cast<GLuint>(range);
  for (GLuint k = first; k < layer.nextList; ++k) layer.lists[k];
  return first;
}

void NewList(unsigned list, unsigned mode) {
  if (list == 0 || layer.compiling != 0) return;
  layer.compiling = list;
  layer.compileMode = mode;
  layer.recording.clear();
}

void EndList() {
  if (layer.compiling == 0) return;
  layer.lists[layer.compiling] = std::move(layer.recording);
  layer.recording = {};
  layer.compiling = 0;
}

void CallList(unsigned list) {
  if (Recorded(Op::CallList, list)) return;
  const auto it = layer.lists.find(list);
  if (it == layer.lists.end() || layer.callDepth >= kMaxListNesting) return;
  ++layer.callDepth;
  for (const ListCommand& c : it->second) RunCommand(c);
  --layer.callDepth;
}

void CallLists(int count, unsigned type, const void* lists) {
  // The list base is added when the call is made (the program never records these calls).
  for (int i = 0; i < count; ++i) {
    GLuint offset;
    if (type == GL_UNSIGNED_BYTE)
      offset = static_cast<const uint8_t*>(lists)[i];
    else if (type == GL_UNSIGNED_SHORT)
      offset = static_cast<const uint16_t*>(lists)[i];
    else if (type == GL_UNSIGNED_INT)
      offset = static_cast<const uint32_t*>(lists)[i];
    else
      return;  // other name types: not used
    CallList(layer.listBase + offset);
  }
}

void ListBase(unsigned base) {
  if (Recorded(Op::ListBase, base)) return;
  layer.listBase = base;
}

// --- client arrays ---------------------------------------------------------------------

namespace {
LayerArray* ArrayOf(unsigned array) {
  switch (array) {
    case gl11::kVertexArray: return &layer.vertexArray;
    case gl11::kColorArray: return &layer.colourArray;
    case gl11::kTextureCoordArray: return &layer.texCoordArray;
    case gl11::kNormalArray: return &layer.normalArray;
    default: return nullptr;
  }
}
std::vector<LayerVertex> arrayVertices;
}  // namespace

void EnableClientState(unsigned array) {
  if (LayerArray* a = ArrayOf(array)) a->enabled = true;
}

void DisableClientState(unsigned array) {
  if (LayerArray* a = ArrayOf(array)) a->enabled = false;
}

void ArrayPointer(unsigned array, int size, unsigned type, int stride, const void* pointer) {
  if (LayerArray* a = ArrayOf(array)) *a = {a->enabled, size, type, stride, pointer};
}

void DrawArrays(unsigned mode, int first, int count) {
  if (!layer.vertexArray.enabled || count <= 0) return;
  arrayVertices.resize(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    LayerVertex& v = arrayVertices[static_cast<size_t>(i)];
    const float p[4] = {0, 0, 0, 1};
    std::copy_n(p, 4, v.position);
    std::copy_n(layer.colour, 4, v.colour);
    std::copy_n(layer.normal, 3, v.normal);
    for (int u = 0; u < kLayerUnits; ++u) std::copy_n(layer.texCoord[u], 4, v.texCoord[u]);
    if (layer.colourArray.enabled) v.colour[3] = 1;  // a three-component colour array is opaque
    ReadArray(layer.vertexArray, first + i, v.position, 4);
    ReadArray(layer.colourArray, first + i, v.colour, 4);
    ReadArray(layer.normalArray, first + i, v.normal, 3);
    if (layer.texCoordArray.enabled) {
      const float t[4] = {0, 0, 0, 1};
      std::copy_n(t, 4, v.texCoord[0]);
      ReadArray(layer.texCoordArray, first + i, v.texCoord[0], 4);
    }
  }
  DrawPrimitive(mode, arrayVertices);
}

// --- framebuffer and queries -----------------------------------------------------------

void Viewport(int x, int y, int width, int height) {
  layer.viewportWidth = width;
  layer.viewportHeight = height;
  gles.Viewport(x, y, width, height);
}
void Scissor(int x, int y, int width, int height) { gles.Scissor(x, y, width, height); }
void ClearColor(float r, float g, float b, float a) { gles.ClearColor(r, g, b, a); }
void Clear(unsigned mask) { gles.Clear(mask); }
void Flush() { gles.Flush(); }
void Finish() { gles.Finish(); }

void ReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels) {
  if (type != GL_UNSIGNED_BYTE || width <= 0 || height <= 0) return;
  if (format == GL_RGBA) {
    gles.ReadPixels(x, y, width, height, format, type, pixels);
    return;
  }
  if (format != GL_RGB) return;  // GLES reads colour as RGBA only, and no stencil at all
  // Read as RGBA (whose rows need no padding) and packed down to RGB rows padded as asked.
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  gles.ReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  const size_t align = static_cast<size_t>(std::max(layer.packAlignment, 1));
  const size_t rowBytes = (static_cast<size_t>(width) * 3 + align - 1) / align * align;
  auto* out = static_cast<uint8_t*>(pixels);
  for (size_t row = 0; row < static_cast<size_t>(height); ++row)
    for (size_t col = 0; col < static_cast<size_t>(width); ++col)
      std::copy_n(&rgba[(row * static_cast<size_t>(width) + col) * 4], 3, out + row * rowBytes + col * 3);
}

void GetFloatv(unsigned name, float* values) {
  const GlMatrix* m = nullptr;
  if (name == gl11::kModelviewMatrix) m = &layer.modelview.back();
  if (name == gl11::kProjectionMatrix) m = &layer.projection.back();
  if (name == gl11::kTextureMatrix) m = &ActiveUnit().textureStack.back();
  if (m)
    std::copy_n(m->m, 16, values);
  else if (name == gl11::kShadeModel)
    values[0] = static_cast<float>(layer.flat ? gl11::kFlat : gl11::kSmooth);
  else
    gles.GetFloatv(name, values);
}

const unsigned char* GetString(unsigned name) {
  static const char kExtensions[] = "GL_ARB_multitexture";
  if (name == GL_EXTENSIONS) return reinterpret_cast<const unsigned char*>(kExtensions);
  return gles.GetString(name);
}

}  // namespace es3
