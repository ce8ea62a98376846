// The shaded sea as a viewer sees it, rendered off-screen from the scene's camera through both drawing
// backends: an object's reflection below it (not mirrored left-right), both strip modes, and broken
// shader sources (the one place shader errors are tested). Runs in <build>/bin, where "../bin/wave.cg" is the real source.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../test_support.h"
#include "app/globals.h"
#include "app/reflection_target.h"
#include "app/scene.h"
#include "camera/camera_rig.h"
#include "camera/view.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "drawing/shader_layer.h"
#include "gl_context.h"
#include "platform/dialog.h"
#include "water/reflection_cover.h"
#include "water/water_surface.h"

namespace {

constexpr int kSize = 200;  // pixels of the main view, square like the scene's aspect ratio

int brightness(const Rgb& c) { return c[0] + c[1] + c[2]; }
// The sea's deep blue-green, bump-mapped or plainly lit (not black, not the pale sky).
bool isSea(const Rgb& c) { return c[0] < 80 && c[2] >= 40 && c[2] > c[0] + 30 && c[1] >= c[0]; }

void upload(unsigned int texture, const Rgb& colour) {
  gfxBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, colour.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// A bright unlit square standing upright at x = -150, facing the camera, y 30..70, z 10..50.
void drawBrightSquare() {
  gfxPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  gfxDisable(GL_LIGHTING);
  gfxDisable(GL_TEXTURE_2D);
  gfxColor3f(1.0f, 1.0f, 1.0f);
  gfxBegin(GL_QUADS);
  gfxVertex3f(-150, 30, 10);
  gfxVertex3f(-150, 70, 10);
  gfxVertex3f(-150, 70, 50);
  gfxVertex3f(-150, 30, 50);
  gfxEnd();
  gfxPopAttrib();
}

class WaterDraw : public GlPathTest {
 protected:
  void SetUp() override {
    GlPathTest::SetUp();
    setDialogsEnabled(false);
    std::ifstream file("../bin/wave.cg");
    shaderSource.assign(std::istreambuf_iterator<char>(file), {});
    ASSERT_FALSE(shaderSource.empty()) << "run in <build>/bin after building the shader_source target";
    setUpGlState();  // the scene's GL state, as start-up sets it
    g_camera = &camera;
    glGenTextures(1, &reflection);
    gfxBindTexture(GL_TEXTURE_2D, reflection);
    gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Nothing mirrored yet: black with alpha 0, as the reflection pass leaves it.
    const GLubyte nothing[4] = {0, 0, 0, 0};
    gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nothing);
    main = std::make_unique<OffscreenTarget>(kSize, kSize);
    ASSERT_TRUE(main->complete());
  }
  void TearDown() override {
    sea.reset();
    glDeleteTextures(1, &reflection);
    g_camera = nullptr;
    GlPathTest::TearDown();
  }

  // The scene's sea, built in `directory`; returns what start-up said on standard error.
  std::string makeSea(const std::string& directory = ".") {
    const test::Console said = test::capturedIn(directory, [&] {
      sea = std::make_unique<WaterSurface>(-1500, 1500, 50, -1500, 1500, 50, 0, g_lightPosition, reflection);
    });
    const int origin[2] = {0, 0}, direction[2] = {2, 1};
    sea->setWave(origin, direction, 250.0f, 2.0f);
    sea->setPhase(0.0f);
    upload(sea->bumpTexture, Rgb{128, 128, 255});  // a flat bump map
    return said.err;
  }

  // The frame pass with a zeroed camera: the objects into the reflection image from the mirrored
  // view, then the main view with the objects and the sea. With `cover`, the sea reads the image only
  // where it says; `objectBox` (low and high corners), if given, is added to it in the mirrored view.
  std::vector<uint8_t> renderFrame(void (*drawObjects)(), ReflectionCover* cover = nullptr,
                                   const std::array<std::array<float, 3>, 2>* objectBox = nullptr) {
    if (drawObjects != nullptr) {
      OffscreenTarget reflectionTarget(kReflectionSize, kReflectionSize);
      reflectionTarget.bind();
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      setupView(ViewPass::Reflection);
      drawObjects();
      if (cover != nullptr && objectBox != nullptr) {
        float clipFromObject[16];
        shaderCurrentModelViewProjection(clipFromObject);
        cover->addBox(clipFromObject, (*objectBox)[0], (*objectBox)[1]);
      }
      gfxEnable(GL_TEXTURE_2D);
      gfxBindTexture(GL_TEXTURE_2D, reflection);
      glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, kReflectionSize, kReflectionSize, 0);
      reflectionTarget.unbind();
    }
    main->bind();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setupView(ViewPass::Main);
    if (drawObjects != nullptr) drawObjects();
    sea->draw(&g_viewEye.x, kSize, kSize, cover);
    std::vector<uint8_t> pixels = main->readPixels();
    main->unbind();
    return pixels;
  }

