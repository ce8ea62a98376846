// The GL ES 2.0 drawing backend: the fixed pipeline's state kept here, its light and texture
// environments in programs of our own, vertices through buffers. Calls only GL ES 2.0 entry points.
//
// Every draw gathers its vertices on the processor into one layout (position, normal, texture
// coordinate, colour), with the current normal, coordinate and colour wherever an array is off,
// and turns the primitive into triangles (or, in GL_LINE polygon mode, the polygons' edges).
// Outside a display list the vertices and indices are streamed into buffers for that draw; a list
// keeps them in buffers made once, and replays the state calls it recorded.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstddef>  // Required for: offsetof
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "drawing/gfx.h"
#include "drawing/gfx_backend.h"
#include "drawing/gl.h"
#include "drawing/matrix4.h"

namespace {

struct Vertex {
  float position[3];
  float normal[3];
  float texCoord[2];
  float color[4];
};

struct Material {
  float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float shininess = 0.0f;
};

// What glPushAttrib saves, by group.
struct Attributes {
  unsigned int mask = 0;
  // GL_ENABLE_BIT (and the enables of GL_LIGHTING_BIT and GL_COLOR_BUFFER_BIT)
  bool lighting = false, light0 = false, texture2D = false, rescaleNormal = false;
  bool cullFace = false, depthTest = false, blend = false, scissorTest = false;
  // GL_LIGHTING_BIT
  Material front;
  float lightPosition[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // eye coordinates
  float modelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  // GL_CURRENT_BIT
  float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float normal[3] = {0.0f, 0.0f, 1.0f};
  float texCoord[2] = {0.0f, 0.0f};
  // GL_COLOR_BUFFER_BIT; kept as GL has it, never asked for (see enter())
  int blendFunction[4] = {GL_ONE, GL_ZERO, GL_ONE, GL_ZERO};  // source and destination, RGB and alpha
};

struct ClientArray {
  bool enabled = false;
  int size = 0;
  int stride = 0;  // bytes
  const float* pointer = nullptr;
};

struct Texture {
  int width = 0, height = 0, internalFormat = 0;
};

// Indices as GL ES takes them: 16 bits while the vertices allow, 32 bits (an extension of GL ES
// 2.0 that every driver here has) beyond.
struct IndexList {
  GLenum type = GL_UNSIGNED_SHORT;
  GLsizei count = 0;
  std::vector<uint16_t> shorts;
  std::vector<uint32_t> longs;
  GLuint buffer = 0;  // a stored list's, made on first use
  IndexList() = default;
  IndexList(const std::vector<uint32_t>& indices, size_t vertexCount) { assign(indices, vertexCount); }
  // Keeps the vectors' storage: a list refilled each draw allocates nothing once it has grown.
  void assign(const std::vector<uint32_t>& indices, size_t vertexCount) {
    count = static_cast<GLsizei>(indices.size());
    type = vertexCount <= 65536 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
    if (type == GL_UNSIGNED_SHORT) {
      shorts.assign(indices.begin(), indices.end());
    } else {
      longs = indices;
    }
  }
  const void* data() const { return type == GL_UNSIGNED_SHORT ? static_cast<const void*>(shorts.data()) : longs.data(); }
  size_t bytes() const { return type == GL_UNSIGNED_SHORT ? shorts.size() * 2 : longs.size() * 4; }
};

// Geometry kept in buffers by a display list: its triangles, and its edges for GL_LINE mode.
// A display list's geometry: all its draws' vertices in one buffer, and their triangles and edges in
// one index buffer each, in the order of the draws. Replaying the list sets the vertex layout and
// binds the indices once, not once per draw, and draws with nothing between them become one.
struct ListBuffers {
  GLuint vertices = 0;
  IndexList triangles, edges;  // the edges' buffer is made on first use in GL_LINE mode
  ~ListBuffers() {
    if (!glContextCurrent()) return;  // at exit the context and its buffers are gone already
    for (GLuint buffer : {vertices, triangles.buffer, edges.buffer}) {
      if (buffer != 0) glDeleteBuffers(1, &buffer);
    }
  }
};
// One draw of a list: a run of its triangles and of its edges (32-bit indices until the list is
// complete and its vertex count known).
struct StoredGeometry {
  std::shared_ptr<ListBuffers> buffers;
  std::vector<uint32_t> triangleIndices, edgeIndices;
  size_t firstTriangle = 0, triangleCount = 0, firstEdge = 0, edgeCount = 0;  // in indices
};

// The fixed pipeline's programs: one per combination of lighting, texturing and texture
// environment, made when first needed.
struct FixedProgram {
  GLuint program = 0;
  // What its uniforms hold now: a value sent again costs a call (in a browser, a trip into JavaScript).
  std::array<float, 16> clip{};
  std::array<float, 9> normals{};
  std::array<float, 20> lightValues{};  // the uniform array `light` (see the vertex program)
  bool uploaded = false;
  GLint clipFromObject = -1, normalFromObject = -1, light = -1, sampler = -1;
};

const char* const kFixedVertexSource = R"(
attribute vec4 vertexPosition;
attribute vec3 vertexNormal;
attribute vec4 vertexTexCoord;
attribute vec4 vertexColor;
uniform mat4 clipFromObject;
varying vec4 colour;
varying vec2 texCoord;
#ifdef LIGHTING
uniform mat3 normalFromObject;
// The light and the material in one array, sent in one call:
//   [0] rgb: emission + ambient light x material ambient
//   [1] light x material diffuse; alpha: the material's
//   [2] rgb: light x material specular; a: shininess
//   [3] xyz: unit direction toward the light, eye coordinates; w: 1 with light 0 enabled, 0 without
//   [4] xyz: unit half vector between the light and the eye far away along +z
uniform vec4 light[5];
#endif
void main() {
  gl_Position = clipFromObject * vertexPosition;
  texCoord = vertexTexCoord.st;
#ifdef LIGHTING
  vec4 sceneColour = light[0], diffuse = light[1];
  vec3 specular = light[2].rgb, lightDirection = light[3].xyz, halfVector = light[4].xyz;
  float shininess = light[2].a, lightOn = light[3].w;
  vec3 n = normalFromObject * vertexNormal;
  float facing = dot(n, lightDirection);
  vec3 lit = sceneColour.rgb;
  if (facing > 0.0) {
    // pow(0, 0) is 1 in GL's light; exp2 of a product keeps it so here.
    float highlight = exp2(shininess * log2(max(dot(n, halfVector), 1e-30)));
    lit += lightOn * (facing * diffuse.rgb + highlight * specular);
  }
  colour = clamp(vec4(lit, diffuse.a), 0.0, 1.0);
#else
  colour = vertexColor;
#endif
}
)";

const char* const kFixedFragmentSource = R"(
varying vec4 colour;
varying vec2 texCoord;
uniform sampler2D sampler;
void main() {
#if defined(TEXTURE_ADD)
  vec4 texel = texture2D(sampler, texCoord);
  gl_FragColor = vec4(min(colour.rgb + texel.rgb, 1.0), colour.a * texel.a);
#elif defined(TEXTURE_MODULATE)
  gl_FragColor = colour * texture2D(sampler, texCoord);
#else
  gl_FragColor = colour;
#endif
}
)";

