// platform/gl_es3_state.h: what the two halves of the ES 3 back end share: the GLES 3 function
// table, the GL 1.1 names the GLES 3 headers lack, and the fixed-function state the layer keeps.
// gl_es3.cpp keeps the state as the program sets it; gl_es3_draw.cpp turns a primitive drawn in
// that state into a shader and a glDrawArrays.
#pragma once
#define GL_GLES_PROTOTYPES 0
#include <GLES3/gl3.h>

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/gl_matrix.h"

// The GLES 3 functions the layer calls, as gl##name in the table member named name.
#define VALE_ES3_CALLS(X)                                                                                \
  X(ACTIVETEXTURE, ActiveTexture) X(ATTACHSHADER, AttachShader) X(BINDBUFFER, BindBuffer)                 \
  X(BINDTEXTURE, BindTexture) X(BINDVERTEXARRAY, BindVertexArray) X(BLENDFUNC, BlendFunc)                 \
  X(BUFFERDATA, BufferData) X(CLEAR, Clear) X(CLEARCOLOR, ClearColor) X(COMPILESHADER, CompileShader)     \
  X(CREATEPROGRAM, CreateProgram) X(CREATESHADER, CreateShader) X(DELETEBUFFERS, DeleteBuffers)           \
  X(DELETEPROGRAM, DeleteProgram) X(DELETESHADER, DeleteShader) X(DELETETEXTURES, DeleteTextures)         \
  X(DELETEVERTEXARRAYS, DeleteVertexArrays) X(DISABLE, Disable) X(DRAWARRAYS, DrawArrays) X(ENABLE, Enable) \
  X(ENABLEVERTEXATTRIBARRAY, EnableVertexAttribArray) X(FINISH, Finish) X(FLUSH, Flush)                   \
  X(FRONTFACE, FrontFace) X(GENBUFFERS, GenBuffers) X(GENTEXTURES, GenTextures)                           \
  X(GENVERTEXARRAYS, GenVertexArrays) X(GETFLOATV, GetFloatv) X(GETPROGRAMINFOLOG, GetProgramInfoLog)     \
  X(GETPROGRAMIV, GetProgramiv) X(GETSHADERINFOLOG, GetShaderInfoLog) X(GETSHADERIV, GetShaderiv)         \
  X(GETSTRING, GetString) X(GETUNIFORMLOCATION, GetUniformLocation) X(LINKPROGRAM, LinkProgram)           \
  X(PIXELSTOREI, PixelStorei) X(READPIXELS, ReadPixels) X(SCISSOR, Scissor) X(SHADERSOURCE, ShaderSource)                     \
  X(STENCILFUNC, StencilFunc) X(STENCILOP, StencilOp) X(TEXIMAGE2D, TexImage2D)                           \
  X(TEXPARAMETERI, TexParameteri) X(UNIFORM1I, Uniform1i) X(UNIFORM2FV, Uniform2fv) X(UNIFORM4FV, Uniform4fv)                       \
  X(UNIFORMMATRIX3FV, UniformMatrix3fv) X(UNIFORMMATRIX4FV, UniformMatrix4fv) X(USEPROGRAM, UseProgram)   \
  X(VERTEXATTRIBPOINTER, VertexAttribPointer) X(VIEWPORT, Viewport)

struct Es3Calls {
#define VALE_ES3_MEMBER(upper, name) PFNGL##upper##PROC name;
  VALE_ES3_CALLS(VALE_ES3_MEMBER)
#undef VALE_ES3_MEMBER
};
extern Es3Calls gles;

// GL 1.1 names the program uses that GLES 3 does not have.
namespace gl11 {
constexpr GLenum kQuads = 0x0007;
constexpr GLenum kModelview = 0x1700, kProjection = 0x1701, kTexture = 0x1702;
constexpr GLenum kModelviewMatrix = 0x0BA6, kProjectionMatrix = 0x0BA7, kTextureMatrix = 0x0BA8;
constexpr GLenum kLighting = 0x0B50, kLight0 = 0x4000, kFog = 0x0B60;
constexpr GLenum kTextureGenS = 0x0C60, kTextureGenT = 0x0C61;
constexpr GLenum kFlat = 0x1D00, kSmooth = 0x1D01, kShadeModel = 0x0B54;
constexpr GLenum kPoint = 0x1B00, kLine = 0x1B01, kFill = 0x1B02;
constexpr GLenum kCompile = 0x1300;
constexpr GLenum kVertexArray = 0x8074, kNormalArray = 0x8075, kColorArray = 0x8076, kTextureCoordArray = 0x8078;
constexpr GLenum kAmbient = 0x1200, kDiffuse = 0x1201, kSpecular = 0x1202, kPosition = 0x1203;
constexpr GLenum kConstantAttenuation = 0x1207, kLinearAttenuation = 0x1208, kQuadraticAttenuation = 0x1209;
constexpr GLenum kFogDensity = 0x0B62, kFogStart = 0x0B63, kFogEnd = 0x0B64, kFogMode = 0x0B65, kFogColor = 0x0B66;
constexpr GLenum kExp = 0x0800, kExp2 = 0x0801;
constexpr GLenum kTextureEnv = 0x2300, kTextureEnvMode = 0x2200, kModulate = 0x2100;
}  // namespace gl11

