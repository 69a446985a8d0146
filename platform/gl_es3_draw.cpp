// The ES 3 back end's drawing half: a primitive in the layer's state becomes one glDrawArrays
// from a streamed vertex buffer, through a GLSL ES 3.00 program generated for the state it is
// drawn in (which units texture and how, texture generation, lighting, fog, flat shading) and
// kept for the next draw in the same state.
//
// Quads are split into triangles (0, 1, 3) and (1, 2, 3), as the desktop pipeline splits them:
// each triangle then ends on the quad's last vertex, the one whose colour flat shading gives the
// whole quad there, and the diagonal the colours and coordinates are interpolated across is the
// same. Polygons drawn as lines become the lines of their outer edges, in the order the desktop
// pipeline draws them.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "platform/gl_es3_state.h"

namespace {

// GL's default material (the program sets none) and light-model ambient.
constexpr float kMaterialAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
constexpr float kMaterialDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
constexpr float kMaterialEmission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};

// The state a program is generated for, as bits.
enum KeyBit : uint32_t {
  kLit = 1u << 0,
  kFogged = 1u << 1,
  kFogExp2 = 1u << 2,
  kFogLinear = 1u << 3,
  kFlat = 1u << 4,
  kPoints = 1u << 5,
};
// Per texture unit u, shifted by 8 + 8u.
enum UnitBit : uint32_t { kTextured = 1, kReplace = 2, kAlpha = 4, kGenS = 8, kGenT = 16 };
constexpr uint32_t UnitBits(uint32_t key, int unit) { return (key >> (8 + 8 * unit)) & 0xFF; }

// Appends the lines `lines` gives for the number of every textured unit.
template <class Lines>
void ForTexturedUnits(uint32_t key, std::string& s, Lines lines) {
  for (int u = 0; u < kLayerUnits; ++u)
    if (UnitBits(key, u) & kTextured) s += lines(std::to_string(u));
}

struct Program {
  GLuint id = 0;
  GLint mvp = -1, modelview = -1, normalMatrix = -1;
  GLint textureMatrix[kLayerUnits] = {-1, -1};
  GLint lightPosition = -1, lightAmbient = -1, lightDiffuse = -1, sceneColour = -1, attenuation = -1;
  GLint fogColour = -1, fogParameters = -1, pointNudge = -1;
  uint64_t matrixVersion = 0, lightVersion = 0, fogVersion = 0;
};

GLuint vertexArrayObject = 0, vertexBuffer = 0;
std::unordered_map<uint32_t, Program> programs;
std::vector<LayerVertex> expanded;
// The model-view-projection product, worked out again when the matrices change.
GlMatrix mvp = IdentityMatrix();
uint64_t mvpVersion = 0;

// A unit textures when it is switched on and its texture is complete: GL 1.1 leaves a unit with an
// incomplete texture off.
const LayerTexture* UnitTexture(int u) {
  const LayerUnit& unit = layer.units[static_cast<size_t>(u)];
  if (!unit.texture2D) return nullptr;
  const auto it = layer.textures.find(RealTexture(unit.bound));
  return it != layer.textures.end() && it->second.hasImage && !it->second.mipmapFilter ? &it->second : nullptr;
}

uint32_t StateKey(GLenum drawMode) {
  uint32_t key = 0;
  if (drawMode == GL_POINTS) key |= kPoints;
  if (layer.lighting) key |= kLit;
  if (layer.fog) {
    key |= kFogged;
    if (layer.fogMode == gl11::kExp2) key |= kFogExp2;
    if (layer.fogMode == GL_LINEAR) key |= kFogLinear;
  }
  if (layer.flat) key |= kFlat;
  for (int u = 0; u < kLayerUnits; ++u) {
    const LayerTexture* texture = UnitTexture(u);
    if (!texture) continue;
    const LayerUnit& unit = layer.units[static_cast<size_t>(u)];
    uint32_t bits = kTextured;
    if (unit.envMode == GL_REPLACE) bits |= kReplace;
    if (texture->alpha) bits |= kAlpha;
    if (unit.genS) bits |= kGenS;
    if (unit.genT) bits |= kGenT;
    key |= bits << (8 + 8 * u);
  }
  return key;
}