const char* const kFragmentPrecision =
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\nprecision highp sampler2D;\n#else\n"
    "precision mediump float;\n#endif\n";

constexpr int kLightingBit = 1, kTextureAddBit = 2, kTextureModulateBit = 4;

GLuint compile(GLenum type, const std::string& source) {
  const GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled != GL_TRUE) {
    char log[2048] = "";
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "GL ES backend: a program of the fixed pipeline does not compile:\n%s\n", log);
  }
  return shader;
}

FixedProgram makeFixedProgram(int variant) {
  std::string defines = "#version 100\n";
  if ((variant & kLightingBit) != 0) defines += "#define LIGHTING\n";
  if ((variant & kTextureAddBit) != 0) defines += "#define TEXTURE_ADD\n";
  if ((variant & kTextureModulateBit) != 0) defines += "#define TEXTURE_MODULATE\n";
  const GLuint vertex = compile(GL_VERTEX_SHADER, defines + "precision highp float;\n" + kFixedVertexSource);
  // High precision where the stage has it, for the texture reads too (their default is low): a
  // software renderer has no faster lower one, and converting between the two costs it per pixel.
  const GLuint fragment = compile(GL_FRAGMENT_SHADER, defines + kFragmentPrecision + kFixedFragmentSource);
  FixedProgram fixed;
  fixed.program = glCreateProgram();
  glAttachShader(fixed.program, vertex);
  glAttachShader(fixed.program, fragment);
  glBindAttribLocation(fixed.program, kGfxAttributePosition, "vertexPosition");
  glBindAttribLocation(fixed.program, kGfxAttributeNormal, "vertexNormal");
  glBindAttribLocation(fixed.program, kGfxAttributeTexCoord, "vertexTexCoord");
  glBindAttribLocation(fixed.program, kGfxAttributeColor, "vertexColor");
  glLinkProgram(fixed.program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  const GLuint p = fixed.program;
  fixed.clipFromObject = glGetUniformLocation(p, "clipFromObject");
  fixed.normalFromObject = glGetUniformLocation(p, "normalFromObject");
  fixed.light = glGetUniformLocation(p, "light");
  fixed.sampler = glGetUniformLocation(p, "sampler");
  glUseProgram(p);
  glUniform1i(fixed.sampler, 0);
  return fixed;
}

// Triangles (or edges, with `lines`) of a primitive over the vertices 0..count-1 as GL draws it.
// Quads split on the diagonal from their first vertex; a quad strip's pairs form its quads.
void primitiveIndices(GLenum mode, const uint32_t* order, int count, bool lines, std::vector<uint32_t>& out) {
  auto at = [&](int i) { return order != nullptr ? order[i] : static_cast<uint32_t>(i); };
  auto triangle = [&](int a, int b, int c) {
    if (lines) {
      out.insert(out.end(), {at(a), at(b), at(b), at(c), at(c), at(a)});
    } else {
      out.insert(out.end(), {at(a), at(b), at(c)});
    }
  };
  auto quad = [&](int a, int b, int c, int d) {
    if (lines) {
      out.insert(out.end(), {at(a), at(b), at(b), at(c), at(c), at(d), at(d), at(a)});
    } else {
      out.insert(out.end(), {at(a), at(b), at(c), at(a), at(c), at(d)});
    }
  };
  switch (mode) {
    case GL_TRIANGLES:
      for (int i = 0; i + 2 < count; i += 3) triangle(i, i + 1, i + 2);
      break;
    case GL_TRIANGLE_STRIP:
      for (int i = 0; i + 2 < count; ++i) {
        if (i % 2 == 0) triangle(i, i + 1, i + 2);
        else triangle(i + 1, i, i + 2);
      }
      break;
    case GL_QUADS:
      for (int i = 0; i + 3 < count; i += 4) quad(i, i + 1, i + 2, i + 3);
      break;
    case GL_QUAD_STRIP:
      for (int i = 0; i + 3 < count; i += 2) quad(i, i + 1, i + 3, i + 2);
      break;
    case GL_POLYGON:
    case GL_TRIANGLE_FAN:
      if (lines && mode == GL_POLYGON) {
        for (int i = 0; i < count && count >= 3; ++i) out.insert(out.end(), {at(i), at((i + 1) % count)});
      } else {
        for (int i = 1; i + 1 < count; ++i) triangle(0, i, i + 1);
      }
      break;
    default:
      break;  // points and lines are not drawn by the scene
  }
}

class Es2Backend final : public GfxBackend {
 public:
  // Another backend may have changed GL's state meanwhile. From here on this backend keeps what it
  // may be asked about: in a browser a question to GL waits until all drawing queued before it is
  // done, and a frame that asks loses the overlap of the page's work with the drawing's.
  void enter() override {
    if (!glContextCurrent()) return;
    for (unsigned int cap : {GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND, GL_SCISSOR_TEST}) *realCap(cap) = glIsEnabled(cap);
    GLboolean depthWrites = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    depthWrites_ = depthWrites == GL_TRUE;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction_);
    glGetIntegerv(GL_BLEND_SRC_RGB, &state_.blendFunction[0]);
    glGetIntegerv(GL_BLEND_DST_RGB, &state_.blendFunction[1]);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &state_.blendFunction[2]);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &state_.blendFunction[3]);
    makePrograms();
  }
  // The names of the lost context's programs and buffers are deleted (in a lost context that frees
  // only their records); what was bound is forgotten with them.
  void contextLost() override {
    for (const auto& program : programs_) glDeleteProgram(program.second.program);
    programs_.clear();
    if (streamVertices_ != 0) {
      glDeleteBuffers(1, &streamVertices_);
      glDeleteBuffers(1, &streamIndices_);
    }
    streamVertices_ = streamIndices_ = 0;
    layoutBuffer_ = boundIndices_ = programInUse_ = 0;
    arraysOn_ = false;
    boundTexture_ = 0;
    textures_.clear();
    textureParameters_.clear();
    solids_.clear();
  }
  // A restored context has GL's defaults: it gets the state kept here, as the frames left it.
  void contextRestored() override {
    for (unsigned int cap : {GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND, GL_SCISSOR_TEST}) {
      if (*realCap(cap)) glEnable(cap);
    }
    glDepthMask(depthWrites_ ? GL_TRUE : GL_FALSE);
    glDepthFunc(static_cast<GLenum>(depthFunction_));
    glBlendFuncSeparate(static_cast<GLenum>(state_.blendFunction[0]), static_cast<GLenum>(state_.blendFunction[1]),
                        static_cast<GLenum>(state_.blendFunction[2]), static_cast<GLenum>(state_.blendFunction[3]));
    makePrograms();
  }
  void leave() override {
    glUseProgram(0);
    for (GLuint a = kGfxAttributePosition; a <= kGfxAttributeColor; ++a) glDisableVertexAttribArray(a);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    layoutBuffer_ = boundIndices_ = programInUse_ = 0;
    arraysOn_ = false;
    for (auto& program : programs_) program.second.uploaded = false;
  }

  // Capabilities.
  void enable(unsigned int cap) override { setCap(cap, true); }
  void disable(unsigned int cap) override { setCap(cap, false); }
  bool isEnabled(unsigned int cap) override {
    switch (cap) {
      case GL_LIGHTING: return state_.lighting;
      case GL_LIGHT0: return state_.light0;
      case GL_TEXTURE_2D: return state_.texture2D;
      case GL_RESCALE_NORMAL: return state_.rescaleNormal;
      case GL_CULL_FACE: return state_.cullFace;
      case GL_DEPTH_TEST: return state_.depthTest;
      case GL_BLEND: return state_.blend;
      case GL_SCISSOR_TEST: return state_.scissorTest;
      default: return false;
    }
  }
  void pushAttrib(unsigned int mask) override {
    if (record([=] { pushAttrib(mask); })) return;
    state_.mask = mask;
    saved_.push_back(state_);
  }
  void popAttrib() override {
    if (record([=] { popAttrib(); })) return;
    if (saved_.empty()) return;
    const Attributes old = saved_.back();
    saved_.pop_back();
    if ((old.mask & GL_ENABLE_BIT) != 0) {
      state_.lighting = old.lighting;
      state_.light0 = old.light0;
      state_.texture2D = old.texture2D;
      state_.rescaleNormal = old.rescaleNormal;
      setCap(GL_CULL_FACE, old.cullFace);
      setCap(GL_DEPTH_TEST, old.depthTest);
      setCap(GL_BLEND, old.blend);
      setCap(GL_SCISSOR_TEST, old.scissorTest);
    }
    if ((old.mask & GL_LIGHTING_BIT) != 0) {
      state_.lighting = old.lighting;
      state_.light0 = old.light0;
      state_.front = old.front;
      std::copy_n(old.lightPosition, 4, state_.lightPosition);
      std::copy_n(old.modelAmbient, 4, state_.modelAmbient);
    }
    if ((old.mask & GL_CURRENT_BIT) != 0) {
      std::copy_n(old.color, 4, state_.color);
      std::copy_n(old.normal, 3, state_.normal);
      std::copy_n(old.texCoord, 2, state_.texCoord);
    }
    if ((old.mask & GL_COLOR_BUFFER_BIT) != 0) {
      setCap(GL_BLEND, old.blend);
      std::copy_n(old.blendFunction, 4, state_.blendFunction);
      glBlendFuncSeparate(static_cast<GLenum>(old.blendFunction[0]), static_cast<GLenum>(old.blendFunction[1]),
                          static_cast<GLenum>(old.blendFunction[2]), static_cast<GLenum>(old.blendFunction[3]));
    }
  }
  void shadeModel(unsigned int) override {}  // always smooth
  void depthMask(bool write) override {
    if (record([=] { depthMask(write); })) return;
    depthWrites_ = write;
    glDepthMask(write ? GL_TRUE : GL_FALSE);
  }
  bool getDepthMask() override { return depthWrites_; }
  void depthFunc(unsigned int function) override {
    if (record([=] { depthFunc(function); })) return;
    depthFunction_ = static_cast<GLint>(function);
    glDepthFunc(function);
  }
  unsigned int getDepthFunc() override { return static_cast<unsigned int>(depthFunction_); }
  void blendFunc(unsigned int source, unsigned int destination) override {
    if (record([=] { blendFunc(source, destination); })) return;
    const int function[4] = {static_cast<int>(source), static_cast<int>(destination), static_cast<int>(source),
                             static_cast<int>(destination)};
    std::copy_n(function, 4, state_.blendFunction);
    glBlendFunc(source, destination);
  }
  void polygonMode(unsigned int, unsigned int mode) override {
    if (record([=] { polygonMode(GL_FRONT_AND_BACK, mode); })) return;
    lines_ = mode == GL_LINE;
  }
  void texEnvi(unsigned int, unsigned int, int value) override {
    if (record([=] { texEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, value); })) return;
    textureEnvironment_ = value;
  }
  void getTexEnviv(unsigned int, unsigned int, int* value) override { *value = textureEnvironment_; }

  // Matrices.
  void matrixMode(unsigned int mode) override {
    if (record([=] { matrixMode(mode); })) return;
    current_ = mode == GL_PROJECTION ? &projection_ : &modelview_;
  }
  void pushMatrix() override {
    if (record([=] { pushMatrix(); })) return;
    current_->push();
  }
  void popMatrix() override {
    if (record([=] { popMatrix(); })) return;
    current_->pop();
  }
  void loadIdentity() override {
    if (record([=] { loadIdentity(); })) return;
    current_->load(identityMatrix());
  }
  void translatef(float x, float y, float z) override { multiplyCurrent(translationMatrix(x, y, z)); }
  void rotatef(float degrees, float x, float y, float z) override {
    multiplyCurrent(rotationMatrix(degrees, x, y, z));
  }
  void scalef(float x, float y, float z) override { multiplyCurrent(scaleMatrix(x, y, z)); }
  void perspective(double fovY, double aspect, double zNear, double zFar) override {
    multiplyCurrent(perspectiveMatrix(fovY, aspect, zNear, zFar));
  }
  void lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
              double upY, double upZ) override {
    const double eye[3] = {eyeX, eyeY, eyeZ}, centre[3] = {centreX, centreY, centreZ}, up[3] = {upX, upY, upZ};
    multiplyCurrent(lookAtMatrix(eye, centre, up));
  }
  void ortho2D(double left, double right, double bottom, double top) override {
    multiplyCurrent(orthoMatrix(left, right, bottom, top, -1.0, 1.0));
  }
  void ortho(double left, double right, double bottom, double top, double zNear, double zFar) override {
    multiplyCurrent(orthoMatrix(left, right, bottom, top, zNear, zFar));
  }
  void getMatrix(unsigned int which, float matrix[16]) override {
    const Matrix4& m = which == GL_PROJECTION_MATRIX ? projection_.top() : modelview_.top();
    std::copy(m.begin(), m.end(), matrix);
  }

  // Light, materials, colour.
  void lightfv(unsigned int light, unsigned int name, const float* values) override {
    const std::array<float, 4> v = {values[0], values[1], values[2], values[3]};
    if (record([=] { lightfv(light, name, v.data()); })) return;
    // Only light 0's position is ever set; its colours keep GL's defaults (no ambient, white).
    if (light != GL_LIGHT0 || name != GL_POSITION) return;
    const std::array<float, 4> eye = transform(modelview_.top(), v);
    std::copy(eye.begin(), eye.end(), state_.lightPosition);
  }
  void lightModelfv(unsigned int name, const float* values) override {
    const std::array<float, 4> v = {values[0], values[1], values[2], values[3]};
    if (record([=] { lightModelfv(name, v.data()); })) return;
    if (name == GL_LIGHT_MODEL_AMBIENT) std::copy(v.begin(), v.end(), state_.modelAmbient);
  }
  void materialfv(unsigned int face, unsigned int name, const float* values) override {
    const std::array<float, 4> v = {values[0], values[1], values[2], values[3]};
    if (record([=] { materialfv(face, name, v.data()); })) return;
    if (face == GL_BACK) return;  // one-sided light: only the front material shows
    Material& m = state_.front;
    switch (name) {
      case GL_AMBIENT: std::copy(v.begin(), v.end(), m.ambient); break;
      case GL_DIFFUSE: std::copy(v.begin(), v.end(), m.diffuse); break;
      case GL_SPECULAR: std::copy(v.begin(), v.end(), m.specular); break;
      case GL_EMISSION: std::copy(v.begin(), v.end(), m.emission); break;
      case GL_AMBIENT_AND_DIFFUSE:
        std::copy(v.begin(), v.end(), m.ambient);
        std::copy(v.begin(), v.end(), m.diffuse);
        break;
      case GL_SHININESS: m.shininess = v[0]; break;
      default: break;
    }
  }
  void materialf(unsigned int face, unsigned int name, float value) override {
    const float v[4] = {value, 0.0f, 0.0f, 0.0f};
    materialfv(face, name, v);
  }
  void color3f(float r, float g, float b) override { color4f(r, g, b, 1.0f); }
  void color3fv(const float* rgb) override { color4f(rgb[0], rgb[1], rgb[2], 1.0f); }
  void color4f(float r, float g, float b, float a) override {
    if (record([=] { color4f(r, g, b, a); })) return;
    state_.color[0] = r;
    state_.color[1] = g;
    state_.color[2] = b;
    state_.color[3] = a;
  }

  // Immediate mode: vertices gathered one by one, drawn at glEnd.
  void begin(unsigned int mode) override {
    immediateMode_ = mode;
    immediate_.clear();
  }
  void end() override { submit(immediateMode_, immediate_, nullptr, static_cast<int>(immediate_.size())); }
  void vertex3f(float x, float y, float z) override {
    Vertex v = currentVertex();
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    immediate_.push_back(v);
  }
  void texCoord2f(float s, float t) override {
    state_.texCoord[0] = s;
    state_.texCoord[1] = t;
  }
  void arrayElement(int index) override { immediate_.push_back(arrayVertex(index)); }
  void rectf(float x1, float y1, float x2, float y2) override {
    begin(GL_POLYGON);
    vertex3f(x1, y1, 0.0f);
    vertex3f(x2, y1, 0.0f);
    vertex3f(x2, y2, 0.0f);
    vertex3f(x1, y2, 0.0f);
    end();
  }

  // Client arrays.
  void enableClientState(unsigned int array) override {
    if (ClientArray* a = clientArray(array)) a->enabled = true;
  }
  void disableClientState(unsigned int array) override {
    if (ClientArray* a = clientArray(array)) a->enabled = false;
  }
  void vertexPointer(int size, unsigned int, int stride, const void* pointer) override {
    setPointer(vertices_, size, stride, pointer);
  }
  void normalPointer(unsigned int, int stride, const void* pointer) override { setPointer(normals_, 3, stride, pointer); }
  void texCoordPointer(int size, unsigned int, int stride, const void* pointer) override {
    setPointer(texCoords_, size, stride, pointer);
  }
  void colorPointer(int size, unsigned int, int stride, const void* pointer) override {
    setPointer(colors_, size, stride, pointer);
  }
  void drawArrays(unsigned int mode, int first, int count) override {
    if (!vertices_.enabled || count <= 0) return;
    gather(static_cast<uint32_t>(first), static_cast<uint32_t>(first + count - 1), gathered_);
    submit(mode, gathered_, nullptr, count);
  }
  void drawElements(unsigned int mode, int count, unsigned int type, const void* indices) override {
    if (vertices_.enabled && type == GL_UNSIGNED_INT) drawOne(mode, count, static_cast<const uint32_t*>(indices));
  }
  // The draws' vertices gathered once, over the range all of them index, and their primitives in one
  // index list: one upload and one draw.
  void multiDrawElements(unsigned int mode, const int* counts, unsigned int type, const void* const* indices,
                         int drawCount) override {
    if (!vertices_.enabled || type != GL_UNSIGNED_INT) return;
    if (compiling_) {  // a list keeps each draw, with its triangles and its edges
      for (int d = 0; d < drawCount; ++d) drawOne(mode, counts[d], static_cast<const uint32_t*>(indices[d]));
      return;
    }
    uint32_t low = UINT32_MAX, high = 0;
    for (int d = 0; d < drawCount; ++d) {
      const auto* order = static_cast<const uint32_t*>(indices[d]);
      for (int i = 0; i < counts[d]; ++i) {
        low = std::min(low, order[i]);
        high = std::max(high, order[i]);
      }
    }
    if (low > high) return;
    gather(low, high, gathered_);
    primitives_.clear();
    primitives_.reserve(static_cast<size_t>(std::accumulate(counts, counts + drawCount, 0)) * 3);
    const bool strips = !lines_ && (mode == GL_TRIANGLE_STRIP || mode == GL_QUAD_STRIP);
    for (int d = 0; d < drawCount; ++d) {
      const auto* order = static_cast<const uint32_t*>(indices[d]);
      rebased_.assign(order, order + counts[d]);
      for (uint32_t& i : rebased_) i -= low;
      if (strips) {
        joinStrip(mode, rebased_, primitives_);
      } else {
        primitiveIndices(mode, rebased_.data(), counts[d], lines_, primitives_);
      }
    }
    stream(gathered_, primitives_, strips ? GL_TRIANGLE_STRIP : GL_TRIANGLES);
  }

  // Appends a strip to one triangle strip, joined by degenerate triangles: the same triangles, with
  // each vertex shaded once per strip. A quad strip's pairs are swapped, so that each quad splits on
  // the diagonal from its first vertex as primitiveIndices() splits it, and one vertex more keeps
  // the triangles' winding.
  static void joinStrip(GLenum mode, const std::vector<uint32_t>& strip, std::vector<uint32_t>& out) {
    if (strip.size() < 3) return;
    const bool quads = mode == GL_QUAD_STRIP;
    const uint32_t first = quads ? strip[1] : strip[0];
    if (!out.empty()) {
      out.push_back(out.back());
      out.push_back(first);
      if (out.size() % 2 != 0) out.push_back(first);  // each strip starts on an even triangle
    }
    if (quads) {
      out.push_back(first);
      for (size_t i = 0; i + 1 < strip.size(); i += 2) out.insert(out.end(), {strip[i + 1], strip[i]});
    } else {
      out.insert(out.end(), strip.begin(), strip.end());
    }
  }

  void drawOne(GLenum mode, int count, const uint32_t* order) {
    if (count <= 0) return;
    const auto [low, high] = std::minmax_element(order, order + count);
    gather(*low, *high, gathered_);
    rebased_.assign(order, order + count);
    for (uint32_t& i : rebased_) i -= *low;
    submit(mode, gathered_, rebased_.data(), count);
  }

  // The layer's program draws until it hands back 0; GL keeps it until this backend's own is needed.
  void useProgram(unsigned int program) override {
    layerProgram_ = program;
    if (program != 0 && program != programInUse_) {
      glUseProgram(program);
      programInUse_ = program;
    }
  }

  // Display lists.
  // Deleted lists' names are given again, as GL gives them: a scene made anew (a new start in a
  // page) takes the slots of the one before instead of growing the table.
  unsigned int genLists(int range) override {
    if (range <= 0) return 0;
    const auto wanted = static_cast<size_t>(range);
    size_t first = 0, run = 0;
    for (size_t i = 0; i < lists_.size() && run < wanted; ++i) {
      if (lists_[i]) {
        first = i + 1;
        run = 0;
      } else {
        ++run;
      }
    }
    if (run < wanted) lists_.resize(first + wanted);
    for (size_t i = first; i < first + wanted; ++i) lists_[i] = std::make_unique<std::vector<std::function<void()>>>();
    return static_cast<unsigned int>(first) + 1;
  }
  void newList(unsigned int list, unsigned int) override {
    if (list == 0 || list > lists_.size()) return;
    compiling_ = std::make_unique<std::vector<std::function<void()>>>();
    compilingList_ = list;
    listBuffers_ = std::make_shared<ListBuffers>();
  }
  void endList() override {
    if (!compiling_) return;
    ListBuffers& buffers = *listBuffers_;
    std::vector<uint32_t> triangles, edges;
    std::vector<std::function<void()>> commands;
    StoredGeometry* previous = nullptr;  // the draw just before, with no other command between
    for (size_t c = 0; c < compiling_->size(); ++c) {
      StoredGeometry* stored = listDraws_[c].get();
      if (stored == nullptr) {
        commands.push_back(std::move((*compiling_)[c]));
        previous = nullptr;
        continue;
      }
      if (previous == nullptr) {
        stored->firstTriangle = triangles.size();
        stored->firstEdge = edges.size();
        commands.push_back(std::move((*compiling_)[c]));
        previous = stored;
      }
      previous->triangleCount += stored->triangleIndices.size();
      previous->edgeCount += stored->edgeIndices.size();
      triangles.insert(triangles.end(), stored->triangleIndices.begin(), stored->triangleIndices.end());
      edges.insert(edges.end(), stored->edgeIndices.begin(), stored->edgeIndices.end());
      stored->triangleIndices = {};
      stored->edgeIndices = {};
    }
    if (!listGathered_.empty()) fillBuffers(buffers, listGathered_, triangles, edges);
    *compiling_ = std::move(commands);
    listGathered_.clear();
    listDraws_.clear();
    lists_[compilingList_ - 1] = std::move(compiling_);
    compilingList_ = 0;
  }
  void callList(unsigned int list) override {
    if (record([=] { callList(list); })) return;
    if (list == 0 || list > lists_.size() || !lists_[list - 1]) return;
    for (const std::function<void()>& command : *lists_[list - 1]) command();
  }
  void deleteLists(unsigned int list, int range) override {
    for (unsigned int i = list; i < list + static_cast<unsigned int>(range) && i <= lists_.size(); ++i) {
      if (i > 0) lists_[i - 1].reset();
    }
    forgetBufferBindings();
  }

  // Textures on unit 0.
  void bindTexture(unsigned int target, unsigned int texture) override {
    if (record([=] { bindTexture(target, texture); })) return;
    boundTexture_ = texture;
    glBindTexture(target, texture);
  }
  // A value the bound texture holds already is not sent again: the scene resets the wrap after each
  // cannonball, and in a browser every call is a trip out of the program.
  void texParameteri(unsigned int target, unsigned int name, int value) override {
    if (record([=] { texParameteri(target, name, value); })) return;
    const auto [held, added] = textureParameters_.try_emplace({boundTexture_, name}, value);
    if (!added && held->second == value) return;
    held->second = value;
    glTexParameteri(target, name, value);
  }
  void texImage2D(unsigned int target, int level, int internalFormat, int width, int height, int border,
                  unsigned int format, unsigned int type, const void* pixels) override {
    // GL ES takes the format itself as the internal format.
    glTexImage2D(target, level, static_cast<GLint>(format), width, height, border, format, type, pixels);
    if (level == 0) textures_[boundTexture_] = Texture{width, height, internalFormat};
  }
  unsigned int boundTexture() override { return boundTexture_; }
  void deleteTexture(unsigned int texture) override {
    if (texture == 0) return;
    glDeleteTextures(1, &texture);
    textures_.erase(texture);
    forgetParameters(texture);
    if (boundTexture_ == texture) boundTexture_ = 0;  // GL unbinds a deleted texture
  }
  void textureSize(int* width, int* height, int* internalFormat) override {
    const auto found = textures_.find(boundTexture_);
    const Texture texture = found != textures_.end() ? found->second : Texture{};
    *width = texture.width;
    *height = texture.height;
    *internalFormat = texture.internalFormat;
  }
  void renderbufferStorage(unsigned int internalFormat, int width, int height) override {
    // GL ES 2.0 itself has 16-bit colour and depth; 8-bit colour and 24-bit depth are extensions.
    GLenum format = internalFormat;
    if (!epoxy_is_desktop_gl()) {
      if (format == GL_RGBA8 && !epoxy_has_gl_extension("GL_OES_rgb8_rgba8")) format = GL_RGBA4;
      if (format == GL_DEPTH_COMPONENT24 && !epoxy_has_gl_extension("GL_OES_depth24")) format = GL_DEPTH_COMPONENT16;
    }
    glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
  }
  bool hasFramebufferObjects() override { return true; }

  // Solids.
  void solidSphere(double radius, int slices, int stacks) override;
  void solidCube(double size) override;

  // No bitmap fonts.
  bool hasBitmapFonts() override { return false; }
  bool sparesUnseenWork() override { return true; }
  void rasterPos2i(int, int) override {}
  void bitmapCharacter(int, int) override {}

 private:
  // While a list is compiled, calls are kept to be replayed instead of done now.
  bool record(std::function<void()> command) {
    if (!compiling_) return false;
    compiling_->push_back(std::move(command));
    listDraws_.push_back(nullptr);
    return true;
  }

  void setCap(unsigned int cap, bool on) {
    if (record([=] { setCap(cap, on); })) return;
    switch (cap) {
      case GL_LIGHTING: state_.lighting = on; return;
      case GL_LIGHT0: state_.light0 = on; return;
      case GL_TEXTURE_2D: state_.texture2D = on; return;
      case GL_RESCALE_NORMAL: state_.rescaleNormal = on; return;
      case GL_COLOR_MATERIAL: return;  // never on in the scene
      default: break;
    }
    // GL's own capabilities: told to GL only when they change.
    bool* kept = realCap(cap);
    if (kept != nullptr && *kept == on) return;
    if (kept != nullptr) *kept = on;
    if (on) {
      glEnable(cap);
    } else {
      glDisable(cap);
    }
  }

  bool* realCap(unsigned int cap) {
    switch (cap) {
      case GL_CULL_FACE: return &state_.cullFace;
      case GL_DEPTH_TEST: return &state_.depthTest;
      case GL_BLEND: return &state_.blend;
      case GL_SCISSOR_TEST: return &state_.scissorTest;
      default: return nullptr;
    }
  }

  void multiplyCurrent(const Matrix4& m) {
    if (record([=] { multiplyCurrent(m); })) return;
    current_->multiply(m);
  }

  ClientArray* clientArray(unsigned int array) {
    switch (array) {
      case GL_VERTEX_ARRAY: return &vertices_;
      case GL_NORMAL_ARRAY: return &normals_;
      case GL_TEXTURE_COORD_ARRAY: return &texCoords_;
      case GL_COLOR_ARRAY: return &colors_;
      default: return nullptr;
    }
  }
  static void setPointer(ClientArray& array, int size, int stride, const void* pointer) {
    array.size = size;
    array.stride = stride != 0 ? stride : size * static_cast<int>(sizeof(float));
    array.pointer = static_cast<const float*>(pointer);
  }
  static const float* element(const ClientArray& array, int index) {
    return reinterpret_cast<const float*>(reinterpret_cast<const char*>(array.pointer) +
                                          static_cast<ptrdiff_t>(index) * array.stride);
  }

  Vertex currentVertex() const {
    Vertex v{};
    std::copy_n(state_.normal, 3, v.normal);
    std::copy_n(state_.texCoord, 2, v.texCoord);
    std::copy_n(state_.color, 4, v.color);
    return v;
  }
  // The vertices `low` to `high` of the client arrays, an array at a time: the sea's draws gather
  // thousands each frame.
  void gather(uint32_t low, uint32_t high, std::vector<Vertex>& out) const {
    out.assign(static_cast<size_t>(high - low + 1), currentVertex());
    const auto copy = [&](const ClientArray& array, size_t offset, int floats) {
      if (!array.enabled) return;
      const char* from = reinterpret_cast<const char*>(element(array, static_cast<int>(low)));
      const size_t bytes = static_cast<size_t>(floats) * sizeof(float);
      for (Vertex& v : out) {
        std::memcpy(reinterpret_cast<char*>(&v) + offset, from, bytes);
        from += array.stride;
      }
    };
    copy(vertices_, offsetof(Vertex, position), std::min(vertices_.size, 3));
    copy(normals_, offsetof(Vertex, normal), 3);
    copy(texCoords_, offsetof(Vertex, texCoord), std::min(texCoords_.size, 2));
    copy(colors_, offsetof(Vertex, color), std::min(colors_.size, 4));
    if (colors_.enabled && colors_.size == 3) {
      for (Vertex& v : out) v.color[3] = 1.0f;
    }
  }
  Vertex arrayVertex(int index) const {
    Vertex v = currentVertex();
    if (vertices_.enabled) std::copy_n(element(vertices_, index), std::min(vertices_.size, 3), v.position);
    if (normals_.enabled) std::copy_n(element(normals_, index), 3, v.normal);
    if (texCoords_.enabled) std::copy_n(element(texCoords_, index), std::min(texCoords_.size, 2), v.texCoord);
    if (colors_.enabled) {
      std::copy_n(element(colors_, index), std::min(colors_.size, 4), v.color);
      if (colors_.size == 3) v.color[3] = 1.0f;
    }
    return v;
  }

  // Draws (or, while a list is compiled, stores) a primitive; `order` indexes `vertices` (null: in
  // sequence).
  void submit(GLenum mode, const std::vector<Vertex>& vertices, const uint32_t* order, int count) {
    if (vertices.empty() || count <= 0) return;
    if (compiling_) {
      auto stored = std::make_shared<StoredGeometry>();
      primitiveIndices(mode, order, count, false, stored->triangleIndices);
      primitiveIndices(mode, order, count, true, stored->edgeIndices);
      const auto base = static_cast<uint32_t>(listGathered_.size());
      for (uint32_t& i : stored->triangleIndices) i += base;
      for (uint32_t& i : stored->edgeIndices) i += base;
      listGathered_.insert(listGathered_.end(), vertices.begin(), vertices.end());
      stored->buffers = listBuffers_;
      compiling_->push_back([this, stored] { drawStored(*stored); });
      listDraws_.push_back(stored);
      return;
    }
    primitives_.clear();
    primitiveIndices(mode, order, count, lines_, primitives_);
    stream(vertices, primitives_);
  }

  // Draws triangles, or a strip (edges in GL_LINE mode), through the buffers refilled for each draw.
  void stream(const std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices,
              GLenum mode = GL_TRIANGLES) {
    if (indices.empty()) return;
    if (streamVertices_ == 0) {
      glGenBuffers(1, &streamVertices_);
      glGenBuffers(1, &streamIndices_);
    }
    glBindBuffer(GL_ARRAY_BUFFER, streamVertices_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STREAM_DRAW);
    streamed_.assign(indices, vertices.size());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices_);
    boundIndices_ = streamIndices_;
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(streamed_.bytes()), streamed_.data(),
                 GL_STREAM_DRAW);
    draw(streamVertices_, streamIndices_, streamed_.type, 0, streamed_.count, lines_ ? GL_LINES : mode);
  }

  void drawStored(StoredGeometry& stored) {
    ListBuffers& buffers = *stored.buffers;
    IndexList& list = lines_ ? buffers.edges : buffers.triangles;
    const size_t first = lines_ ? stored.firstEdge : stored.firstTriangle;
    const size_t count = lines_ ? stored.edgeCount : stored.triangleCount;
    if (count == 0) return;
    if (list.buffer == 0) {
      list.buffer = makeBuffer(GL_ELEMENT_ARRAY_BUFFER, list.data(), list.bytes(), GL_STATIC_DRAW);
      boundIndices_ = list.buffer;
    }
    draw(buffers.vertices, list.buffer, list.type, first, static_cast<GLsizei>(count), lines_ ? GL_LINES : GL_TRIANGLES);
  }

  // A new buffer with `bytes` of `data`, left bound to `target`.
  GLuint makeBuffer(GLenum target, const void* data, size_t bytes, GLenum usage) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, usage);
    return buffer;
  }

  // Draws the index buffer `indices` over the vertex buffer `vertices` with the program that draws
  // now. The attribute layout is set when the vertex buffer differs from the last draw's; the
  // bindings stay for the next draw (leave() clears them).
  void draw(GLuint vertices, GLuint indices, GLenum type, size_t first, GLsizei count, GLenum mode) {
    if (layerProgram_ == 0) useFixedProgram();
    if (vertices != layoutBuffer_) {
      glBindBuffer(GL_ARRAY_BUFFER, vertices);
      const auto offset = [](size_t bytes) { return reinterpret_cast<const void*>(bytes); };
      glVertexAttribPointer(kGfxAttributePosition, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                            offset(offsetof(Vertex, position)));
      glVertexAttribPointer(kGfxAttributeNormal, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                            offset(offsetof(Vertex, normal)));
      glVertexAttribPointer(kGfxAttributeTexCoord, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                            offset(offsetof(Vertex, texCoord)));
      glVertexAttribPointer(kGfxAttributeColor, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                            offset(offsetof(Vertex, color)));
      if (!arraysOn_) {
        for (GLuint a = kGfxAttributePosition; a <= kGfxAttributeColor; ++a) glEnableVertexAttribArray(a);
        arraysOn_ = true;
      }
      layoutBuffer_ = vertices;
    }
    if (indices != boundIndices_) glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
    boundIndices_ = indices;
    const size_t bytes = first * (type == GL_UNSIGNED_SHORT ? 2 : 4);
    glDrawElements(mode, count, type, reinterpret_cast<const void*>(bytes));
  }

  // Every variant of the fixed pipeline's program, before the first frame: linking one and asking
  // for its uniforms in the middle of the demo (the first lit model, the first texture added) stalls
  // that frame, in a browser twice over.
  void makePrograms() {
    for (int lighting : {0, kLightingBit}) {
      for (int texture : {0, kTextureAddBit, kTextureModulateBit}) {
        if (programs_.count(lighting | texture) == 0) programs_.emplace(lighting | texture, makeFixedProgram(lighting | texture));
      }
    }
  }

  // The fixed pipeline's program for the current state, with its uniforms.
  void useFixedProgram() {
    const auto known = textures_.find(boundTexture_);
    const bool hasImage = boundTexture_ != 0 && (known == textures_.end() || known->second.width > 0);
    int variant = state_.lighting ? kLightingBit : 0;
    if (state_.texture2D && hasImage) variant |= textureEnvironment_ == GL_ADD ? kTextureAddBit : kTextureModulateBit;
    auto found = programs_.find(variant);
    if (found == programs_.end()) found = programs_.emplace(variant, makeFixedProgram(variant)).first;
    FixedProgram& p = found->second;
    if (p.program != programInUse_) {
      glUseProgram(p.program);
      programInUse_ = p.program;
    }
    const Matrix4 clip = multiply(projection_.top(), modelview_.top());
    if (!p.uploaded || clip != p.clip) {
      glUniformMatrix4fv(p.clipFromObject, 1, GL_FALSE, clip.data());
      p.clip = clip;
    }
    if (!state_.lighting) {
      p.uploaded = true;
      return;
    }
    const std::array<float, 9> normals = normalMatrix(modelview_.top(), state_.rescaleNormal);
    if (!p.uploaded || normals != p.normals) {
      glUniformMatrix3fv(p.normalFromObject, 1, GL_FALSE, normals.data());
      p.normals = normals;
    }
    const Material& m = state_.front;
    // A directional light (w = 0), and GL's viewer at infinity along +z for the highlight.
    float light[3] = {state_.lightPosition[0], state_.lightPosition[1], state_.lightPosition[2]};
    normalise3(light);
    float half[3] = {light[0], light[1], light[2] + 1.0f};
    normalise3(half);
    // Light 0 has no ambient light of its own and white diffuse and specular light (GL's defaults).
    const std::array<float, 20> values = {
        m.emission[0] + state_.modelAmbient[0] * m.ambient[0], m.emission[1] + state_.modelAmbient[1] * m.ambient[1],
        m.emission[2] + state_.modelAmbient[2] * m.ambient[2], 1.0f,
        m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3],
        m.specular[0], m.specular[1], m.specular[2], m.shininess,
        light[0], light[1], light[2], state_.light0 ? 1.0f : 0.0f,
        half[0], half[1], half[2], 0.0f};
    if (!p.uploaded || values != p.lightValues) {
      glUniform4fv(p.light, 5, values.data());
      p.lightValues = values;
    }
    p.uploaded = true;
  }

  void forgetParameters(unsigned int texture) {
    textureParameters_.erase(textureParameters_.lower_bound({texture, 0u}),
                             textureParameters_.upper_bound({texture, ~0u}));
  }

  // A solid's description as the key of its stored geometry: what it is, up to three dimensions, and
  // the current normal, texture coordinate and colour that its vertices take on.
  using SolidKey = std::array<float, 13>;
  SolidKey solidKey(float shape, float a, float b = 0.0f, float c = 0.0f) const {
    const Vertex v = currentVertex();
    return {shape, a, b, c, v.normal[0], v.normal[1], v.normal[2], v.texCoord[0], v.texCoord[1],
            v.color[0], v.color[1], v.color[2], v.color[3]};
  }

  // Draws a solid from buffers made at its first draw, as a display list would: each cannonball in
  // flight is one sphere more a pass, and streaming its few dozen vertices each time costs a browser
  // more than the draw. `build` gives its vertices and quads (none: the vertices in fours). Inside a
  // list, the list keeps the solid.
  template <typename Build>
  void drawSolid(const SolidKey& key, Build build) {
    const auto found = solids_.find(key);
    if (found != solids_.end() && !compiling_) {
      drawStored(*found->second);
      return;
    }
    std::vector<Vertex> vertices;
    std::vector<uint32_t> quads;
    build(vertices, quads);
    const uint32_t* order = quads.empty() ? nullptr : quads.data();
    const int count = static_cast<int>(quads.empty() ? vertices.size() : quads.size());
    if (compiling_ || vertices.empty()) {
      submit(GL_QUADS, vertices, order, count);
      return;
    }
    // A few shapes at most are in use; a scene that keeps making new ones does not pile them up.
    if (solids_.size() >= kMostSolids) {
      solids_.clear();
      forgetBufferBindings();
    }
    auto stored = std::make_shared<StoredGeometry>();
    stored->buffers = std::make_shared<ListBuffers>();
    std::vector<uint32_t> triangles, edges;
    primitiveIndices(GL_QUADS, order, count, false, triangles);
    primitiveIndices(GL_QUADS, order, count, true, edges);
    fillBuffers(*stored->buffers, vertices, triangles, edges);
    stored->triangleCount = triangles.size();
    stored->edgeCount = edges.size();
    drawStored(*solids_.emplace(key, stored).first->second);
  }
  static constexpr size_t kMostSolids = 16;

  // A stored draw's buffers: the vertices and the triangles' indices now, the edges' on first use.
  void fillBuffers(ListBuffers& buffers, const std::vector<Vertex>& vertices, const std::vector<uint32_t>& triangles,
                   const std::vector<uint32_t>& edges) {
    buffers.vertices = makeBuffer(GL_ARRAY_BUFFER, vertices.data(), vertices.size() * sizeof(Vertex), GL_STATIC_DRAW);
    buffers.triangles = IndexList(triangles, vertices.size());
    buffers.edges = IndexList(edges, vertices.size());
    buffers.triangles.buffer = makeBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.triangles.data(), buffers.triangles.bytes(),
                                          GL_STATIC_DRAW);
    boundIndices_ = buffers.triangles.buffer;
  }

  // After stored buffers are freed: GL may give their names to new buffers, which must not pass for
  // the freed ones that the attribute layout and the index binding were set on.
  void forgetBufferBindings() { layoutBuffer_ = boundIndices_ = 0; }

  static void normalise3(float v[3]) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) for (int i = 0; i < 3; ++i) v[i] /= length;
  }

  Attributes state_;
  std::vector<Attributes> saved_;
  bool depthWrites_ = true;
  GLint depthFunction_ = GL_LESS;
  MatrixStack modelview_, projection_;
  MatrixStack* current_ = &modelview_;
  bool lines_ = false;
  int textureEnvironment_ = GL_MODULATE;
  unsigned int boundTexture_ = 0;
  std::map<unsigned int, Texture> textures_;
  // Each texture's parameters as last set, by (texture, parameter name).
  std::map<std::pair<unsigned int, unsigned int>, int> textureParameters_;
  // Solids drawn outside lists, by shape, size and the current vertex they carry: see drawSolid.
  std::map<SolidKey, std::shared_ptr<StoredGeometry>> solids_;
  ClientArray vertices_, normals_, texCoords_, colors_;
  GLenum immediateMode_ = GL_TRIANGLES;
  std::vector<Vertex> immediate_;
  std::vector<std::unique_ptr<std::vector<std::function<void()>>>> lists_;
  std::unique_ptr<std::vector<std::function<void()>>> compiling_;
  unsigned int compilingList_ = 0;
  // The list being compiled: its buffers, its vertices, and for each command its draw (or null).
  std::shared_ptr<ListBuffers> listBuffers_;
  std::vector<Vertex> listGathered_;
  std::vector<std::shared_ptr<StoredGeometry>> listDraws_;
  std::map<int, FixedProgram> programs_;
  GLuint streamVertices_ = 0, streamIndices_ = 0;
  // Scratch of the streamed draws, kept so that their storage is reused: the sea alone gathers
  // thousands of vertices several times a frame.
  std::vector<Vertex> gathered_;
  std::vector<uint32_t> rebased_, primitives_;
  IndexList streamed_;
  // GL state this backend leaves set between draws.
  // The vertex buffer the attribute layout was last set on (a layout stays with its buffer, whatever
  // is bound later), and whether the attribute arrays are on.
  GLuint layoutBuffer_ = 0;
  bool arraysOn_ = false;
  GLuint boundIndices_ = 0;   // the index buffer bound
  GLuint programInUse_ = 0;   // the program GL runs: the layer's or this backend's own
  GLuint layerProgram_ = 0;   // the shader layer's program in use (gfxUseProgram), 0 for none
};