constexpr int kLayerUnits = 2;   // the ARB multitexture units the program may use
constexpr int kLayerLights = 8;  // GL_LIGHT0..7

// One vertex as the layer draws it: position, colour, normal and the coordinates of both units.
struct LayerVertex {
  float position[4];
  float colour[4];
  float normal[3];
  float texCoord[kLayerUnits][4];
};

struct LayerLight {
  bool enabled = false;
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {0, 0, 0, 1};  // light 0: white
  float specular[4] = {0, 0, 0, 1};
  float position[4] = {0, 0, 1, 0};  // in eye coordinates, as given through the model-view then
  float attenuation[3] = {1, 0, 0};
};

struct LayerUnit {
  bool texture2D = false;
  GLuint bound = 0;  // the program's name; 0 is the layer's default texture
  GLenum envMode = gl11::kModulate;
  bool genS = false, genT = false;
  std::vector<GlMatrix> textureStack{IdentityMatrix()};
};

// The arrays of glVertexPointer and its kin.
struct LayerArray {
  bool enabled = false;
  int size = 4;
  GLenum type = GL_FLOAT;
  int stride = 0;
  const void* pointer = nullptr;
};

// What the layer knows of a texture: GL 1.1 textures with it only once it has an image and a
// minification filter that wants no mipmaps (the program makes none); an RGB image has no alpha.
struct LayerTexture {
  bool hasImage = false;
  bool alpha = false;
  bool mipmapFilter = true;  // GL's initial filter is GL_NEAREST_MIPMAP_LINEAR
};

// One recorded display-list command. Lists keep geometry, the current attributes, model
// transforms and calls of other lists, which is all the program puts in them; any other call made
// while a list is recorded acts at once.
struct ListCommand {
  enum class Op : uint8_t { Begin, End, Vertex, TexCoord, Color, Normal, MatrixMode, LoadIdentity, Push, Pop,
                            Translate, Rotate, Scale, CallList, ListBase };
  Op op;
  uint32_t value = 0;  // mode, unit or list
  float v[4] = {};
};
using DisplayList = std::vector<ListCommand>;

struct LayerState {
  // Matrices. Versions count changes so that a draw uploads only what changed.
  GLenum matrixMode = gl11::kModelview;
  std::vector<GlMatrix> modelview{IdentityMatrix()}, projection{IdentityMatrix()};
  uint64_t matrixVersion = 1;

  // The current vertex attributes.
  float colour[4] = {1, 1, 1, 1};
  float normal[3] = {0, 0, 1};
  float texCoord[kLayerUnits][4] = {{0, 0, 0, 1}, {0, 0, 0, 1}};

  // Fixed-function state kept by the layer.
  std::array<LayerUnit, kLayerUnits> units;
  int activeUnit = 0;
  bool lighting = false, fog = false;
  bool flat = false;
  GLenum polygonFront = gl11::kFill, polygonBack = gl11::kFill;
  std::array<LayerLight, kLayerLights> lights;
  GLenum fogMode = gl11::kExp;
  float fogDensity = 1, fogStart = 0, fogEnd = 1;
  float fogColour[4] = {0, 0, 0, 0};
  uint64_t lightVersion = 1, fogVersion = 1;
  int packAlignment = 4;
  int viewportWidth = 0, viewportHeight = 0;

  // Immediate mode.
  bool inBegin = false;
  GLenum primitive = 0;
  std::vector<LayerVertex> vertices;

  // Display lists.
  std::unordered_map<GLuint, DisplayList> lists;
  GLuint nextList = 1;
  GLuint compiling = 0;  // the list being recorded, 0 when none
  GLenum compileMode = gl11::kCompile;
  DisplayList recording;
  GLuint listBase = 0;
  int callDepth = 0;

  // Client arrays.
  LayerArray vertexArray, colourArray, texCoordArray, normalArray;

  // Textures: the layer's stand-in for texture 0, and what it knows of each, by real name.
  GLuint defaultTexture = 0;
  std::unordered_map<GLuint, LayerTexture> textures;
};
extern LayerState layer;

// The real texture behind a program's texture name.
inline GLuint RealTexture(GLuint name) { return name == 0 ? layer.defaultTexture : name; }

// gl_es3_draw.cpp: makes the vertex array and buffer the layer draws from; frees them and every
// shader it made.
bool StartLayerDrawing(std::string& error);
void StopLayerDrawing();
// Draws `vertices` as one primitive (or a run of them) of `mode`, with the state as it stands.
void DrawPrimitive(GLenum mode, const std::vector<LayerVertex>& vertices);
