// Shader layer under a real GL context: entries of one source file, what runs for which enabled
// stages, parameter values reaching the program, sampler units, and the failure texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "gl_context.h"
#include "platform/gl.h"
#include "platform/shader_layer.h"

namespace {

// Entries "vert" and "frag"; the marked line sits on line 9 of the file.
const char* const kSource =
    "varying vec3 tint;\n"                                                       // 1
    "#ifdef ENTRY_vert\n"                                                        // 2
    "uniform vec3 colour;\n"                                                     // 3
    "uniform mat4 mvp;\n"                                                        // 4
    "void vert() {\n"                                                            // 5
    "  gl_Position = mvp * gl_Vertex;\n"                                         // 6
    "  tint = colour;\n"                                                         // 7
    "  gl_FrontColor = vec4(colour, 1.0);\n"                                     // 8
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"                                    // 9
    "}\n"                                                                        // 10
    "#endif\n"                                                                   // 11
    "#ifdef ENTRY_frag\n"                                                        // 12
    "uniform sampler2D picture;\n"                                               // 13
    "uniform vec2 gain;\n"                                                       // 14
    "void frag() {\n"                                                            // 15
    "  vec3 seen = texture2D(picture, gl_TexCoord[0].st).rgb;\n"                 // 16
    "  gl_FragColor = vec4(seen * gain.x + tint * gain.y, 1.0);\n"               // 17
    "}\n"                                                                        // 18
    "#endif\n";                                                                  // 19

std::string writeSource(const std::string& name, const std::string& text) {
  const std::string path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

class ShaderLayer : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    target = std::make_unique<OffscreenTarget>(32, 32);
    ASSERT_TRUE(target->complete());
    target->bind();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    path = writeSource("layer_test.glsl", kSource);
    context = shaderCreateContext();
    ASSERT_NE(context, nullptr);
    vertex = shaderCreateProgramFromFile(context, path.c_str(), shaderLatestProfile(kShaderVertexStage), "vert");
    fragment =
        shaderCreateProgramFromFile(context, path.c_str(), shaderLatestProfile(kShaderFragmentStage), "frag");
    ASSERT_NE(vertex, nullptr) << shaderLastError();
    ASSERT_NE(fragment, nullptr) << shaderLastError();
  }
  void TearDown() override {
    shaderDisableProfile(kShaderProfileGlslVertex);
    shaderDisableProfile(kShaderProfileGlslFragment);
    shaderDestroyContext(context);
    if (texture != 0) glDeleteTextures(1, &texture);
    if (target) target->unbind();
  }

  // A full-target quad with texture coordinates 0..1; returns the centre pixel.
  Rgb drawQuad() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(-1, -1);
    glTexCoord2f(1, 0); glVertex2f(1, -1);
    glTexCoord2f(1, 1); glVertex2f(1, 1);
    glTexCoord2f(0, 1); glVertex2f(-1, 1);
    glEnd();
    const std::vector<uint8_t> pixels = target->readPixels();
    return target->pixelAt(pixels, 16, 16);
  }

  // A 1 x 1 texture of one colour.
  unsigned int makeTexture(uint8_t r, uint8_t g, uint8_t b) {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    const uint8_t rgb[4] = {r, g, b, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgb);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
  }

  void useVertexStage() {
    shaderSetModelViewProjectionParameter(shaderGetNamedParameter(vertex, "mvp"));
    shaderEnableProfile(kShaderProfileGlslVertex);
    shaderBindProgram(vertex);
  }

  std::unique_ptr<OffscreenTarget> target;
  std::string path;
  ShaderContext* context = nullptr;
  ShaderProgram* vertex = nullptr;
  ShaderProgram* fragment = nullptr;
  unsigned int texture = 0;
};

GLint currentProgram() {
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  return program;
}

TEST_F(ShaderLayer, MesaOffersBothProfiles) {
  EXPECT_EQ(shaderLatestProfile(kShaderVertexStage), kShaderProfileGlslVertex);
  EXPECT_EQ(shaderLatestProfile(kShaderFragmentStage), kShaderProfileGlslFragment);
}

TEST_F(ShaderLayer, VertexProgramAloneColoursThroughTheFixedFragmentStage) {
  shaderSetParameter3f(shaderGetNamedParameter(vertex, "colour"), 0.0f, 1.0f, 0.0f);
  useVertexStage();
  shaderBindProgram(fragment);  // bound, but its profile is off: it must not run
  const Rgb seen = drawQuad();
  EXPECT_EQ(seen, (Rgb{0, 255, 0}));
  EXPECT_NE(currentProgram(), 0);
}