std::string VertexSource(uint32_t key) {
  std::string s =
      "#version 300 es\n"
      "precision highp float;\n"
      "layout(location = 0) in vec4 aPosition;\n"
      "layout(location = 1) in vec4 aColour;\n"
      "layout(location = 2) in vec3 aNormal;\n"
      "layout(location = 3) in vec4 aTexCoord0;\n"
      "layout(location = 4) in vec4 aTexCoord1;\n"
      "uniform mat4 uMvp, uModelview;\n";
  s += (key & kFlat) ? "flat out vec4 vColour;\n" : "out vec4 vColour;\n";
  if (key & kLit)
    s += "uniform mat3 uNormalMatrix;\n"
         "uniform vec4 uLightPosition, uLightAmbient, uLightDiffuse, uSceneColour, uAttenuation;\n";
  if (key & kFogged) s += "out float vFogDistance;\n";
  if (key & kPoints) s += "uniform vec2 uPointNudge;\n";
  ForTexturedUnits(key, s, [](const std::string& n) {
    return "uniform mat4 uTextureMatrix" + n + ";\nout vec4 vTexCoord" + n + ";\n";
  });
  s += "void main() {\n"
       "  gl_Position = uMvp * aPosition;\n"
       "  gl_PointSize = 1.0;\n";
  // GLES draws every point as a sprite: the pixel whose centre its square covers. GL 1.1 takes the
  // pixel the point lies in. The two differ only for a point exactly on a pixel's edge, on the
  // rasteriser's 1/256-pixel grid; one step of that grid up and right moves it into GL's pixel.
  if (key & kPoints) s += "  gl_Position.xy += uPointNudge * gl_Position.w;\n";
  s += "  vec4 eye = uModelview * aPosition;\n";
  if (key & kLit) {
    // GL's lighting of one light with the default material: emission and the scene's ambient,
    // then the light's ambient and diffuse parts, attenuated when the light has a position. The
    // normal is not normalised (GL_NORMALIZE is off).
    s += "  vec3 normal = uNormalMatrix * aNormal;\n"
         "  vec3 toLight = uLightPosition.xyz - (uLightPosition.w == 0.0 ? vec3(0.0) : eye.xyz);\n"
         "  float distance = length(toLight);\n"
         "  float attenuation = uLightPosition.w == 0.0 ? 1.0 :\n"
         "      1.0 / (uAttenuation.x + uAttenuation.y * distance + uAttenuation.z * distance * distance);\n"
         "  float diffuse = max(dot(normal, toLight / distance), 0.0);\n"
         "  vec3 lit = uSceneColour.rgb + attenuation * (uLightAmbient.rgb + diffuse * uLightDiffuse.rgb);\n"
         "  vColour = vec4(clamp(lit, 0.0, 1.0), clamp(uSceneColour.a, 0.0, 1.0));\n";
  } else {
    s += "  vColour = clamp(aColour, 0.0, 1.0);\n";
  }
  if (key & kFogged) s += "  vFogDistance = abs(eye.z);\n";
  for (int u = 0; u < kLayerUnits; ++u) {
    const uint32_t bits = UnitBits(key, u);
    if (!(bits & kTextured)) continue;
    const std::string n = std::to_string(u);
    s += "  vec4 texCoord" + n + " = aTexCoord" + n + ";\n";
    // Eye-linear generation with GL's default planes (the program sets no others): s = x, t = y.
    if (bits & kGenS) s += "  texCoord" + n + ".s = eye.x;\n";
    if (bits & kGenT) s += "  texCoord" + n + ".t = eye.y;\n";
    s += "  vTexCoord" + n + " = uTextureMatrix" + n + " * texCoord" + n + ";\n";
  }
  s += "}\n";
  return s;
}

