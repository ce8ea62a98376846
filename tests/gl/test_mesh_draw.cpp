// Mesh model drawing under a real GL context: the three render paths give one picture, materials
// and textures as a viewer sees them, the 0.5 scale left on the matrix, and material textures.
#include <unistd.h>  // Required for: getpid (a temp directory per test process)

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "assets/mesh_model.h"
#include "gl_context.h"
#include "platform/dialog.h"
#include "platform/gl.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSize = 64;          // pixels of the off-screen target, square
constexpr double kHalfView = 10.0;  // the orthographic view spans -10..10 in x and y
constexpr int kChannelTolerance = 1;

// 24-bit uncompressed BMP, rows bottom first, each padded to 4 bytes.
void writeBmp(const fs::path& path, int width, int height, const std::vector<Rgb>& pixels) {
  const int rowBytes = (width * 3 + 3) & ~3;
  const uint32_t imageBytes = static_cast<uint32_t>(rowBytes * height);
  std::vector<uint8_t> file(54 + imageBytes, 0);
  auto put32 = [&file](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  file[26] = 1;   // planes
  file[28] = 24;  // bits per pixel
  put32(34, imageBytes);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& p = pixels[static_cast<size_t>(y * width + x)];
      uint8_t* out = &file[54 + static_cast<size_t>(y * rowBytes + x * 3)];
      out[0] = p[2];
      out[1] = p[1];
      out[2] = p[0];
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                               static_cast<std::streamsize>(file.size()));
}

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
    dir_ = fs::path(::testing::TempDir()) / ("karvosta_mesh_" + std::to_string(getpid()));
    fs::create_directories(dir_);

    // Left half red, right half blue: shows where texture u runs.
    std::vector<Rgb> halves(64);
    for (int i = 0; i < 64; ++i) halves[static_cast<size_t>(i)] = (i % 8 < 4) ? kRed : kBlue;
    writeBmp(dir_ / "halves.bmp", 8, 8, halves);

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
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string texturePath() const { return (dir_ / "halves.bmp").string(); }

  // Loads a model file, then gives it its textures and display list as start-up does.
  std::unique_ptr<MeshModel> loadModel(const std::string& text) {
    const fs::path path = dir_ / "model.ase";
    std::ofstream(path, std::ios::binary) << text;
    auto model = std::make_unique<MeshModel>();
    model->loadAse(path.string().c_str());
    model->loadTextures();
    model->buildDisplayList();
    return model;
  }

  // Draws the model `times` times without restoring the matrix in between (clearing before each
  // draw), so the picture shows the last one.
  std::vector<uint8_t> render(const MeshModel& model, int renderPath, int times = 1) {
    target_->bind();
    glClearColor(0, 0, 0, 0);
    glPushMatrix();
    for (int i = 0; i < times; ++i) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      model.draw(renderPath);
    }
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

  fs::path dir_;
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

TEST_F(MeshDraw, AnObjectWithoutMaterialKeepsEachPathsOwnLightingRule) {
  // Wireframe colour 0.2 red as ambient and diffuse: 0.3 * 0.2 + 2 * 0.2 = 0.46 (the diffuse term
  // doubled, see threeObjects). The display list also makes it the specular colour with exponent 0,
  // adding 0.2; the direct paths leave the specular colour of the object before (black here) and
  // use exponent 20.
  const std::unique_ptr<MeshModel> model = loadModel(
      "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *MATERIAL_SPECULAR 0 0 0\n"
      " *MATERIAL_AMBIENT 0 0 0 *MATERIAL_DIFFUSE 0 0 0 *BITMAP NONE } }\n" +
      square("first", -18, -18, -14, -14, 0) +
      square("bare", -12, -6, 12, 6, -1, " *WIREFRAME_COLOR 0.2 0 0\n"));
  const struct {
    int path;
    uint8_t red;
    float shininess;
  } expected[] = {{2, 168, 0.0f}, {1, 117, 20.0f}, {0, 117, 20.0f}};
  for (const auto& e : expected) {
    SCOPED_TRACE("render path " + std::to_string(e.path));
    const std::vector<uint8_t> pixels = render(*model, e.path);
    EXPECT_TRUE(colourNear(at(pixels, 0, 0), Rgb{e.red, 0, 0}));
    GLfloat shininess = -1.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, e.shininess);
  }
}