TEST_F(ShaderLayer, BothStagesRunTogetherWithTheirOwnParameters) {
  shaderSetParameter3f(shaderGetNamedParameter(vertex, "colour"), 0.0f, 0.0f, 1.0f);
  ShaderParameter* picture = shaderGetNamedParameter(fragment, "picture");
  ShaderParameter* gain = shaderGetNamedParameter(fragment, "gain");
  shaderSetTextureParameter(picture, makeTexture(255, 0, 0));
  useVertexStage();
  shaderEnableProfile(kShaderProfileGlslFragment);
  shaderBindProgram(fragment);
  shaderEnableTextureParameter(picture);

  shaderSetParameter2f(gain, 1.0f, 0.0f);  // the texture only
  EXPECT_EQ(drawQuad(), (Rgb{255, 0, 0}));
  shaderSetParameter2f(gain, 0.0f, 1.0f);  // the vertex stage's tint only
  EXPECT_EQ(drawQuad(), (Rgb{0, 0, 255}));

  // Switching the fragment stage off falls back to the vertex program alone.
  shaderDisableProfile(kShaderProfileGlslFragment);
  EXPECT_EQ(drawQuad(), (Rgb{0, 0, 255}));
}

TEST_F(ShaderLayer, ValuesSetWhileTheProgramIsNotInUseArriveWhenItIs) {
  ShaderParameter* colour = shaderGetNamedParameter(vertex, "colour");
  EXPECT_EQ(colour, shaderGetNamedParameter(vertex, "colour"));  // one handle per name
  shaderSetParameter3f(colour, 1.0f, 0.0f, 0.0f);
  useVertexStage();
  EXPECT_EQ(drawQuad(), (Rgb{255, 0, 0}));

  shaderDisableProfile(kShaderProfileGlslVertex);
  EXPECT_EQ(currentProgram(), 0);
  shaderSetParameter3f(colour, 1.0f, 1.0f, 0.0f);
  shaderEnableProfile(kShaderProfileGlslVertex);
  EXPECT_EQ(drawQuad(), (Rgb{255, 255, 0}));
}

TEST_F(ShaderLayer, StateMatrixIsProjectionTimesModelviewAtTheTimeOfTheCall) {
  glMatrixMode(GL_PROJECTION);
  glOrtho(0, 4, 0, 4, -1, 1);  // 8 pixels per unit
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(3.0f, 1.0f, 0.0f);
  shaderSetParameter3f(shaderGetNamedParameter(vertex, "colour"), 1.0f, 1.0f, 1.0f);
  useVertexStage();
  glLoadIdentity();  // later changes do not reach the parameter until it is set again

  glClear(GL_COLOR_BUFFER_BIT);
  glBegin(GL_QUADS);  // unit square at (3..4, 1..2) after the translation: pixels 24..31, 8..15
  glVertex2f(0, 0);
  glVertex2f(1, 0);
  glVertex2f(1, 1);
  glVertex2f(0, 1);
  glEnd();
  const std::vector<uint8_t> pixels = target->readPixels();
  EXPECT_EQ(target->pixelAt(pixels, 28, 12), (Rgb{255, 255, 255}));
  EXPECT_EQ(target->pixelAt(pixels, 4, 4), (Rgb{0, 0, 0}));
  EXPECT_EQ(target->pixelAt(pixels, 20, 12), (Rgb{0, 0, 0}));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

TEST_F(ShaderLayer, SamplersTakeUnitsFromOneOnAndLeaveTheActiveUnitAlone) {
  ShaderParameter* picture = shaderGetNamedParameter(fragment, "picture");
  const unsigned int name = makeTexture(10, 20, 30);
  shaderSetTextureParameter(picture, name);
  glActiveTexture(GL_TEXTURE3);
  shaderEnableTextureParameter(picture);

  GLint active = 0, bound = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE3);
  glActiveTexture(GL_TEXTURE1);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<unsigned int>(bound), name);

  glActiveTexture(GL_TEXTURE3);
  shaderDisableTextureParameter(picture);
  glActiveTexture(GL_TEXTURE1);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
  glActiveTexture(GL_TEXTURE0);
}

TEST_F(ShaderLayer, DestroyingTheContextInUseLeavesTheFixedPipeline) {
  useVertexStage();
  ASSERT_NE(currentProgram(), 0);
  shaderDestroyContext(context);
  context = nullptr;
  EXPECT_EQ(currentProgram(), 0);
  shaderEnableProfile(kShaderProfileGlslVertex);  // nothing bound any more
  EXPECT_EQ(currentProgram(), 0);
}

