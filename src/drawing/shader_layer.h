// Shader layer: a small shader runtime over GLSL 1.20 or GLSL ES 1.00 with the model of a classic
// effect runtime (context, per-stage profiles, programs compiled from one source file by entry name,
// named parameters, profiles switched on and off). This header is GL-free; the functions need a
// current GL context once a context exists.
//
// Entry selection: a program of entry E is the source file compiled with the prefix
//   #version 120                    (GLSL ES: #version 100 and the stage's default precision)
//   #define E main
//   #define ENTRY_E
// (and a #define per "-D" argument) so the file marks each entry's code with `#ifdef ENTRY_E` and
// names its function E. Line numbers in the compiler's log are those of the file itself.
//
// One source serves both dialects: a vertex program reads its vertex as `vertexPosition` (vec4),
// `vertexNormal` (vec3), `vertexTexCoord` (vec4, the first texture coordinate) and `vertexColor`
// (vec4), and hands a colour to GL's fixed fragment stage as `frontColor`. In GLSL 1.20 these are
// GL's built-ins (gl_Vertex, ...); in GLSL ES they are attributes at the locations the drawing
// vocabulary (gfx.h) feeds, and a vertex program alone runs with a fragment stage that shows
// `frontColor`, as GL's fixed one does. The macro GLSL_ES is defined in GLSL ES.
//
// What runs: with the vertex profile enabled and a vertex program bound, that program replaces
// GL's vertex stage; with the fragment profile enabled too and a fragment program bound, both run
// together (linked once per pair, on first use). A vertex program alone runs with GL's fixed
// fragment stage, which then colours from gl_FrontColor. With neither profile enabled GL's fixed
// pipeline runs (no GL program in use).
//
// Handles are plain pointers owned by their context; null means "none", and every call accepts
// null handles and then does nothing, as a caller that ignores failures expects.
#pragma once

struct ShaderContext;
struct ShaderProgram;
struct ShaderParameter;

enum ShaderStage { kShaderVertexStage, kShaderFragmentStage };

enum ShaderProfile {
  kShaderProfileUnknown = 0,  // no programmable stage of the asked kind
  kShaderProfileGlslVertex,
  kShaderProfileGlslFragment,
};


// A new context; null when no GL context is current.
ShaderContext* shaderCreateContext();
// Releases every program and parameter of the context; switches off any of its programs in use.
// Safe after the GL context has gone: then only the layer's own records are freed.
void shaderDestroyContext(ShaderContext* context);

// The best profile of the stage: GLSL when GL 2.0 or the ARB shader extensions are there.
ShaderProfile shaderLatestProfile(ShaderStage stage);

// Compiles the entry `entry` of the source file `path` for `profile`. `args`, if not null, is a
// null-terminated list of compiler arguments; "-DNAME" and "-DNAME=VALUE" define NAME (as VALUE) for
// the source, as "#define NAME VALUE" lines after the entry's. Returns null on failure and leaves the
// reason (a missing file, an unknown argument, or the compiler's or linker's log) in shaderLastError().
ShaderProgram* shaderCreateProgramFromFile(ShaderContext* context, const char* path, ShaderProfile profile,
                                           const char* entry, const char* const* args = nullptr);

// Text of the latest failure, "" if none happened yet. Kept until the next failure.
const char* shaderLastError();

// The parameter `name` of the program; the same handle on every call with the same name. Names the
// compiled code does not use still get a handle; their values go nowhere.
ShaderParameter* shaderGetNamedParameter(ShaderProgram* program, const char* name);

// Parameter values live with the parameter and reach GL whenever its program is in use.
void shaderSetParameter1f(ShaderParameter* parameter, float x);
void shaderSetParameter2f(ShaderParameter* parameter, float x, float y);
void shaderSetParameter3f(ShaderParameter* parameter, float x, float y, float z);
// Takes GL's current projection × modelview matrix, as it is at the time of the call.
void shaderSetModelViewProjectionParameter(ShaderParameter* parameter);
// GL's current projection × modelview matrix, column-major: clip coordinates from object space.
void shaderCurrentModelViewProjection(float clipFromObject[16]);

// A sampler parameter: the GL texture (GL_TEXTURE_2D) it reads. Samplers of a program get texture
// units 1, 2, ... in the order they are first given a texture; unit 0 stays with the fixed pipeline.
void shaderSetTextureParameter(ShaderParameter* parameter, unsigned int texture);
// While enabled, the parameter's texture is bound to its unit; disabling unbinds it. The active
// texture unit is left as it was.
void shaderEnableTextureParameter(ShaderParameter* parameter);
void shaderDisableTextureParameter(ShaderParameter* parameter);

// Switch a profile's stage on or off; an unknown profile is ignored.
void shaderEnableProfile(ShaderProfile profile);
void shaderDisableProfile(ShaderProfile profile);
// Makes the program the one of its profile's stage (it runs while that profile is enabled).
void shaderBindProgram(ShaderProgram* program);

