// The shader layer's compiler arguments: "-D" definitions reach the source, anything else is refused
// with a message, and a source that needs a definition it was not given fails to compile.
#include <string>

#include "../test_support.h"
#include "drawing/gl.h"
#include "drawing/shader_layer.h"
#include "gl_context.h"

namespace {

// A vertex program that passes clip-space positions through in COLOUR, and insists on FLAG.
const char* const kSource =
    "#ifndef FLAG\n"
    "#error FLAG was not defined\n"
    "#endif\n"
    "#ifdef ENTRY_paint\n"
    "void paint() {\n"
    "  gl_Position = gl_Vertex;\n"
    "  gl_FrontColor = vec4(COLOUR, 1.0);\n"
    "}\n"
    "#endif\n";

class ShaderLayer : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    context = shaderCreateContext();
    ASSERT_NE(context, nullptr);
    profile = shaderLatestProfile(kShaderVertexStage);
    ASSERT_NE(profile, kShaderProfileUnknown);
  }
  void TearDown() override { shaderDestroyContext(context); }
  ShaderProgram* compile(const char* const* args) {
    return shaderCreateProgramFromFile(context, path.c_str(), profile, "paint", args);
  }

  test::ScratchDir dir;
  const std::string path = dir.write("paint.glsl", std::string(kSource));
  ShaderContext* context = nullptr;
  ShaderProfile profile = kShaderProfileUnknown;
};

TEST_F(ShaderLayer, DefinitionsReachTheSourceWithTheirValues) {
  const char* const args[] = {"-DFLAG", "-DCOLOUR=vec3(1.0, 0.0, 0.0)", nullptr};
  ShaderProgram* program = compile(args);
  ASSERT_NE(program, nullptr) << shaderLastError();

  OffscreenTarget target(8, 8);
  target.bind();
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  shaderEnableProfile(profile);
  shaderBindProgram(program);
  glBegin(GL_QUADS);
  glVertex2f(-1, -1);
  glVertex2f(1, -1);
  glVertex2f(1, 1);
  glVertex2f(-1, 1);
  glEnd();
  shaderDisableProfile(profile);
  const std::vector<uint8_t> pixels = target.readPixels();
  target.unbind();
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(target.pixelAt(pixels, 4, 4), (Rgb{255, 0, 0}));
}

TEST_F(ShaderLayer, MissingOrMalformedArgumentsFailWithAMessage) {
  EXPECT_EQ(compile(nullptr), nullptr);
  EXPECT_NE(std::string(shaderLastError()).find("FLAG was not defined"), std::string::npos) << shaderLastError();

  for (const char* bad : {"", "-", "-Iinclude", "-D", "-D=1", "-DFLAG\n#define X"}) {
    const char* const args[] = {"-DCOLOUR=vec3(1.0)", bad, nullptr};
    EXPECT_EQ(compile(args), nullptr) << bad;
    EXPECT_NE(std::string(shaderLastError()).find("unknown compiler argument"), std::string::npos) << bad;
  }
}

}  // namespace
