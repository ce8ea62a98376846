// The shaded sea as a viewer sees it: rendered off-screen from the scene's camera, with known or
// rendered reflection images, both strip modes, the bump map switch, and start-up failures of the
// shader source. Runs in <build>/bin, where "../bin/wave.cg" is the real shader source.
#include <gtest/gtest.h>

#include <epoxy/glx.h>  // Required for: taking the context away as a closed window does
#include <unistd.h>       // Required for: chdir, getcwd

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/scene.h"
#include "camera/camera_rig.h"
#include "camera/view.h"
#include "gl_context.h"
#include "platform/dialog.h"
#include "platform/gl.h"
#include "water/water_surface.h"

namespace {

constexpr int kSize = 200;  // pixels of the main view, square like the scene's aspect ratio
constexpr int kReflectionSize = 512;

int brightness(const Rgb& c) { return c[0] + c[1] + c[2]; }

bool isWaterBlue(const Rgb& c) { return c[2] > c[1] && c[1] > c[0] && c[2] > 100; }

// A directory tree <root>/bin, <root>/data/textures to run start-up in, with or without a shader.
class ScratchTree {
 public:
  explicit ScratchTree(const std::string& name) : root_(testing::TempDir() + name) {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ + "/bin");
    std::filesystem::create_directories(root_ + "/data/textures");
  }
  ~ScratchTree() { std::filesystem::remove_all(root_); }
  void writeShader(const std::string& text) const { std::ofstream(root_ + "/bin/wave.cg") << text; }
  std::string bin() const { return root_ + "/bin"; }

 private:
  std::string root_;
};

std::string readFile(const std::string& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs a callable with the working directory switched, as the program would run from there.
template <typename F>
void inDirectory(const std::string& directory, F&& work) {
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(directory.c_str()), 0);
  work();
  ASSERT_EQ(chdir(previous), 0);
}

class WaterDraw : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    setDialogsEnabled(false);
    shaderSource = readFile("../bin/wave.cg");
    ASSERT_FALSE(shaderSource.empty()) << "run in <build>/bin after building the shader_source target";

    // The scene's GL state (start-up) and camera.
    setUpGlState();
    camera = std::make_unique<CameraRig>();
    g_camera = camera.get();

    glGenTextures(1, &reflection);
    glBindTexture(GL_TEXTURE_2D, reflection);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    fillReflection([](int, int) { return Rgb{0, 0, 0}; });

    main = std::make_unique<OffscreenTarget>(kSize, kSize);
    ASSERT_TRUE(main->complete());
  }

  void TearDown() override {
    sea.reset();
    if (main) main->unbind();
    glDeleteTextures(1, &reflection);
    g_camera = nullptr;
  }

  // The scene's sea; its bump map made flat unless a test gives it another.
  void makeSea() {
    testing::internal::CaptureStdout();
    sea = std::make_unique<WaterSurface>(-1500, 1500, 50, -1500, 1500, 50, 0, g_lightPosition, reflection);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, "initialising water ...done\n");
    const int origin[2] = {0, 0}, direction[2] = {2, 1};
    sea->setWave(origin, direction, 250.0f, 2.0f);
    sea->setPhase(0.0f);
    setBump(1, [](int, int) { return Rgb{128, 128, 255}; });
  }

  template <typename F>
  void setBump(int size, F&& normalAt) {
    std::vector<uint8_t> image;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const Rgb c = normalAt(x, y);
        image.insert(image.end(), c.begin(), c.end());
      }
    }
    glBindTexture(GL_TEXTURE_2D, sea->bumpTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  }

  // 64 x 64 reflection image; (s, t) in texels, t = 0 at the bottom.
  template <typename F>
  void fillReflection(F&& colourAt) {
    std::vector<uint8_t> image;
    for (int t = 0; t < 64; ++t) {
      for (int s = 0; s < 64; ++s) {
        const Rgb c = colourAt(s, t);
        image.insert(image.end(), c.begin(), c.end());
      }
    }
    glBindTexture(GL_TEXTURE_2D, reflection);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  }

  // A bright unlit square standing upright at x = -150, facing the camera, y 30..70, z 10..50.
  static void drawBrightSquare() {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex3f(-150, 30, 10);
    glVertex3f(-150, 70, 10);
    glVertex3f(-150, 70, 50);
    glVertex3f(-150, 30, 50);
    glEnd();
    glPopAttrib();
  }

  // The frame pass with a zeroed camera: reflection pass into its own 512 x 512 target, copied into
  // the reflection texture, then the main view with the objects and the sea.
  std::vector<uint8_t> renderFrame(void (*drawObjects)()) {
    if (drawObjects != nullptr) {
      OffscreenTarget reflectionTarget(kReflectionSize, kReflectionSize);
      reflectionTarget.bind();
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      setupView(1);
      drawObjects();
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, reflection);
      glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, kReflectionSize, kReflectionSize, 0);
      reflectionTarget.unbind();
    } else {
      setupView(1);  // the view vectors
    }
    main->bind();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setupView(2);
    if (drawObjects != nullptr) drawObjects();
    sea->draw(&g_viewEye.x);
    std::vector<uint8_t> pixels = main->readPixels();
    main->unbind();
    return pixels;
  }

  // Where a world point appears in the main view (setupView(2) must have run).
  static void project(double x, double y, double z, double& px, double& py) {
    GLdouble modelview[16], projection[16], depth;
    GLint viewport[4] = {0, 0, kSize, kSize};
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    gluProject(x, y, z, modelview, projection, viewport, &px, &py, &depth);
  }

  // Mean of channel sums over a rectangle.
  double meanBrightness(const std::vector<uint8_t>& pixels, int x0, int x1, int y0, int y1) const {
    double sum = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) sum += brightness(main->pixelAt(pixels, x, y));
    }
    return sum / ((x1 - x0) * (y1 - y0));
  }

  std::string shaderSource;
  std::unique_ptr<CameraRig> camera;
  unsigned int reflection = 0;
  std::unique_ptr<OffscreenTarget> main;
  std::unique_ptr<WaterSurface> sea;
};

