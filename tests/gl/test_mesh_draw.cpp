// Mesh model drawing under a real GL context: the three render paths give one picture, of a small
// model whose materials a viewer can tell apart and of the program's own ship.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../test_support.h"
#include "assets/mesh_model.h"
#include "gl_context.h"
#include "platform/dialog.h"
#include "platform/gl.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSize = 64;          // pixels of the off-screen target, square
constexpr double kHalfView = 10.0;  // the orthographic view spans -10..10 in x and y
constexpr int kChannelTolerance = 1;

// A square from (x0, y0) to (x1, y1) at z = 0 facing +z, two faces, texture u across and v up.
std::string square(const std::string& name, float x0, float y0, float x1, float y1,
                   int materialRef, const std::string& extra = "", int texVertices = 4) {
  std::string text = "*GEOMOBJECT {\n *NODE_NAME " + name + "\n *MESH {\n";
  text += "  *MESH_NUMVERTEX 4\n  *MESH_NUMFACES 2\n  *MESH_VERTEX_LIST {\n";
  const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  for (int i = 0; i < 4; ++i) {
    text += "   *MESH_VERTEX " + std::to_string(i) + " " + std::to_string(corners[i][0]) + " " +
            std::to_string(corners[i][1]) + " 0.0\n";
  }
  text += "  }\n  *MESH_FACE_LIST {\n";
  text += "   *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1 *MESH_MTLID 0\n";
  text += "   *MESH_FACE 1: A: 0 B: 2 C: 3 AB: 0 BC: 1 CA: 1 *MESH_SMOOTHING 1 *MESH_MTLID 0\n";
  text += "  }\n";
  const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  text += "  *MESH_NUMTVERTEX " + std::to_string(texVertices) + "\n  *MESH_TVERTLIST {\n";
  for (int i = 0; i < texVertices; ++i) {
    text += "   *MESH_TVERT " + std::to_string(i) + " " + std::to_string(uv[i][0]) + " " +
            std::to_string(uv[i][1]) + " 0.0\n";
  }
  text += "  }\n  *MESH_NORMALS {\n   *MESH_FACENORMAL 0 0 0 1\n   *MESH_FACENORMAL 1 0 0 1\n";
  for (int i = 0; i < 4; ++i) text += "    *MESH_VERTEXNORMAL " + std::to_string(i) + " 0 0 1\n";
  text += "  }\n }\n";
  if (materialRef >= 0) text += " *MATERIAL_REF " + std::to_string(materialRef) + "\n";
  return text + extra + "}\n";
}

bool near(const Rgb& a, const Rgb& b, int tolerance = kChannelTolerance) {
  for (size_t c = 0; c < 3; ++c) {
    if (std::abs(int{a[c]} - int{b[c]}) > tolerance) return false;
  }
  return true;
}

::testing::AssertionResult colourNear(const Rgb& actual, const Rgb& expected, int tolerance = 1) {
  if (near(actual, expected, tolerance)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "got (" << int{actual[0]} << ", " << int{actual[1]} << ", " << int{actual[2]}
         << "), expected (" << int{expected[0]} << ", " << int{expected[1]} << ", "
         << int{expected[2]} << ")";
}

class MeshDraw : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (HasFatalFailure()) return;
    setDialogsEnabled(false);
    // Left half red, right half blue: shows where texture u runs.
    std::vector<Rgb> halves(64);
    for (int i = 0; i < 64; ++i) halves[static_cast<size_t>(i)] = (i % 8 < 4) ? kRed : kBlue;
    dir_.write("halves.bmp", test::bmp24(8, 8, halves).build());

    target_ = std::make_unique<OffscreenTarget>(kSize, kSize);
    ASSERT_TRUE(target_->complete());

    // The scene state the program sets up: depth test, one directional light from +z, global
    // ambient 0.3, textures added to the lit colour.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-kHalfView, kHalfView, -kHalfView, kHalfView, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat light[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
  }

  void TearDown() override {
    target_.reset();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
  }

  std::string texturePath() const { return dir_.path() + "/halves.bmp"; }

  // Loads a model file, then gives it its textures and display list as start-up does.
  std::unique_ptr<MeshModel> loadModel(const std::string& text) {
    auto model = std::make_unique<MeshModel>();
    model->loadAse(dir_.write("model.ase", text).c_str());
    model->loadTextures();
    model->buildDisplayList();
    return model;
  }

  std::vector<uint8_t> render(const MeshModel& model, int renderPath) {
    target_->bind();
    glClearColor(0, 0, 0, 0);
    glPushMatrix();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    model.draw(renderPath);
    glPopMatrix();
    std::vector<uint8_t> pixels = target_->readPixels();
    target_->unbind();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return pixels;
  }

  // The pixel showing view point (x, y), in the view's units.
  Rgb at(const std::vector<uint8_t>& pixels, double x, double y) const {
    const double scale = kSize / (2.0 * kHalfView);
    return target_->pixelAt(pixels, static_cast<int>((x + kHalfView) * scale),
                            static_cast<int>((y + kHalfView) * scale));
  }

  // Width in pixels of the non-black part of the middle row.
  int litWidth(const std::vector<uint8_t>& pixels) const {
    int width = 0;
    for (int x = 0; x < kSize; ++x) width += target_->pixelAt(pixels, x, kSize / 2) != kBlack;
    return width;
  }

  static constexpr Rgb kRed{255, 0, 0};
  static constexpr Rgb kBlue{0, 0, 255};
  static constexpr Rgb kBlack{0, 0, 0};

  test::ScratchDir dir_;
  std::unique_ptr<OffscreenTarget> target_;
};

