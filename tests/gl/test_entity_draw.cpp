// Entity drawing, seen from above and from the side in an off-screen picture: the sinking box in
// the reflection pass only and its size and depth, the shifted first ship model, cannonballs at
// their fixed height, culling of ships only, and the caller's matrices left as they were.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "app/globals.h"
#include "assets/mesh_model.h"
#include "camera/camera_rig.h"
#include "gl_context.h"
#include "platform/gl.h"
#include "sim/entity_draw.h"
#include "sim/world.h"

namespace {

constexpr int kSize = 200;  // pixels square

// Orthographic view of a square of `span` world units whose lower-left corner is (left, bottom).
// From above the picture shows x to the right and y up; from the side (looking along +y) x to the
// right and z up.
struct View {
  bool fromSide;
  float left, bottom, span;
};

constexpr View kAbove{false, -50.0f, -50.0f, 100.0f};
constexpr View kSide{true, -50.0f, -80.0f, 100.0f};

class EntityDraw : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    saved = {g_shipModel1, g_shipModel2, g_duckModel};
    savedWater = g_water;
    savedCamera = g_camera;
    savedCulling = g_frustumCulling;
    savedRenderPath = g_renderPath;
    clearWorld();
    g_shipModel1 = &emptyModel;  // draws nothing but leaves its half scale, as every model does
    g_shipModel2 = &emptyModel;
    g_duckModel = &emptyModel;
    g_water = nullptr;  // flat sea at height 0
    g_camera = &camera;
    g_frustumCulling = false;
    g_renderPath = 0;
    emptyModel.radius = 20;
    emptyModel.focalDistance = 12;  // half minor axis 16
    target = std::make_unique<OffscreenTarget>(kSize, kSize);
    ASSERT_TRUE(target->complete());
  }

  void TearDown() override {
    clearWorld();
    g_shipModel1 = saved[0];
    g_shipModel2 = saved[1];
    g_duckModel = saved[2];
    g_water = savedWater;
    g_camera = savedCamera;
    g_frustumCulling = savedCulling;
    g_renderPath = savedRenderPath;
    target.reset();
  }

  Ship* addSunkShip(int type, float x, float y, float heading) {
    spawnShip(type, "Sinking", x, y, heading);
    Ship* ship = g_ships[g_ships.size() - 1];
    ship->sunk = true;
    return ship;
  }

  // Draws the world for `pass` on white, lit from above, and keeps the picture.
  void render(int pass, const View& view) {
    this->view = view;
    target->bind();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(view.left, view.left + view.span, view.bottom, view.bottom + view.span, -1000.0, 1000.0);
    if (view.fromSide) glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);  // world z becomes the picture's up
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    drawEntities(pass);
    pixels = target->readPixels();
    target->unbind();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
  }

  // The picture at world point (a, b): (x, y) from above, (x, z) from the side.
  Rgb at(float a, float b) const {
    const float scale = kSize / view.span;
    return target->pixelAt(pixels, static_cast<int>((a - view.left) * scale), static_cast<int>((b - view.bottom) * scale));
  }
  bool black(float a, float b) const {
    const Rgb p = at(a, b);
    return p[0] < 10 && p[1] < 10 && p[2] < 10;
  }
  bool white(float a, float b) const {
    const Rgb p = at(a, b);
    return p[0] > 245 && p[1] > 245 && p[2] > 245;
  }
  bool dark(float a, float b) const { return at(a, b)[0] < 128; }

  MeshModel emptyModel;
  CameraRig camera;
  std::unique_ptr<OffscreenTarget> target;
  std::vector<uint8_t> pixels;
  View view = kAbove;
  std::array<MeshModel*, 3> saved{};
  WaterSurface* savedWater = nullptr;
  CameraRig* savedCamera = nullptr;
  bool savedCulling = true;
  int savedRenderPath = 2;
};

TEST_F(EntityDraw, SunkShipHidesItsHullInTheReflectionPassOnly) {
  addSunkShip(2, 0.0f, 0.0f, 0.0f);  // z 0
  render(1, kSide);
  EXPECT_EQ(g_entityDrawCounts.sinkBoxes, 1);
  // 3.5 * radius long, from 8.75 to 26.25 below the water.
  EXPECT_TRUE(black(0.0f, -10.0f));
  EXPECT_TRUE(black(0.0f, -25.0f));
  EXPECT_TRUE(black(33.0f, -17.0f));
  EXPECT_TRUE(black(-33.0f, -17.0f));
  EXPECT_TRUE(white(0.0f, -7.0f));
  EXPECT_TRUE(white(0.0f, -28.0f));
  EXPECT_TRUE(white(37.0f, -17.0f));

  render(2, kSide);
  EXPECT_EQ(g_entityDrawCounts.sinkBoxes, 0);
  EXPECT_TRUE(white(0.0f, -17.0f));

  g_ships[0]->sunk = false;
  render(1, kSide);
  EXPECT_TRUE(white(0.0f, -17.0f));
}

TEST_F(EntityDraw, SinkingBoxIsAsWideAsTheHitEllipseAllows) {
  addSunkShip(2, 0.0f, 0.0f, 0.0f);
  render(1, kAbove);
  // 1.75 * 16 = 28 wide across the ship's axis.
  EXPECT_TRUE(black(0.0f, 13.0f));
  EXPECT_TRUE(black(0.0f, -13.0f));
  EXPECT_TRUE(white(0.0f, 15.5f));
  EXPECT_TRUE(white(0.0f, -15.5f));
}

