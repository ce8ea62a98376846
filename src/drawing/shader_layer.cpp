// Shader layer over GLSL 1.20 or GLSL ES 1.00 through GL 2.0 entry points: compiling entries of one
// source file, linking stage pairs on demand, keeping parameter values and uploading them to the
// program in use.
#include "drawing/shader_layer.h"

#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "platform/file_read.h"

#include <algorithm>
#include <cstdio>
#include <deque>  // Required for: stable addresses of linked pairs
#include <memory>
#include <string>
#include <vector>

enum class ParameterKind { kUnset, kFloat1, kFloat2, kFloat3, kMatrix, kSampler };

struct ShaderParameter {
  ShaderProgram* program = nullptr;
  std::string name;
  ParameterKind kind = ParameterKind::kUnset;
  float values[16] = {};       // 1, 2, 3 or 16 (column-major) floats, by kind
  unsigned int texture = 0;    // samplers: GL texture name
  int unit = 0;                // samplers: texture unit, from 1 on
  bool textureEnabled = false;
};

struct ShaderProgram {
  ShaderContext* context = nullptr;
  ShaderProfile profile = kShaderProfileUnknown;
  GLuint shader = 0;  // compiled stage
  std::vector<std::unique_ptr<ShaderParameter>> parameters;
  int samplerUnits = 0;  // sampler units handed out so far
};

// A GL program object for one combination of stages; either stage may be absent.
struct LinkedPair {
  ShaderProgram* vertex = nullptr;
  ShaderProgram* fragment = nullptr;
  GLuint program = 0;  // 0 when linking failed
  // Each parameter's uniform location in `program` (-1: not there), asked of GL once: in a browser
  // a question waits until everything drawn before it is done.
  mutable std::vector<std::pair<const ShaderParameter*, GLint>> locations;
};

struct ShaderContext {
  std::vector<std::unique_ptr<ShaderProgram>> programs;
  std::deque<LinkedPair> linked;
  GLuint frontColorStage = 0;  // GLSL ES: the fragment stage of a vertex program alone
};