void Es2Backend::solidSphere(double radius, int slices, int stacks) {
  if (slices < 2 || stacks < 1) return;
  drawSolid(solidKey(1.0f, static_cast<float>(radius), static_cast<float>(slices), static_cast<float>(stacks)),
            [&](std::vector<Vertex>& vertices, std::vector<uint32_t>& quads) {
    // Rings from the top (+z) down, each of slices + 1 vertices (the seam twice); normals outward.
    constexpr double kPi = 3.14159265358979323846;
    for (int ring = 0; ring <= stacks; ++ring) {
      const double polar = kPi * ring / stacks;
      for (int slice = 0; slice <= slices; ++slice) {
        const double azimuth = 2.0 * kPi * slice / slices;
        Vertex v = currentVertex();
        const float n[3] = {static_cast<float>(std::sin(polar) * std::cos(azimuth)),
                            static_cast<float>(std::sin(polar) * std::sin(azimuth)), static_cast<float>(std::cos(polar))};
        for (int i = 0; i < 3; ++i) {
          v.normal[i] = n[i];
          v.position[i] = static_cast<float>(radius) * n[i];
        }
        vertices.push_back(v);
      }
    }
    const auto at = [&](int ring, int slice) { return static_cast<uint32_t>(ring * (slices + 1) + slice); };
    for (int ring = 0; ring < stacks; ++ring) {
      for (int slice = 0; slice < slices; ++slice) {
        quads.insert(quads.end(), {at(ring, slice), at(ring + 1, slice), at(ring + 1, slice + 1), at(ring, slice + 1)});
      }
    }
  });
}

void Es2Backend::solidCube(double size) {
  drawSolid(solidKey(2.0f, static_cast<float>(size)), [&](std::vector<Vertex>& vertices, std::vector<uint32_t>&) {
    // Each face: its outward axis and two axes spanning it counter-clockwise seen from outside.
    static const int kFaces[6][3][3] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
    };
    static const float kCorners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const float half = static_cast<float>(size / 2.0);
    for (const auto& face : kFaces) {
      for (const auto& corner : kCorners) {
        Vertex v = currentVertex();
        for (int i = 0; i < 3; ++i) {
          v.normal[i] = static_cast<float>(face[0][i]);
          v.position[i] = half * (face[0][i] + corner[0] * face[1][i] + corner[1] * face[2][i]);
        }
        vertices.push_back(v);
      }
    }
  });
}

}  // namespace

GfxBackend& es2GfxBackend() {
  static Es2Backend backend;
  return backend;
}