TEST_F(MeshDraw, ATexturedMaterialWithTooFewTextureVerticesDrawsUntextured) {
  const std::unique_ptr<MeshModel> model = loadModel(
      "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *MATERIAL_AMBIENT 0 0 0\n"
      " *MATERIAL_DIFFUSE 0.25 0.25 0.25 *MATERIAL_SPECULAR 0 0 0 *BITMAP " + texturePath() +
      " } }\n" +
      square("short", -12, -12, 12, 12, 0, "", 3));
  for (int path : {2, 1, 0}) {
    SCOPED_TRACE("render path " + std::to_string(path));
    const std::vector<uint8_t> pixels = render(*model, path);
    EXPECT_TRUE(colourNear(at(pixels, -3, 0), Rgb{128, 128, 128}));
    EXPECT_TRUE(colourNear(at(pixels, 3, 0), Rgb{128, 128, 128}));
  }
}

TEST_F(MeshDraw, DrawingTwiceWithoutRestoringTheMatrixHalvesTheSizeAgain) {
  // A 32-unit square: 16 view units (51.2 pixels) after one draw, 8 after the second.
  const std::unique_ptr<MeshModel> model = loadModel(
      "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *BITMAP NONE } }\n" +
      square("big", -16, -16, 16, 16, 0));
  for (int path : {2, 1, 0}) {
    SCOPED_TRACE("render path " + std::to_string(path));
    const int once = litWidth(render(*model, path, 1));
    const int twice = litWidth(render(*model, path, 2));
    EXPECT_NEAR(once, 0.5 * 32 * kSize / (2 * kHalfView), 1.5);
    EXPECT_NEAR(twice, 0.25 * 32 * kSize / (2 * kHalfView), 1.5);
  }
}

TEST_F(MeshDraw, DrawingLeavesTexturingOnAndTheClientArraysOff) {
  const std::unique_ptr<MeshModel> model = loadModel(threeObjects(texturePath()));
  for (int path : {2, 1, 0, 3}) {
    SCOPED_TRACE("render path " + std::to_string(path));
    glDisable(GL_TEXTURE_2D);
    render(*model, path);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  }
  // Any other path value draws no geometry.
  const std::vector<uint8_t> pixels = render(*model, 3);
  EXPECT_EQ(litWidth(pixels), 0);
}

TEST_F(MeshDraw, LoadTexturesCreatesOneTexturePerMaterialWithABitmap) {
  const std::string bitmap = texturePath();
  auto model = std::make_unique<MeshModel>();
  const fs::path path = dir_ / "materials.ase";
  std::ofstream(path) << "*MATERIAL_LIST { *MATERIAL_COUNT 5\n"
                      << " *MATERIAL 0 { *BITMAP " << bitmap << " }\n"
                      << " *MATERIAL 1 { *BITMAP NONE }\n"
                      << " *MATERIAL 2 { *BITMAP " << bitmap << " }\n"
                      << " *MATERIAL 3 { *MATERIAL_NAME \"no bitmap\" }\n"
                      << " *MATERIAL 4 { *BITMAP NONE.bmp }\n}\n";
  model->loadAse(path.string().c_str());
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  model->loadTextures();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "loading textures ...done\n");

  const std::vector<Material>& m = model->materials;
  ASSERT_EQ(m.size(), 5u);
  EXPECT_NE(m[0].texture, 0u);
  EXPECT_EQ(m[1].texture, 0u);  // "NONE": no texture, no file opened
  EXPECT_NE(m[2].texture, 0u);
  EXPECT_NE(m[0].texture, m[2].texture);  // the same file twice gives two textures
  EXPECT_EQ(m[3].texture, 0u);  // no "*BITMAP": nothing to open
  EXPECT_NE(m[4].texture, 0u);  // merely begins with NONE: a file name, missing here
  EXPECT_TRUE(glIsTexture(m[0].texture));
  EXPECT_NE(err.find("NONE.bmp"), std::string::npos) << err;
  EXPECT_EQ(err.find("no bitmap"), std::string::npos) << err;

  auto empty = std::make_unique<MeshModel>();
  ::testing::internal::CaptureStdout();
  empty->loadTextures();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "loading textures ...done\n");
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