namespace {

// What the stages are set to; GL's program follows from it (see selectProgram).
struct LayerState {
  bool vertexEnabled = false;
  bool fragmentEnabled = false;
  ShaderProgram* vertexProgram = nullptr;
  ShaderProgram* fragmentProgram = nullptr;
  const LinkedPair* pairInUse = nullptr;
};

LayerState g_state;
std::string g_lastError;
// The drawing path picks the dialect: GLSL ES 1.00 where only what GL ES 2.0 offers may be used.
bool esDialect() { return graphicsPath() == GraphicsPath::kEs2; }

// What the source file's vertex inputs and colour output are in each dialect (see the header).
const char* const kGlsl120Names =
    "#define vertexPosition gl_Vertex\n#define vertexNormal gl_Normal\n"
    "#define vertexTexCoord gl_MultiTexCoord0\n#define vertexColor gl_Color\n#define frontColor gl_FrontColor\n";
const char* const kEsVertexNames =
    "#define GLSL_ES 1\nprecision highp float;\nattribute vec4 vertexPosition;\nattribute vec3 vertexNormal;\n"
    "attribute vec4 vertexTexCoord;\nattribute vec4 vertexColor;\nvarying vec4 frontColor;\n";
// A fragment stage may lack high precision in GLSL ES; the sea's sums still fit medium precision.
// Where it has it, texture reads are high too: their default, low, costs a software renderer a
// conversion of every texel it reads (4 % of the sea's shading).
const char* const kEsFragmentNames =
    "#define GLSL_ES 1\n#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\nprecision highp sampler2D;\n#else\n"
    "precision mediump float;\n#endif\n";
const char* const kEsFrontColorStage =
    "#version 100\n#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump float;\n#endif\n"
    "varying vec4 frontColor;\n"
    "void main() { gl_FragColor = frontColor; }\n";

void fail(std::string text) {
  g_lastError = std::move(text);
}

bool hasExtension(const char* name) {
  return epoxy_has_gl_extension(name);
}

// The info log of a shader (glGetShaderiv, glGetShaderInfoLog) or a program (glGetProgramiv,
// glGetProgramInfoLog), without its terminating zeros.
std::string infoLog(GLuint object, PFNGLGETSHADERIVPROC getParameter, PFNGLGETSHADERINFOLOGPROC getLog) {
  GLint length = 0;
  getParameter(object, GL_INFO_LOG_LENGTH, &length);
  std::string log(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) getLog(object, length, nullptr, &log[0]);
  while (!log.empty() && log.back() == '\0') log.pop_back();
  return log;
}

std::string shaderLog(GLuint shader) { return infoLog(shader, glGetShaderiv, glGetShaderInfoLog); }
std::string programLog(GLuint program) { return infoLog(program, glGetProgramiv, glGetProgramInfoLog); }

GLuint compileStage(GLenum type, const char* const* strings, int count) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, count, strings, nullptr);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled != GL_TRUE) {
    fail(shaderLog(shader));
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// Links the stages present; returns 0 and records the linker's log on failure. GLSL ES has no fixed
// stages: a vertex stage alone gets one that shows its colour, a fragment stage alone cannot run.
GLuint linkStages(ShaderContext* context, ShaderProgram* vertex, ShaderProgram* fragment) {
  GLuint fragmentShader = fragment != nullptr ? fragment->shader : 0;
  if (esDialect()) {
    if (vertex == nullptr) {
      fail("link error:\nGLSL ES needs a vertex program");
      return 0;
    }
    if (fragment == nullptr) {
      if (context->frontColorStage == 0) context->frontColorStage = compileStage(GL_FRAGMENT_SHADER, &kEsFrontColorStage, 1);
      fragmentShader = context->frontColorStage;
    }
  }
  const GLuint program = glCreateProgram();
  if (vertex != nullptr) glAttachShader(program, vertex->shader);
  if (fragmentShader != 0) glAttachShader(program, fragmentShader);
  if (esDialect()) {
    glBindAttribLocation(program, kGfxAttributePosition, "vertexPosition");
    glBindAttribLocation(program, kGfxAttributeNormal, "vertexNormal");
    glBindAttribLocation(program, kGfxAttributeTexCoord, "vertexTexCoord");
    glBindAttribLocation(program, kGfxAttributeColor, "vertexColor");
  }
  glLinkProgram(program);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    fail("link error:\n" + programLog(program));
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

GLint uniformLocation(const LinkedPair& pair, const ShaderParameter& parameter) {
  for (const auto& [known, location] : pair.locations)
    if (known == &parameter) return location;
  const GLint location = glGetUniformLocation(pair.program, parameter.name.c_str());
  pair.locations.emplace_back(&parameter, location);
  return location;
}

// Every parameter the pair's stages have so far, located when the pair is linked; one named later
// is located at its first upload.
void locateAll(const LinkedPair& pair) {
  for (const ShaderProgram* stage : {pair.vertex, pair.fragment}) {
    if (stage == nullptr) continue;
    for (const auto& parameter : stage->parameters) uniformLocation(pair, *parameter);
  }
}

// The cached link of a stage combination, linking it on first use.
const LinkedPair* findOrLink(ShaderContext* context, ShaderProgram* vertex, ShaderProgram* fragment) {
  for (const LinkedPair& pair : context->linked) {
    if (pair.vertex == vertex && pair.fragment == fragment) return &pair;
  }
  const GLuint program = linkStages(context, vertex, fragment);
  if (program == 0) {
    // Said once: the failure is cached, later frames fall back quietly.
    std::fprintf(stderr, "shader layer: %s\n", g_lastError.c_str());
  }
  context->linked.push_back({vertex, fragment, program, {}});
  if (program != 0) locateAll(context->linked.back());
  return &context->linked.back();
}

bool inUse(const ShaderProgram* program) {
  return g_state.pairInUse != nullptr && program != nullptr &&
         (g_state.pairInUse->vertex == program || g_state.pairInUse->fragment == program);
}

void uploadParameter(const LinkedPair& pair, const ShaderParameter& parameter) {
  if (parameter.kind == ParameterKind::kUnset) return;
  const GLint location = uniformLocation(pair, parameter);
  if (location < 0) return;
  switch (parameter.kind) {
    case ParameterKind::kFloat1: glUniform1fv(location, 1, parameter.values); break;
    case ParameterKind::kFloat2: glUniform2fv(location, 1, parameter.values); break;
    case ParameterKind::kFloat3: glUniform3fv(location, 1, parameter.values); break;
    case ParameterKind::kMatrix: glUniformMatrix4fv(location, 1, GL_FALSE, parameter.values); break;
    case ParameterKind::kSampler: glUniform1i(location, parameter.unit); break;
    case ParameterKind::kUnset: break;
  }
}

void uploadAll(const LinkedPair& pair, const ShaderProgram* source) {
  if (source == nullptr) return;
  for (const auto& parameter : source->parameters) uploadParameter(pair, *parameter);
}

// Puts the GL program matching the enabled stages in use and gives it every parameter value.
void selectProgram() {
  ShaderProgram* vertex = g_state.vertexEnabled ? g_state.vertexProgram : nullptr;
  ShaderProgram* fragment = g_state.fragmentEnabled ? g_state.fragmentProgram : nullptr;
  const LinkedPair* pair = nullptr;
  if (vertex != nullptr || fragment != nullptr) {
    ShaderContext* context = vertex != nullptr ? vertex->context : fragment->context;
    if (vertex != nullptr && fragment != nullptr && fragment->context != context) fragment = nullptr;
    pair = findOrLink(context, vertex, fragment);
    // A pair that does not link runs its vertex stage alone rather than nothing at all.
    if (pair->program == 0 && vertex != nullptr && fragment != nullptr) {
      pair = findOrLink(context, vertex, nullptr);
    }
    if (pair->program == 0) pair = nullptr;
  }
  const GLuint program = pair != nullptr ? pair->program : 0;
  const bool changed = pair != g_state.pairInUse;
  g_state.pairInUse = pair;
  gfxUseProgram(program);
  // Values set while another program ran reach this one here; while it stays in use, each set
  // uploads at once.
  if (pair != nullptr && changed) {
    uploadAll(*pair, pair->vertex);
    uploadAll(*pair, pair->fragment);
  }
}

void parameterChanged(const ShaderParameter& parameter) {
  if (inUse(parameter.program)) uploadParameter(*g_state.pairInUse, parameter);
}

// Outside this function the active unit is always unit 0, the fixed stage's: nothing else in the
// program selects another, so the layer knows it without asking GL.
void bindUnit(int unit, unsigned int texture) {
  glActiveTexture(GL_TEXTURE0 + unit);
  glBindTexture(GL_TEXTURE_2D, texture);
  glActiveTexture(GL_TEXTURE0);
}

}  // namespace

ShaderContext* shaderCreateContext() {
  if (!glContextCurrent()) {
    fail("no current GL context");
    return nullptr;
  }
  return new ShaderContext();
}

void shaderDestroyContext(ShaderContext* context) {
  if (context == nullptr) return;
  bool wasBound = false;
  if (g_state.vertexProgram != nullptr && g_state.vertexProgram->context == context) {
    g_state.vertexProgram = nullptr;
    wasBound = true;
  }
  if (g_state.fragmentProgram != nullptr && g_state.fragmentProgram->context == context) {
    g_state.fragmentProgram = nullptr;
    wasBound = true;
  }
  if (glContextCurrent()) {
    if (wasBound) selectProgram();
    for (const LinkedPair& pair : context->linked) {
      if (pair.program != 0) glDeleteProgram(pair.program);
    }
    for (const auto& program : context->programs) glDeleteShader(program->shader);
    if (context->frontColorStage != 0) glDeleteShader(context->frontColorStage);
  } else {
    // The window and its context are gone (shutdown after the main loop): GL has freed the
    // objects with the context, and no program is in use any more.
    g_state.pairInUse = nullptr;
  }
  delete context;
}

ShaderProfile shaderLatestProfile(ShaderStage stage) {
  if (!glContextCurrent()) return kShaderProfileUnknown;
  const bool core = epoxy_gl_version() >= 20;
  const bool objects = hasExtension("GL_ARB_shader_objects") && hasExtension("GL_ARB_shading_language_100");
  if (stage == kShaderVertexStage) {
    return core || (objects && hasExtension("GL_ARB_vertex_shader")) ? kShaderProfileGlslVertex
                                                                       : kShaderProfileUnknown;
  }
  return core || (objects && hasExtension("GL_ARB_fragment_shader")) ? kShaderProfileGlslFragment
                                                                       : kShaderProfileUnknown;
}

ShaderProgram* shaderCreateProgramFromFile(ShaderContext* context, const char* path, ShaderProfile profile,
                                           const char* entry, const char* const* args) {
  const std::string where = std::string(path) + ", entry " + entry + ":\n";
  if (context == nullptr) {
    fail(where + "no shader context");
    return nullptr;
  }
  if (profile == kShaderProfileUnknown) {
    fail(where + "no profile for this stage");
    return nullptr;
  }
  std::string source;
  if (!readWholeFile(path, source)) {
    fail(where + "cannot read the shader source file");
    return nullptr;
  }

  const bool isVertex = profile == kShaderProfileGlslVertex;
  std::string prefix = esDialect() ? "#version 100\n" : "#version 120\n";
  prefix += !esDialect() ? kGlsl120Names : isVertex ? kEsVertexNames : kEsFragmentNames;
  prefix += std::string("#define ") + entry + " main\n#define ENTRY_" + entry + "\n";
  for (const char* const* arg = args; arg != nullptr && *arg != nullptr; ++arg) {
    // "-DNAME" or "-DNAME=VALUE", on one line.
    const std::string text = *arg;
    const size_t equals = std::min(text.find('='), text.size());
    if (text.compare(0, 2, "-D") != 0 || equals <= 2 || text.find('\n') != std::string::npos) {
      fail(where + "unknown compiler argument \"" + text + "\"");
      return nullptr;
    }
    const std::string value = equals < text.size() ? " " + text.substr(equals + 1) : "";
    prefix += "#define " + text.substr(2, equals - 2) + value + "\n";
  }
  // The log counts lines of the file: after "#line N" the next line is N + 1 in GLSL 1.20, N in GLSL ES.
  prefix += esDialect() ? "#line 1\n" : "#line 0\n";
  const char* strings[2] = {prefix.c_str(), source.c_str()};
  const GLuint shader = compileStage(isVertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER, strings, 2);
  if (shader == 0) {
    fail(where + g_lastError);
    return nullptr;
  }

  auto program = std::make_unique<ShaderProgram>();
  program->context = context;
  program->profile = profile;
  program->shader = shader;

  // Linking the stage on its own finds a missing entry function now rather than at the first draw;
  // the result is also the program that runs when only this stage is enabled. (A GLSL ES fragment
  // stage cannot run alone: its entry is found when it is first linked with a vertex stage.)
  GLuint alone = 0;
  if (isVertex || !esDialect()) {
    alone = linkStages(context, isVertex ? program.get() : nullptr, isVertex ? nullptr : program.get());
  }
  if (alone == 0 && (isVertex || !esDialect())) {
    fail(where + g_lastError);
    glDeleteShader(shader);
    return nullptr;
  }
  context->linked.push_back({isVertex ? program.get() : nullptr, isVertex ? nullptr : program.get(), alone, {}});
  context->programs.push_back(std::move(program));
  return context->programs.back().get();
}

const char* shaderLastError() {
  return g_lastError.c_str();
}

ShaderParameter* shaderGetNamedParameter(ShaderProgram* program, const char* name) {
  if (program == nullptr || name == nullptr) return nullptr;
  for (const auto& parameter : program->parameters) {
    if (parameter->name == name) return parameter.get();
  }
  auto parameter = std::make_unique<ShaderParameter>();
  parameter->program = program;
  parameter->name = name;
  program->parameters.push_back(std::move(parameter));
  return program->parameters.back().get();
}

void shaderSetParameter1f(ShaderParameter* parameter, float x) {
  if (parameter == nullptr) return;
  parameter->kind = ParameterKind::kFloat1;
  parameter->values[0] = x;
  parameterChanged(*parameter);
}

void shaderSetParameter2f(ShaderParameter* parameter, float x, float y) {
  if (parameter == nullptr) return;
  parameter->kind = ParameterKind::kFloat2;
  parameter->values[0] = x;
  parameter->values[1] = y;
  parameterChanged(*parameter);
}

void shaderSetParameter3f(ShaderParameter* parameter, float x, float y, float z) {
  if (parameter == nullptr) return;
  parameter->kind = ParameterKind::kFloat3;
  parameter->values[0] = x;
  parameter->values[1] = y;
  parameter->values[2] = z;
  parameterChanged(*parameter);
}

void shaderCurrentModelViewProjection(float clipFromObject[16]) {
  float modelview[16], projection[16];
  gfxGetMatrix(GL_MODELVIEW_MATRIX, modelview);
  gfxGetMatrix(GL_PROJECTION_MATRIX, projection);
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += projection[k * 4 + row] * modelview[column * 4 + k];
      clipFromObject[column * 4 + row] = sum;
    }
  }
}