std::string FragmentSource(uint32_t key) {
  std::string s =
      "#version 300 es\n"
      "precision highp float;\n";
  s += (key & kFlat) ? "flat in vec4 vColour;\n" : "in vec4 vColour;\n";
  if (key & kFogged) s += "in float vFogDistance;\nuniform vec4 uFogColour, uFogParameters;\n";
  ForTexturedUnits(key, s, [](const std::string& n) {
    return "in vec4 vTexCoord" + n + ";\nuniform sampler2D uTexture" + n + ";\n";
  });
  s += "out vec4 fragColour;\n"
       "void main() {\n"
       "  vec4 colour = vColour;\n";
  for (int u = 0; u < kLayerUnits; ++u) {
    const uint32_t bits = UnitBits(key, u);
    if (!(bits & kTextured)) continue;
    const std::string n = std::to_string(u);
    s += "  vec4 texel" + n + " = texture(uTexture" + n + ", vTexCoord" + n + ".st);\n";
    if (!(bits & kReplace))
      s += "  colour *= texel" + n + ";\n";
    else if (bits & kAlpha)
      s += "  colour = texel" + n + ";\n";
    else
      s += "  colour.rgb = texel" + n + ".rgb;\n";  // an RGB texture replaces the colour only
  }
  if (key & kFogged) {
    // x: density, y: start, z: end. The factor is worked out for each fragment from the
    // interpolated distance, as the desktop pipeline does.
    if (key & kFogLinear)
      s += "  float fog = (uFogParameters.z - vFogDistance) / (uFogParameters.z - uFogParameters.y);\n";
    else if (key & kFogExp2)
      s += "  float fog = exp(-(uFogParameters.x * vFogDistance) * (uFogParameters.x * vFogDistance));\n";
    else
      s += "  float fog = exp(-uFogParameters.x * vFogDistance);\n";
    s += "  colour.rgb = mix(uFogColour.rgb, colour.rgb, clamp(fog, 0.0, 1.0));\n";
  }
  s += "  fragColour = colour;\n"
       "}\n";
  return s;
}

GLuint CompileShader(GLenum type, const std::string& source) {
  const GLuint shader = gles.CreateShader(type);
  const char* text = source.c_str();
  gles.ShaderSource(shader, 1, &text, nullptr);
  gles.CompileShader(shader);
  GLint ok = 0;
  gles.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    gles.GetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "vale: GL layer shader does not compile: %s\n%s", log, source.c_str());
  }
  return shader;
}

Program& ProgramFor(uint32_t key) {
  const auto found = programs.find(key);
  if (found != programs.end()) return found->second;
  Program p;
  p.id = gles.CreateProgram();
  const GLuint vertex = CompileShader(GL_VERTEX_SHADER, VertexSource(key));
  const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, FragmentSource(key));
  gles.AttachShader(p.id, vertex);
  gles.AttachShader(p.id, fragment);
  gles.LinkProgram(p.id);
  gles.DeleteShader(vertex);
  gles.DeleteShader(fragment);
  GLint ok = 0;
  gles.GetProgramiv(p.id, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    gles.GetProgramInfoLog(p.id, sizeof log, nullptr, log);
    std::fprintf(stderr, "vale: GL layer program does not link: %s\n", log);
  }
  auto at = [&](const char* name) { return gles.GetUniformLocation(p.id, name); };
  p.mvp = at("uMvp");
  p.modelview = at("uModelview");
  p.normalMatrix = at("uNormalMatrix");
  p.lightPosition = at("uLightPosition");
  p.lightAmbient = at("uLightAmbient");
  p.lightDiffuse = at("uLightDiffuse");
  p.sceneColour = at("uSceneColour");
  p.attenuation = at("uAttenuation");
  p.fogColour = at("uFogColour");
  p.fogParameters = at("uFogParameters");
  p.pointNudge = at("uPointNudge");
  gles.UseProgram(p.id);
  for (int u = 0; u < kLayerUnits; ++u) {
    const std::string n = std::to_string(u);
    p.textureMatrix[u] = at(("uTextureMatrix" + n).c_str());
    gles.Uniform1i(at(("uTexture" + n).c_str()), u);
  }
  return programs.emplace(key, p).first->second;
}

// The first light switched on; the program lights with one.
const LayerLight* FirstLight() {
  for (const LayerLight& l : layer.lights)
    if (l.enabled) return &l;
  return nullptr;
}