  // The main view's pixel showing a world point (after renderFrame).
  Rgb seen(const std::vector<uint8_t>& pixels, double x, double y, double z) const {
    const std::array<int, 2> pixel = pixelOf(x, y, z, kSize, kSize);
    return main->pixelAt(pixels, pixel[0], pixel[1]);
  }

  std::string shaderSource;
  CameraRig camera;
  unsigned int reflection = 0;
  std::unique_ptr<OffscreenTarget> main;
  std::unique_ptr<WaterSurface> sea;
};

// The reflection lies straight below its object; a lookup flipped left-right would put it at -y.
TEST_P(WaterDraw, AnObjectAboveTheWaterIsMirroredDirectlyBelowIt) {
  makeSea();
  const std::vector<uint8_t> pixels = renderFrame(drawBrightSquare);
  EXPECT_EQ(seen(pixels, -150, 50, 30), (Rgb{255, 255, 255}));
  const Rgb mirrored = seen(pixels, -150, 50, -30), flipped = seen(pixels, -150, -50, -30);
  EXPECT_TRUE(isSea(flipped));
  EXPECT_GT(brightness(mirrored), brightness(flipped) + 150);
  EXPECT_GT(mirrored[0], flipped[0] + 60);  // whitened, not just a brighter blue
  EXPECT_LT(brightness(seen(pixels, -150, 50, -80)), brightness(flipped) + 40);  // past its lower edge
}

// The sea reads the reflection image only around what the reflection pass drew, and looks the same
// as when it reads it everywhere, ripples included; a cover that misses the object loses its
// reflection, so the sameness is the cover's doing.
TEST_P(WaterDraw, ReadingTheReflectionOnlyWhereObjectsAreKeepsThePicture) {
  const std::string said = makeSea();
  ASSERT_NE(sea->openSeaProgram, nullptr) << said;
  // Bump texels tilted as far as they go, so the ripples move the reflection their whole reach.
  const uint8_t tilted[4 * 3] = {255, 128, 128, 0, 128, 128, 128, 255, 128, 128, 0, 128};
  gfxBindTexture(GL_TEXTURE_2D, sea->bumpTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, tilted);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

  const std::vector<uint8_t> everywhere = renderFrame(drawBrightSquare);
  const std::array<std::array<float, 3>, 2> square{{{-150, 30, 10}, {-150, 70, 50}}};
  ReflectionCover cover;
  const std::vector<uint8_t> aroundObjects = renderFrame(drawBrightSquare, &cover, &square);
  ASSERT_EQ(cover.boxes().size(), 1u);
  EXPECT_LT(cover.boxes()[0].xMax - cover.boxes()[0].xMin, 1.0f) << "the square covers a small part of the image";
  EXPECT_EQ(aroundObjects, everywhere);

  ReflectionCover elsewhere;
  const std::array<std::array<float, 3>, 2> farAway{{{-150, -400, 10}, {-150, -380, 50}}};
  const std::vector<uint8_t> missed = renderFrame(drawBrightSquare, &elsewhere, &farAway);
  EXPECT_GT(brightness(seen(everywhere, -150, 50, -30)), brightness(seen(missed, -150, 50, -30)) + 150);
}