TEST_F(WaterDraw, SeaIsBlueAndBrighterWhereTheReflectionIsBright) {
  makeSea();
  // Left half of the reflection image white: that is the right half of the main view, mirrored.
  fillReflection([](int s, int) { return s < 32 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
  const std::vector<uint8_t> pixels = renderFrame(nullptr);

  // The sea fills the lower part of the view (the horizon is at the far plane, higher up).
  for (int x = 2; x < kSize / 2; x += 8) {  // the half that mirrors black: the sea's own colour
    const Rgb dark = main->pixelAt(pixels, x, 20);
    EXPECT_TRUE(isWaterBlue(dark)) << "x " << x << ": " << int(dark[0]) << "," << int(dark[1]) << "," << int(dark[2]);
  }
  const double left = meanBrightness(pixels, 10, 90, 10, 60);
  const double right = meanBrightness(pixels, 110, 190, 10, 60);
  EXPECT_GT(right, left + 80) << "left " << left << " right " << right;
}

TEST_F(WaterDraw, ObjectAboveTheWaterIsMirroredDirectlyBelowIt) {
  makeSea();
  const std::vector<uint8_t> pixels = renderFrame(drawBrightSquare);

  double objectX, objectY, mirrorX, mirrorY, otherX, otherY;
  project(-150, 50, 30, objectX, objectY);
  project(-150, 50, -30, mirrorX, mirrorY);   // the object's mirror image below the water plane
  project(-150, -50, -30, otherX, otherY);    // where a left-right flipped reflection would be
  ASSERT_LT(mirrorY, objectY - 10);
  ASSERT_GT(std::abs(otherX - mirrorX), 20);

  const Rgb object = main->pixelAt(pixels, static_cast<int>(objectX), static_cast<int>(objectY));
  EXPECT_EQ(object, (Rgb{255, 255, 255}));
  const Rgb mirrored = main->pixelAt(pixels, static_cast<int>(mirrorX), static_cast<int>(mirrorY));
  const Rgb plain = main->pixelAt(pixels, static_cast<int>(otherX), static_cast<int>(otherY));
  EXPECT_TRUE(isWaterBlue(plain));
  EXPECT_GT(brightness(mirrored), brightness(plain) + 150)
      << "reflection " << int(mirrored[0]) << "," << int(mirrored[1]) << "," << int(mirrored[2]);
  EXPECT_GT(mirrored[0], plain[0] + 60);  // whitened, not just a brighter blue

  // Straight below the reflection, past its lower edge, the sea is plain again.
  double belowX, belowY;
  project(-150, 50, -80, belowX, belowY);
  const Rgb below = main->pixelAt(pixels, static_cast<int>(belowX), static_cast<int>(belowY));
  EXPECT_LT(brightness(below), brightness(plain) + 40);
}

TEST_F(WaterDraw, BumpMapSwitchChangesThePictureAndBack) {
  makeSea();
  // Strongly tilted normals in a checker: glints and a shifted reflection with the bump map on.
  setBump(8, [](int x, int y) { return (x + y) % 2 ? Rgb{230, 128, 180} : Rgb{30, 200, 180}; });
  fillReflection([](int s, int) { return s < 32 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
  const std::vector<uint8_t> bumped = renderFrame(nullptr);

  char message[32];
  sea->toggleBumpMap(message);
  EXPECT_STREQ(message, "Shader - Bump Map OFF");
  const std::vector<uint8_t> smooth = renderFrame(nullptr);
  size_t differing = 0;
  for (size_t i = 0; i < smooth.size(); i += 3) differing += smooth[i] != bumped[i] || smooth[i + 2] != bumped[i + 2];
  EXPECT_GT(differing, smooth.size() / 3 / 10);

  // Off, the sea is smoothly lit and shows no reflection: both halves alike, all blue.
  const double left = meanBrightness(smooth, 10, 90, 10, 60);
  const double right = meanBrightness(smooth, 110, 190, 10, 60);
  EXPECT_NEAR(left, right, 25.0);
  EXPECT_TRUE(isWaterBlue(main->pixelAt(smooth, 150, 30)));

  sea->toggleBumpMap(message);
  EXPECT_STREQ(message, "Shader - Bump Map ON");
  EXPECT_EQ(renderFrame(nullptr), bumped);
}

TEST_F(WaterDraw, QuadAndTriangleStripsCoverTheSamePixels) {
  makeSea();
  auto coverage = [](const std::vector<uint8_t>& pixels) {
    std::vector<bool> covered;
    for (size_t i = 0; i < pixels.size(); i += 3) covered.push_back(pixels[i] + pixels[i + 1] + pixels[i + 2] > 0);
    return covered;
  };
  const std::vector<bool> quads = coverage(renderFrame(nullptr));
  char message[32];
  sea->toggleStripMode(message);
  ASSERT_FALSE(sea->quadStripMode);
  const std::vector<bool> triangles = coverage(renderFrame(nullptr));
  size_t covered = 0, differing = 0;
  for (size_t i = 0; i < quads.size(); ++i) {
    covered += quads[i];
    differing += quads[i] != triangles[i];
  }
  EXPECT_GT(covered, quads.size() / 3);
  EXPECT_LE(differing, 2u) << "of " << covered;  // the far edge may differ by a pixel where waves bend it
}

TEST_F(WaterDraw, DrawRestoresStateForLaterDrawing) {
  makeSea();
  glActiveTexture(GL_TEXTURE0);
  renderFrame(nullptr);

  GLint value = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &value);
  EXPECT_EQ(value, 0);
  glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
  EXPECT_EQ(value, GL_TEXTURE0);
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));

  // The reflection texture stays bound on unit 0, wrapping again; the next draw clamps it anew.
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
  EXPECT_EQ(static_cast<unsigned int>(value), reflection);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
  EXPECT_EQ(value, GL_REPEAT);
  for (int unit = 1; unit < 3; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, 0) << "unit " << unit;
  }
  glActiveTexture(GL_TEXTURE0);

  // A fixed-pipeline quad drawn after the sea keeps its own colour.
  main->bind();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glColor3f(1.0f, 0.0f, 0.0f);
  glRectf(-0.5f, -0.5f, 0.5f, 0.5f);
  const std::vector<uint8_t> pixels = main->readPixels();
  EXPECT_EQ(main->pixelAt(pixels, kSize / 2, kSize / 2), (Rgb{255, 0, 0}));
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
}