TEST_F(EntityDraw, SinkingBoxGrowsDownwardsAsTheShipGoesDown) {
  Ship* ship = addSunkShip(2, 0.0f, 0.0f, 0.0f);
  ship->z = -40.0f;
  render(1, kSide);
  EXPECT_TRUE(black(0.0f, -10.0f));  // the top stays 8.75 below the water
  EXPECT_TRUE(white(0.0f, -7.0f));
  EXPECT_TRUE(black(0.0f, -64.0f));  // the bottom reaches 66.25 below it
  EXPECT_TRUE(white(0.0f, -68.0f));
}

TEST_F(EntityDraw, FirstShipModelIsShiftedAfterTheTurn) {
  addSunkShip(1, 0.0f, 0.0f, 0.0f);
  render(1, kAbove);
  // Turned by -180 degrees, the shift of 13 along the model's y points to world -y.
  EXPECT_TRUE(black(0.0f, -25.0f));
  EXPECT_TRUE(white(0.0f, 3.0f));

  g_ships.clear();
  addSunkShip(2, 0.0f, 0.0f, 0.0f);
  render(1, kAbove);
  EXPECT_TRUE(black(0.0f, 3.0f));
  EXPECT_TRUE(white(0.0f, -25.0f));

  g_ships.clear();
  addSunkShip(1, 0.0f, 0.0f, 90.0f);  // turned by -90: the shift points to world +x
  render(1, kAbove);
  EXPECT_TRUE(black(25.0f, 0.0f));
  EXPECT_TRUE(black(13.0f, 30.0f));  // the box's length now runs along y
  EXPECT_TRUE(white(-5.0f, 0.0f));
}

TEST_F(EntityDraw, CannonballsFlyAtHeightTenWhateverTheSea) {
  Cannonball* ball = new Cannonball{};
  ball->x = 20.0f;
  ball->y = 0.0f;
  g_cannonballs.append(ball);
  render(2, kSide);
  EXPECT_EQ(g_entityDrawCounts.balls, 1);
  EXPECT_TRUE(dark(20.0f, 10.0f));
  EXPECT_TRUE(white(20.0f, 0.0f));
  EXPECT_TRUE(white(20.0f, 13.0f));
  EXPECT_TRUE(white(0.0f, 10.0f));
  const Rgb grey = at(20.0f, 10.0f);
  EXPECT_EQ(grey[0], grey[1]);  // untinted
  EXPECT_EQ(grey[1], grey[2]);
}

TEST_F(EntityDraw, CullingSkipsShipsOutsideTheWedgeButNeverDucksOrBalls) {
  camera.x = -200.0f;  // apex near (-15, 0); the wedge opens toward -x
  addSunkShip(2, -60.0f, 0.0f, 0.0f);
  addSunkShip(2, 40.0f, 0.0f, 0.0f);
  spawnDuck(40.0f, 0.0f, 0.0f);
  Cannonball* ball = new Cannonball{};
  ball->x = 40.0f;
  ball->y = 30.0f;
  g_cannonballs.append(ball);
  const View wide{false, -100.0f, -100.0f, 200.0f};

  g_frustumCulling = true;
  for (int pass : {1, 2}) {
    render(pass, wide);
    EXPECT_EQ(g_entityDrawCounts.ships, 1) << "pass " << pass;
    EXPECT_EQ(g_entityDrawCounts.ducks, 1);
    EXPECT_EQ(g_entityDrawCounts.balls, 1);
    EXPECT_TRUE(dark(40.0f, 30.0f));
  }
  render(1, wide);
  EXPECT_TRUE(black(-60.0f, 0.0f));
  EXPECT_TRUE(white(40.0f, 0.0f));

  g_frustumCulling = false;
  render(1, wide);
  EXPECT_EQ(g_entityDrawCounts.ships, 2);
  EXPECT_TRUE(black(40.0f, 0.0f));
}

TEST_F(EntityDraw, LeavesTheCallersMatricesAsTheyWere) {
  addSunkShip(1, 10.0f, 10.0f, 33.0f);
  addSunkShip(2, -10.0f, 10.0f, 200.0f);
  spawnDuck(5.0f, 5.0f, 10.0f);
  g_cannonballs.append(new Cannonball{});
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1.0f, 2.0f, 3.0f);
  GLfloat before[16], after[16];
  GLint depthBefore = 0, depthAfter = 0;
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
  while (glGetError() != GL_NO_ERROR) {
  }
  for (int renderPath : {0, 1}) {  // path 2 needs a built display list
    g_renderPath = renderPath;
    drawEntities(1);
    drawEntities(2);
  }
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
  EXPECT_EQ(depthBefore, depthAfter);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(before[i], after[i]) << i;
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  glLoadIdentity();
}

TEST_F(EntityDraw, MissingModelsAndSeaDrawWhatRemains) {
  g_shipModel1 = nullptr;
  g_shipModel2 = nullptr;
  g_duckModel = nullptr;
  addSunkShip(1, 0.0f, 0.0f, 0.0f);
  addSunkShip(7, 0.0f, 0.0f, 0.0f);  // unknown type: no model at all
  spawnDuck(0.0f, 0.0f, 0.0f);
  render(1, kAbove);
  EXPECT_EQ(g_entityDrawCounts.ships, 2);
  EXPECT_EQ(g_entityDrawCounts.ducks, 1);
  EXPECT_EQ(g_entityDrawCounts.sinkBoxes, 2);
}

}  // namespace