void shaderSetModelViewProjectionParameter(ShaderParameter* parameter) {
  if (parameter == nullptr) return;
  shaderCurrentModelViewProjection(parameter->values);
  parameter->kind = ParameterKind::kMatrix;
  parameterChanged(*parameter);
}

void shaderSetTextureParameter(ShaderParameter* parameter, unsigned int texture) {
  if (parameter == nullptr) return;
  if (parameter->kind != ParameterKind::kSampler) {
    parameter->kind = ParameterKind::kSampler;
    parameter->unit = ++parameter->program->samplerUnits;
  }
  parameter->texture = texture;
  if (parameter->textureEnabled) bindUnit(parameter->unit, texture);
  parameterChanged(*parameter);
}

void shaderEnableTextureParameter(ShaderParameter* parameter) {
  if (parameter == nullptr || parameter->kind != ParameterKind::kSampler) return;
  parameter->textureEnabled = true;
  bindUnit(parameter->unit, parameter->texture);
}

void shaderDisableTextureParameter(ShaderParameter* parameter) {
  if (parameter == nullptr || parameter->kind != ParameterKind::kSampler) return;
  parameter->textureEnabled = false;
  bindUnit(parameter->unit, 0);
}

void shaderEnableProfile(ShaderProfile profile) {
  if (profile == kShaderProfileGlslVertex) g_state.vertexEnabled = true;
  else if (profile == kShaderProfileGlslFragment) g_state.fragmentEnabled = true;
  else return;
  selectProgram();
}

void shaderDisableProfile(ShaderProfile profile) {
  if (profile == kShaderProfileGlslVertex) g_state.vertexEnabled = false;
  else if (profile == kShaderProfileGlslFragment) g_state.fragmentEnabled = false;
  else return;
  selectProgram();
}

void shaderBindProgram(ShaderProgram* program) {
  if (program == nullptr) return;
  if (program->profile == kShaderProfileGlslVertex) g_state.vertexProgram = program;
  else g_state.fragmentProgram = program;
  selectProgram();
}