void UploadUniforms(Program& p, uint32_t key) {
  if (p.matrixVersion != layer.matrixVersion) {
    p.matrixVersion = layer.matrixVersion;
    if (mvpVersion != layer.matrixVersion) {
      mvpVersion = layer.matrixVersion;
      mvp = MultiplyMatrices(layer.projection.back(), layer.modelview.back());
    }
    gles.UniformMatrix4fv(p.mvp, 1, GL_FALSE, mvp.m);
    gles.UniformMatrix4fv(p.modelview, 1, GL_FALSE, layer.modelview.back().m);
    if (key & kLit) {
      float normal[9];
      NormalMatrix(layer.modelview.back(), normal);
      gles.UniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, normal);
    }
    for (int u = 0; u < kLayerUnits; ++u)
      if (p.textureMatrix[u] >= 0)
        gles.UniformMatrix4fv(p.textureMatrix[u], 1, GL_FALSE, layer.units[static_cast<size_t>(u)].textureStack.back().m);
  }
  if ((key & kLit) && p.lightVersion != layer.lightVersion) {
    p.lightVersion = layer.lightVersion;
    // The light's products with the material, as GL forms them, in floats.
    float ambient[4] = {}, diffuse[4] = {}, scene[4], position[4] = {0, 0, 1, 0}, attenuation[4] = {1, 0, 0, 0};
    for (int k = 0; k < 3; ++k) scene[k] = kMaterialEmission[k] + kModelAmbient[k] * kMaterialAmbient[k];
    scene[3] = kMaterialDiffuse[3];
    if (const LayerLight* l = FirstLight()) {
      for (int k = 0; k < 3; ++k) {
        ambient[k] = l->ambient[k] * kMaterialAmbient[k];
        diffuse[k] = l->diffuse[k] * kMaterialDiffuse[k];
      }
      std::copy_n(l->position, 4, position);
      std::copy_n(l->attenuation, 3, attenuation);
    }
    gles.Uniform4fv(p.lightPosition, 1, position);
    gles.Uniform4fv(p.lightAmbient, 1, ambient);
    gles.Uniform4fv(p.lightDiffuse, 1, diffuse);
    gles.Uniform4fv(p.sceneColour, 1, scene);
    gles.Uniform4fv(p.attenuation, 1, attenuation);
  }
  if (key & kPoints) {
    // One 1/256 of a pixel, in normalised device units.
    const float nudge[2] = {2.0f / 256.0f / static_cast<float>(std::max(layer.viewportWidth, 1)),
                            2.0f / 256.0f / static_cast<float>(std::max(layer.viewportHeight, 1))};
    gles.Uniform2fv(p.pointNudge, 1, nudge);
  }
  if ((key & kFogged) && p.fogVersion != layer.fogVersion) {
    p.fogVersion = layer.fogVersion;
    const float parameters[4] = {layer.fogDensity, layer.fogStart, layer.fogEnd, 0};
    gles.Uniform4fv(p.fogColour, 1, layer.fogColour);
    gles.Uniform4fv(p.fogParameters, 1, parameters);
  }
}

bool IsPolygon(GLenum mode) {
  return mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN || mode == gl11::kQuads;
}

// The triangles of a polygon primitive as index triples ending on the provoking vertex, each
// with the mask of its edges (bit k: the edge from corner k to corner k + 1) that are edges of
// the primitive, not diagonals of a quad.
template <typename Emit>
void ForEachTriangle(GLenum mode, size_t count, Emit emit) {
  if (mode == GL_TRIANGLES)
    for (size_t i = 0; i + 3 <= count; i += 3) emit(i, i + 1, i + 2, 7u);
  else if (mode == gl11::kQuads)
    for (size_t i = 0; i + 4 <= count; i += 4) {
      emit(i, i + 1, i + 3, 5u);      // edges 0-1 and 3-0
      emit(i + 1, i + 2, i + 3, 3u);  // edges 1-2 and 2-3
    }
  else if (mode == GL_TRIANGLE_STRIP)
    for (size_t i = 0; i + 3 <= count; ++i)
      i % 2 ? emit(i + 1, i, i + 2, 7u) : emit(i, i + 1, i + 2, 7u);
  else if (mode == GL_TRIANGLE_FAN)
    for (size_t i = 1; i + 2 <= count; ++i) emit(0, i, i + 1, 7u);
}