TEST_F(ShaderLayer, NullHandlesAndUnknownProfilesDoNothing) {
  shaderSetParameter2f(nullptr, 1, 2);
  shaderSetParameter3f(nullptr, 1, 2, 3);
  shaderSetModelViewProjectionParameter(nullptr);
  shaderSetTextureParameter(nullptr, 5);
  shaderEnableTextureParameter(nullptr);
  shaderDisableTextureParameter(nullptr);
  shaderBindProgram(nullptr);
  shaderEnableProfile(kShaderProfileUnknown);
  shaderDisableProfile(kShaderProfileUnknown);
  shaderDestroyContext(nullptr);
  EXPECT_EQ(shaderGetNamedParameter(nullptr, "colour"), nullptr);
  EXPECT_EQ(currentProgram(), 0);
}

class ShaderLayerFailures : public GlTest {};

TEST_F(ShaderLayerFailures, CompileErrorGivesFileEntryAndTheCompilersLineNumber) {
  std::string broken = kSource;
  broken.replace(broken.find("  tint = colour;"), 16, "  tint = colour");  // line 7 lacks its ';'
  const std::string path = writeSource("layer_broken.glsl", broken);
  ShaderContext* context = shaderCreateContext();
  ShaderProgram* program =
      shaderCreateProgramFromFile(context, path.c_str(), kShaderProfileGlslVertex, "vert");
  EXPECT_EQ(program, nullptr);
  const std::string error = shaderLastError();
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_NE(error.find("entry vert"), std::string::npos) << error;
  EXPECT_NE(error.find("error"), std::string::npos) << error;
  EXPECT_NE(error.find(":8("), std::string::npos) << "the ';' is missed on the next line: " << error;

  // The other entry of the same file is untouched by the error.
  EXPECT_NE(shaderCreateProgramFromFile(context, path.c_str(), kShaderProfileGlslFragment, "frag"), nullptr);
  shaderDestroyContext(context);
}

TEST_F(ShaderLayerFailures, MissingFileMissingEntryOrNoProfileFailWithAReason) {
  ShaderContext* context = shaderCreateContext();
  const std::string missing = testing::TempDir() + "no_such_shader.glsl";
  EXPECT_EQ(shaderCreateProgramFromFile(context, missing.c_str(), kShaderProfileGlslVertex, "vert"), nullptr);
  EXPECT_NE(std::string(shaderLastError()).find("cannot read"), std::string::npos) << shaderLastError();

  // A file without the entry's section compiles to nothing and cannot link.
  const std::string path = writeSource("layer_entries.glsl", kSource);
  EXPECT_EQ(shaderCreateProgramFromFile(context, path.c_str(), kShaderProfileGlslVertex, "other"), nullptr);
  EXPECT_NE(std::string(shaderLastError()).find("entry other"), std::string::npos) << shaderLastError();

  EXPECT_EQ(shaderCreateProgramFromFile(context, path.c_str(), kShaderProfileUnknown, "vert"), nullptr);
  EXPECT_EQ(shaderCreateProgramFromFile(nullptr, path.c_str(), kShaderProfileGlslVertex, "vert"), nullptr);
  EXPECT_NE(std::string(shaderLastError()).find("no shader context"), std::string::npos);
  shaderDestroyContext(context);
}

TEST_F(ShaderLayerFailures, StagesThatDoNotLinkTogetherFallBackToTheVertexStage) {
  // The fragment entry reads a varying the vertex entry never writes.
  const std::string path = writeSource("layer_mismatch.glsl",
                                       "#ifdef ENTRY_vert\n"
                                       "void vert() { gl_Position = gl_Vertex; gl_FrontColor = vec4(0, 1, 1, 1); }\n"
                                       "#endif\n"
                                       "#ifdef ENTRY_frag\n"
                                       "varying vec3 never;\n"
                                       "void frag() { gl_FragColor = vec4(never, 1.0); }\n"
                                       "#endif\n");
  ShaderContext* context = shaderCreateContext();
  ShaderProgram* vertex = shaderCreateProgramFromFile(context, path.c_str(), kShaderProfileGlslVertex, "vert");
  ShaderProgram* fragment = shaderCreateProgramFromFile(context, path.c_str(), kShaderProfileGlslFragment, "frag");
  ASSERT_NE(vertex, nullptr) << shaderLastError();
  ASSERT_NE(fragment, nullptr) << shaderLastError();

  testing::internal::CaptureStderr();
  shaderEnableProfile(kShaderProfileGlslVertex);
  shaderEnableProfile(kShaderProfileGlslFragment);
  shaderBindProgram(vertex);
  shaderBindProgram(fragment);
  shaderBindProgram(fragment);  // the failure is said once
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("never"), std::string::npos) << said;
  EXPECT_EQ(said.find("link error"), said.rfind("link error")) << said;
  EXPECT_NE(currentProgram(), 0);  // the vertex stage alone

  shaderDisableProfile(kShaderProfileGlslVertex);
  shaderDisableProfile(kShaderProfileGlslFragment);
  shaderDestroyContext(context);
}

}  // namespace