// Three objects side by side (in view units after the 0.5 scale): a textured square at x -9..-3,
// a "NONE" square in green at -3..3 and a square without material at 3..9 whose wireframe colour
// saturates to blue. Materials give black lighting to the textured one, so it shows its texels.
// Lighting note: the 0.5 scale also acts on the normals, which reach the lighting at twice their
// length (nothing switches normalisation on), so the diffuse term comes out doubled.
std::string threeObjects(const std::string& bitmap) {
  return "*MATERIAL_LIST {\n *MATERIAL_COUNT 2\n"
         " *MATERIAL 0 { *MATERIAL_AMBIENT 0 0 0 *MATERIAL_DIFFUSE 0 0 0\n"
         "   *MATERIAL_SPECULAR 0 0 0 *MATERIAL_SHINE 0 *MAP_DIFFUSE { *BITMAP " + bitmap + " } }\n"
         " *MATERIAL 1 { *MATERIAL_AMBIENT 0 0 0 *MATERIAL_DIFFUSE 0 0.3 0\n"
         "   *MATERIAL_SPECULAR 0 0 0 *MATERIAL_SHINE 5 *MAP_DIFFUSE { *BITMAP NONE } }\n}\n" +
         square("textured", -18, -6, -6, 6, 0) + square("plain", -6, -6, 6, 6, 1) +
         square("bare", 6, -6, 18, 6, -1, " *WIREFRAME_COLOR 0 0 0.8\n");
}

TEST_F(MeshDraw, TheThreeRenderPathsGiveTheSamePicture) {
  const std::unique_ptr<MeshModel> model = loadModel(threeObjects(texturePath()));
  ASSERT_EQ(model->objects.size(), 3u);
  const std::vector<uint8_t> listPicture = render(*model, 2);
  for (int path : {2, 1, 0}) {
    SCOPED_TRACE("render path " + std::to_string(path));
    const std::vector<uint8_t> pixels = render(*model, path);
    // What a viewer sees: the texture's red left half and blue right half, then green, then blue.
    EXPECT_TRUE(colourNear(at(pixels, -7.5, 0), kRed));
    EXPECT_TRUE(colourNear(at(pixels, -4.5, 0), kBlue));
    EXPECT_TRUE(colourNear(at(pixels, 0, 0), Rgb{0, 153, 0}));  // 2 * diffuse 0.3, untextured
    EXPECT_TRUE(colourNear(at(pixels, 6, 0), Rgb{0, 0, 255}));  // 0.3 * 0.8 + 2 * 0.8, saturated
    EXPECT_TRUE(colourNear(at(pixels, 0, 8), kBlack));
    size_t differing = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
      const Rgb a{pixels[i], pixels[i + 1], pixels[i + 2]};
      const Rgb b{listPicture[i], listPicture[i + 1], listPicture[i + 2]};
      differing += !near(a, b);
    }
    EXPECT_EQ(differing, 0u) << "pixels that differ from the display list's picture";
  }
}

// The program's own ship, as start-up loads it from bin/ (its bitmaps are named relative to bin/),
// seen from above and the side: the three paths must agree on it too.
TEST_F(MeshDraw, TheGeneratedShipLooksTheSameThroughEveryPath) {
  const std::string file = "../data/objects/schiff1.ase";
  if (!fs::exists(file)) GTEST_SKIP() << "generated models not found (run in <build>/bin)";
  auto ship = std::make_unique<MeshModel>();
  ship->loadAse(file.c_str());
  ship->loadTextures();
  ship->buildDisplayList();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-120.0, 120.0, -120.0, 120.0, -400.0, 400.0);
  glRotatef(-60.0f, 1.0f, 0.0f, 0.0f);  // looking down at the deck from the side
  glMatrixMode(GL_MODELVIEW);
  const std::vector<uint8_t> listPicture = render(*ship, 2);
  EXPECT_GT(litWidth(listPicture), kSize / 4) << "the ship should fill a good part of the view";
  for (int path : {1, 0}) {
    SCOPED_TRACE("render path " + std::to_string(path));
    const std::vector<uint8_t> pixels = render(*ship, path);
    size_t differing = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
      differing += !near(Rgb{pixels[i], pixels[i + 1], pixels[i + 2]},
                         Rgb{listPicture[i], listPicture[i + 1], listPicture[i + 2]});
    }
    EXPECT_EQ(differing, 0u) << "pixels that differ from the display list's picture";
  }
}

}  // namespace