// Where the reflection pass drew nothing the sea mirrors its own sky: the pass's target must leave
// alpha 0 there, also in a texture that start-up filled with an RGB picture (which reads as opaque).
TEST_P(WaterDraw, AnEmptyReflectionPassLeavesTheSeaAsWithoutOne) {
  makeSea();
  const std::vector<uint8_t> open = renderFrame(nullptr);
  upload(reflection, Rgb{0, 0, 0});
  ASSERT_TRUE(createReflectionTarget());
  ASSERT_TRUE(bindReflectionTarget(reflection));
  glViewport(0, 0, kReflectionSize, kReflectionSize);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  unbindReflectionTarget();
  const std::vector<uint8_t> afterPass = renderFrame(nullptr);
  destroyReflectionTarget();
  EXPECT_EQ(afterPass, open);
}

TEST_P(WaterDraw, QuadAndTriangleStripsCoverTheSamePixels) {
  makeSea();
  const std::vector<uint8_t> quads = renderFrame(nullptr);
  char message[32];
  sea->toggleStripMode(message);
  const std::vector<uint8_t> triangles = renderFrame(nullptr);
  size_t covered = 0, differing = 0;
  for (size_t i = 0; i < quads.size(); i += 3) {
    const bool q = quads[i] + quads[i + 1] + quads[i + 2] > 0, t = triangles[i] + triangles[i + 1] + triangles[i + 2] > 0;
    covered += q;
    differing += q != t;
  }
  EXPECT_GT(covered, quads.size() / 9);
  EXPECT_LE(differing, 2u) << "of " << covered;  // the far edge may differ by a pixel where waves bend it
}

// Each broken shader source gives its program's error with the compiler's text and line; the sea still
// draws, with the stage that compiled or with the fixed pipeline.
TEST_P(WaterDraw, ShaderErrorsAreReportedAndTheSeaStillDraws) {
  const size_t vertexEntry = shaderSource.find("void vertexshader()");
  const int vertexLine = 1 + static_cast<int>(std::count(shaderSource.begin(), shaderSource.begin() + vertexEntry, '\n'));
  const auto insertBefore = [&](const char* entry, const char* line) {
    return std::string(shaderSource).insert(shaderSource.find(entry), line);
  };
  const struct {
    const char* what;
    std::string source;  // empty: no file
    std::vector<std::string> said;
    const char* notSaid;
    bool vertexStage, fragmentStage;
  } cases[] = {
      {"no shader source", "", {"Error Vertexprogram: ", "Error Fragmentprogram: ", "../bin/wave.cg"}, "", false, false},
      {"fragment syntax error", insertBefore("void fragmentshader()", "this is not GLSL\n"),
       {"Error Fragmentprogram: ", "syntax error"}, "Error Vertexprogram", true, false},
      {"vertex syntax error", insertBefore("void vertexshader()", "float = ;\n"),
       {"Error Vertexprogram: ", ":" + std::to_string(vertexLine) + "("}, "Error Fragmentprogram", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchDir tree;
    tree.write("bin/wave.cg", c.source);
    if (c.source.empty()) std::filesystem::remove(tree.path() + "/bin/wave.cg");
    const std::string said = makeSea(tree.path() + "/bin");
    for (const std::string& part : c.said) EXPECT_NE(said.find(part), std::string::npos) << part << " in " << said;
    if (*c.notSaid != '\0') {
      EXPECT_EQ(said.find(c.notSaid), std::string::npos) << said;
    }
    EXPECT_EQ(sea->vertexProgram != nullptr, c.vertexStage);
    EXPECT_EQ(sea->fragmentProgram != nullptr, c.fragmentStage);
    char message[32];
    sea->toggleBumpMap(message);  // off and on again: nothing to switch, nothing breaks
    sea->toggleBumpMap(message);
    const std::vector<uint8_t> pixels = renderFrame(nullptr);
    for (int x = 20; x < kSize; x += 40) EXPECT_TRUE(isSea(main->pixelAt(pixels, x, 20))) << x;
  }
}

INSTANTIATE_DRAWING_PATHS(WaterDraw);

}  // namespace