void AppendLine(const LayerVertex& a, const LayerVertex& b, const LayerVertex& provoking) {
  expanded.push_back(a);
  expanded.push_back(b);
  if (layer.flat)  // a flat polygon's edges all take its colour
    for (size_t k = expanded.size() - 2; k < expanded.size(); ++k) std::copy_n(provoking.colour, 4, expanded[k].colour);
}

}  // namespace

bool StartLayerDrawing(std::string& error) {
  gles.GenVertexArrays(1, &vertexArrayObject);
  gles.GenBuffers(1, &vertexBuffer);
  gles.BindVertexArray(vertexArrayObject);
  gles.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  struct Attribute {
    GLint size;
    size_t offset;
  };
  const Attribute attributes[] = {{4, offsetof(LayerVertex, position)},
                                  {4, offsetof(LayerVertex, colour)},
                                  {3, offsetof(LayerVertex, normal)},
                                  {4, offsetof(LayerVertex, texCoord)},
                                  {4, offsetof(LayerVertex, texCoord) + 4 * sizeof(float)}};
  for (GLuint k = 0; k < 5; ++k) {
    gles.EnableVertexAttribArray(k);
    gles.VertexAttribPointer(k, attributes[k].size, GL_FLOAT, GL_FALSE, sizeof(LayerVertex),
                             reinterpret_cast<const void*>(attributes[k].offset));
  }
  mvpVersion = 0;
  if (!vertexArrayObject || !vertexBuffer) {
    error = "the GLES 3 context gives no vertex array or buffer";
    return false;
  }
  return true;
}

void StopLayerDrawing() {
  for (auto& entry : programs) gles.DeleteProgram(entry.second.id);
  programs.clear();
  gles.DeleteBuffers(1, &vertexBuffer);
  gles.DeleteVertexArrays(1, &vertexArrayObject);
  vertexBuffer = vertexArrayObject = 0;
}

void DrawPrimitive(GLenum mode, const std::vector<LayerVertex>& vertices) {
  if (vertices.empty()) return;
  const std::vector<LayerVertex>* draw = &vertices;
  GLenum drawMode = mode;
  // Front and back faces are always given the same mode by the program; the front's is used.
  const GLenum polygonMode = layer.polygonFront;
  if (IsPolygon(mode) && polygonMode == gl11::kLine) {
    expanded.clear();
    ForEachTriangle(mode, vertices.size(), [&](size_t a, size_t b, size_t c, unsigned edges) {
      const LayerVertex &va = vertices[a], &vb = vertices[b], &vc = vertices[c];
      // The closing edge first, then the other two, as the desktop pipeline outlines a triangle.
      if (edges & 4u) AppendLine(vc, va, vc);
      if (edges & 1u) AppendLine(va, vb, vc);
      if (edges & 2u) AppendLine(vb, vc, vc);
    });
    draw = &expanded;
    drawMode = GL_LINES;
  } else if (IsPolygon(mode) && polygonMode == gl11::kPoint) {
    drawMode = GL_POINTS;  // not used by the program: every vertex, unclipped by its polygon
  } else if (mode == gl11::kQuads) {
    expanded.clear();
    ForEachTriangle(mode, vertices.size(), [&](size_t a, size_t b, size_t c, unsigned) {
      expanded.push_back(vertices[a]);
      expanded.push_back(vertices[b]);
      expanded.push_back(vertices[c]);
    });
    draw = &expanded;
    drawMode = GL_TRIANGLES;
  } else if (mode > GL_TRIANGLE_FAN) {
    return;  // quad strips and polygons: not used by the program
  }
  if (draw->empty()) return;

  const uint32_t key = StateKey(drawMode);
  Program& program = ProgramFor(key);
  gles.UseProgram(program.id);
  UploadUniforms(program, key);
  gles.BindVertexArray(vertexArrayObject);
  gles.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  gles.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(draw->size() * sizeof(LayerVertex)), draw->data(),
                  GL_STREAM_DRAW);
  gles.DrawArrays(drawMode, 0, static_cast<GLsizei>(draw->size()));
}