TEST_F(WaterDraw, ReflectionDoesNotWrapAroundThePictureEdge) {
  makeSea();
  // Only the reflection image's first column is bright. The main view's left edge reads the
  // image's last column: wrapping would blend the bright first one in there.
  fillReflection([](int s, int) { return s == 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
  for (int frame = 0; frame < 2; ++frame) {  // the draw leaves GL_REPEAT behind; the next clamps again
    const std::vector<uint8_t> pixels = renderFrame(nullptr);
    for (int y = 10; y < 60; y += 10) {
      SCOPED_TRACE(testing::Message() << "frame " << frame << " row " << y);
      // Red measures the reflection's share: the sea itself has almost none.
      const int edge = main->pixelAt(pixels, 0, y)[0], inside = main->pixelAt(pixels, 8, y)[0];
      EXPECT_NEAR(edge, inside, 8);
      EXPECT_GT(main->pixelAt(pixels, kSize - 1, y)[0], inside + 60);
    }
  }
}

TEST_F(WaterDraw, WavesMoveTheShading) {
  makeSea();
  const std::vector<uint8_t> still = renderFrame(nullptr);
  sea->setPhase(0.3f);
  EXPECT_NE(renderFrame(nullptr), still);
}

TEST_F(WaterDraw, SeaCanBeDestroyedAfterTheGlContextHasGone) {
  makeSea();
  renderFrame(nullptr);
  // As at shutdown once the main loop has closed the window: no context is current.
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable drawable = glXGetCurrentDrawable();
  const GLXContext context = glXGetCurrentContext();
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(glXMakeCurrent(display, None, nullptr));
  EXPECT_FALSE(glContextCurrent());
  sea.reset();
  ASSERT_TRUE(glXMakeCurrent(display, drawable, context));
  EXPECT_TRUE(glContextCurrent());

  // The layer is usable again afterwards.
  makeSea();
  EXPECT_NE(sea->vertexProgram, nullptr);
  EXPECT_TRUE(isWaterBlue(main->pixelAt(renderFrame(nullptr), 100, 20)));
}

// Start-up in a tree of its own, with the shader source a test gives (or none).
class WaterStartUp : public WaterDraw {
 protected:
  // Constructs the sea in the tree; returns what went to standard error.
  std::string startIn(const ScratchTree& tree) {
    testing::internal::CaptureStderr();
    inDirectory(tree.bin(), [&] {
      testing::internal::CaptureStdout();
      sea = std::make_unique<WaterSurface>(-1500, 1500, 50, -1500, 1500, 50, 0, g_lightPosition, reflection);
      testing::internal::GetCapturedStdout();
    });
    const int origin[2] = {0, 0}, direction[2] = {2, 1};
    sea->setWave(origin, direction, 250.0f, 2.0f);
    sea->setPhase(0.0f);
    return testing::internal::GetCapturedStderr();
  }

  // The sea still draws a blue surface over the lower part of the view.
  void expectBlueSea() {
    const std::vector<uint8_t> pixels = renderFrame(nullptr);
    for (int x = 20; x < kSize; x += 40) {
      const Rgb c = main->pixelAt(pixels, x, 20);
      EXPECT_TRUE(isWaterBlue(c)) << x << ": " << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
    }
  }
};

TEST_F(WaterStartUp, MissingShaderSourceIsReportedAndTheFixedPipelineDrawsTheSea) {
  ScratchTree tree("water_no_shader");
  const std::string said = startIn(tree);
  EXPECT_NE(said.find("Error Vertexprogram: "), std::string::npos) << said;
  EXPECT_NE(said.find("Error Fragmentprogram: "), std::string::npos) << said;
  EXPECT_NE(said.find("../bin/wave.cg"), std::string::npos) << said;
  EXPECT_EQ(sea->vertexProgram, nullptr);
  expectBlueSea();

  // The missing bump map was reported too, and the sea got a flat one instead of none.
  EXPECT_NE(said.find("bumpversion_nm.bmp"), std::string::npos) << said;
  GLint width = 0;
  glBindTexture(GL_TEXTURE_2D, sea->bumpTexture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 1);
}

TEST_F(WaterStartUp, FragmentSyntaxErrorShowsTheCompilerTextAndTheSeaStaysLit) {
  ScratchTree tree("water_broken_fragment");
  std::string broken = shaderSource;
  const size_t at = broken.find("void fragmentshader()");
  ASSERT_NE(at, std::string::npos);
  broken.insert(at, "this is not GLSL\n");
  tree.writeShader(broken);
  const std::string said = startIn(tree);

  EXPECT_NE(said.find("Error Fragmentprogram: "), std::string::npos) << said;
  EXPECT_NE(said.find("syntax error"), std::string::npos) << said;
  EXPECT_EQ(said.find("Error Vertexprogram"), std::string::npos) << said;
  EXPECT_NE(sea->vertexProgram, nullptr);
  EXPECT_EQ(sea->fragmentProgram, nullptr);
  expectBlueSea();
  char message[32];
  sea->toggleBumpMap(message);  // off and on again: nothing to switch, nothing breaks
  sea->toggleBumpMap(message);
  expectBlueSea();
}

TEST_F(WaterStartUp, VertexSyntaxErrorNamesItsLine) {
  ScratchTree tree("water_broken_vertex");
  std::string broken = shaderSource;
  const size_t at = broken.find("void vertexshader()");
  ASSERT_NE(at, std::string::npos);
  const int line = 1 + static_cast<int>(std::count(broken.begin(), broken.begin() + at, '\n'));
  broken.insert(at, "float = ;\n");
  tree.writeShader(broken);
  const std::string said = startIn(tree);

  EXPECT_NE(said.find("Error Vertexprogram: "), std::string::npos) << said;
  EXPECT_NE(said.find(":" + std::to_string(line) + "("), std::string::npos) << "line " << line << ": " << said;
  EXPECT_EQ(said.find("Error Fragmentprogram"), std::string::npos) << said;
  expectBlueSea();
}

}  // namespace
