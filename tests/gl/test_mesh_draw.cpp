// Mesh model drawing under a real GL context: the three render paths give one picture, of a small
// model whose materials a viewer can tell apart and of the program's own ship with its closed parts
// culled, through both drawing backends (GL ES 2.0's lights and textures as the fixed pipeline's).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../test_support.h"
#include "assets/mesh_model.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "gl_context.h"
#include "platform/dialog.h"

namespace {

constexpr int kSize = 64;  // pixels of the off-screen target, square

class MeshDraw : public GlPathTest {
 protected:
  void SetUp() override {
    GlPathTest::SetUp();
    setDialogsEnabled(false);
    target = std::make_unique<OffscreenTarget>(kSize, kSize);
    ASSERT_TRUE(target->complete());
    // The scene's lighting: one directional light from +z, global ambient 0.3, textures added to
    // the lit colour.
    gfxEnable(GL_DEPTH_TEST);
    gfxMatrixMode(GL_PROJECTION);
    gfxLoadIdentity();
    gfxOrtho(-10.0, 10.0, -10.0, 10.0, -10.0, 10.0);
    gfxMatrixMode(GL_MODELVIEW);
    gfxLoadIdentity();
    const GLfloat light[4] = {0.0f, 0.0f, 1.0f, 0.0f}, ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    gfxLightfv(GL_LIGHT0, GL_POSITION, light);
    gfxLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    gfxEnable(GL_LIGHTING);
    gfxEnable(GL_LIGHT0);
    gfxDisable(GL_RESCALE_NORMAL);  // whatever an earlier test left: these normals stay as scaled
    gfxEnable(GL_TEXTURE_2D);
    gfxTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
  }
  void TearDown() override {
    gfxDisable(GL_LIGHTING);
    gfxDisable(GL_DEPTH_TEST);
    GlPathTest::TearDown();
  }

  // Loads the model file and gives it its textures and display list, as start-up does.
  static std::unique_ptr<MeshModel> load(const std::string& path) {
    auto model = std::make_unique<MeshModel>();
    test::captured([&] {
      model->loadAse(path.c_str());
      model->loadTextures();
      model->buildDisplayList();
    });
    return model;
  }

  // The picture of each render path; all must equal the display list's within one step.
  std::vector<std::vector<uint8_t>> renderEveryPath(const MeshModel& model) {
    std::vector<std::vector<uint8_t>> pictures;
    for (RenderPath path : {RenderPath::DisplayList, RenderPath::DrawElements, RenderPath::Immediate}) {
      target->bind();
      glClearColor(0, 0, 0, 0);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      gfxPushMatrix();
      model.draw(path);
      gfxPopMatrix();
      pictures.push_back(target->readPixels());
      target->unbind();
      EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
      size_t differing = 0;
      for (size_t i = 0; i < pictures[0].size(); ++i) differing += std::abs(pictures.back()[i] - pictures[0][i]) > 1;
      EXPECT_EQ(differing, 0u) << "channels of path " << static_cast<int>(path) << " differing from the display list's picture";
    }
    return pictures;
  }

  std::unique_ptr<OffscreenTarget> target;
};

// Side by side after the 0.5 scale: a textured square (texture red left, blue right), a "NONE"
// material in green, and no material at all, drawn in its wireframe colour. The 0.5 scale reaches the
// normals too, which arrive at the lighting twice as long (nothing normalises them): diffuse doubles.
TEST_P(MeshDraw, TheThreeRenderPathsGiveTheSamePicture) {
  test::ScratchDir dir;
  std::vector<test::Rgb> halves(64);
  for (int i = 0; i < 64; ++i) halves[i] = i % 8 < 4 ? test::Rgb{255, 0, 0} : test::Rgb{0, 0, 255};
  const std::string bitmap = dir.write("halves.bmp", test::bmp24(8, 8, halves).build());
  const std::unique_ptr<MeshModel> model = load(dir.write("model.ase",
      "*MATERIAL_LIST { *MATERIAL_COUNT 2\n"
      "*MATERIAL 0 { *MATERIAL_AMBIENT 0 0 0 *MATERIAL_DIFFUSE 0 0 0 *MATERIAL_SPECULAR 0 0 0 *BITMAP " + bitmap + " }\n"
      "*MATERIAL 1 { *MATERIAL_AMBIENT 0 0 0 *MATERIAL_DIFFUSE 0 0.3 0 *MATERIAL_SPECULAR 0 0 0 *BITMAP NONE } }\n" +
      test::aseSquare(-18, -6, 6, "*MATERIAL_REF 0") + test::aseSquare(-6, 6, 6, "*MATERIAL_REF 1") +
      test::aseSquare(6, 18, 6, "*WIREFRAME_COLOR 0 0 0.8")));
  for (const std::vector<uint8_t>& pixels : renderEveryPath(*model)) {
    const auto at = [&](double x) { return target->pixelAt(pixels, static_cast<int>((x + 10.0) * kSize / 20.0), kSize / 2); };
    EXPECT_EQ(at(-7.5), (Rgb{255, 0, 0}));
    EXPECT_EQ(at(-4.5), (Rgb{0, 0, 255}));
    EXPECT_NEAR(at(0)[1], 153, 1);  // 2 * diffuse 0.3, untextured
    EXPECT_EQ(at(6), (Rgb{0, 0, 255}));
  }
}

// Culling the back faces of the closed parts leaves the ship as a viewer sees it, from above, from
// the side and from below the waterline as the reflection sees it: at most a few pixels along
// silhouettes may change. Culling the open parts too would change over a dozen here.
TEST_P(MeshDraw, CullingTheClosedPartsKeepsTheShipsPicture) {
  std::unique_ptr<MeshModel> ship = load("../data/objects/schiff1.ase");
  ASSERT_FALSE(ship->objects.empty()) << "run in <build>/bin";
  const int size = 160;
  OffscreenTarget big(size, size);
  ASSERT_TRUE(big.complete());
  auto picture = [&](float tilt, float turn) {
    big.bind();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gfxMatrixMode(GL_PROJECTION);
    gfxLoadIdentity();
    gfxOrtho(-60.0, 60.0, -60.0, 60.0, -400.0, 400.0);
    gfxRotatef(tilt, 1.0f, 0.0f, 0.0f);
    gfxRotatef(turn, 0.0f, 0.0f, 1.0f);
    gfxMatrixMode(GL_MODELVIEW);
    gfxPushMatrix();
    ship->draw(RenderPath::DisplayList);
    gfxPopMatrix();
    std::vector<uint8_t> pixels = big.readPixels();
    big.unbind();
    return pixels;
  };
  const float views[][2] = {{-60.0f, 0.0f}, {-90.0f, 35.0f}, {-80.0f, 160.0f}, {-115.0f, 70.0f}};
  std::vector<std::vector<uint8_t>> culled;
  for (const auto& view : views) culled.push_back(picture(view[0], view[1]));
  renderEveryPath(*ship);  // in the last view, culled parts and all

  size_t closed = 0;
  for (const auto& object : ship->objects) closed += object->closedSurface;
  ASSERT_GT(closed, 2u);
  for (const auto& object : ship->objects) object->closedSurface = false;
  ship->buildDisplayList();
  for (size_t v = 0; v < culled.size(); ++v) {
    const std::vector<uint8_t> whole = picture(views[v][0], views[v][1]);
    size_t shown = 0, changed = 0;
    for (size_t i = 0; i < whole.size(); i += 3) {
      shown += whole[i] + whole[i + 1] + whole[i + 2] > 0;
      changed += std::abs(whole[i] - culled[v][i]) + std::abs(whole[i + 1] - culled[v][i + 1]) +
                     std::abs(whole[i + 2] - culled[v][i + 2]) > 24;
    }
    EXPECT_GT(shown, static_cast<size_t>(size * size / 10)) << "view " << v;
    EXPECT_LE(changed, shown / 2000) << "view " << v << ": pixels changed by culling";
  }
}

INSTANTIATE_DRAWING_PATHS(MeshDraw);

}  // namespace
