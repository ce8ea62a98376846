// Keys as a user presses them: each toggle's effect and text, the two-second message, keys that do
// nothing, quitting; and ship culling, the F5 switch, seen in what the entity pass draws.
#include <gtest/gtest.h>

#include <string>

#include "app/globals.h"
#include "app/scene.h"
#include "assets/mesh_model.h"
#include "camera/camera_rig.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "effects/effects.h"
#include "gl_context.h"
#include "platform/clock.h"
#include "sim/entity_draw.h"
#include "sim/world.h"
#include "water/water_surface.h"

namespace {

class Keys : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    useFixedClock(0.5);
    g_perfFrequency = counterFrequency();
    g_messageText[0] = '\0';
    g_wireframe = false;
    g_frustumCulling = true;
    g_renderPath = RenderPath::DisplayList;
    setEffectsOn(true);
    g_water = new WaterSurface(-100, 100, 3, -100, 100, 3, 0, g_lightPosition, 0, false);
  }
  void TearDown() override {
    gfxPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    delete g_water;
    g_water = nullptr;
  }
};

bool polygonModeIs(GLint mode) {
  GLint modes[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, modes);
  return modes[0] == mode;
}

TEST_F(Keys, EachToggleSwitchesItsModeAndSaysSo) {
  const struct {
    int key;
    const char* text;
    bool (*holds)();
  } presses[] = {
      {GLUT_KEY_F7, "3D-Objekte - DrawElements", [] { return g_renderPath == RenderPath::DrawElements; }},
      {GLUT_KEY_F7, "3D-Objekte - glBegin/glEnd", [] { return g_renderPath == RenderPath::Immediate; }},
      {GLUT_KEY_F7, "3D-Objekte - Display Lists", [] { return g_renderPath == RenderPath::DisplayList; }},
      {GLUT_KEY_F5, "View Frustum Culling  OFF", [] { return !g_frustumCulling; }},
      {GLUT_KEY_F5, "View Frustum Culling  ON", [] { return g_frustumCulling; }},
      {GLUT_KEY_F3, "Wireframe-Modus  ON", [] { return g_wireframe && polygonModeIs(GL_LINE); }},
      {GLUT_KEY_F3, "Wireframe-Modus  OFF", [] { return !g_wireframe && polygonModeIs(GL_FILL); }},
      {GLUT_KEY_F4, "Shader - Bump Map OFF", [] { return g_water->bumpMapOff; }},
      {GLUT_KEY_F4, "Shader - Bump Map ON", [] { return !g_water->bumpMapOff; }},
      {GLUT_KEY_F6, "Wasser - TRIANGLE-STRIP", [] { return !g_water->quadStripMode; }},
      {GLUT_KEY_F6, "Wasser - QUAD-STRIP", [] { return g_water->quadStripMode; }},
      {GLUT_KEY_F8, "Effekte OFF", [] { return !g_effectsOn; }},
      {GLUT_KEY_F8, "Effekte ON", [] { return g_effectsOn; }},
  };
  for (const auto& press : presses) {
    advanceFixedClock();
    onSpecialKey(press.key, 0, 0);
    EXPECT_STREQ(g_messageText, press.text);
    EXPECT_TRUE(press.holds()) << press.text;
    EXPECT_EQ(g_messageStart, readCounter()) << press.text;  // each press shows its text anew
  }
}

TEST_F(Keys, TheMessageShowsForTwoSecondsAndOtherKeysChangeNothing) {
  onSpecialKey(GLUT_KEY_F5, 0, 0);
  const int64_t pressed = g_messageStart, second = counterFrequency();
  EXPECT_TRUE(toggleMessageVisible(pressed + 2 * second - 1));
  EXPECT_FALSE(toggleMessageVisible(pressed + 2 * second));
  advanceFixedClock();
  for (int key : {GLUT_KEY_F1, GLUT_KEY_F2, GLUT_KEY_F9, GLUT_KEY_F12, GLUT_KEY_LEFT, GLUT_KEY_HOME}) onSpecialKey(key, 0, 0);
  for (unsigned char key : {'a', 'q', ' ', '\r'}) onKeyboard(key, 0, 0);
  EXPECT_EQ(g_messageStart, pressed);
  EXPECT_FALSE(g_frustumCulling);
  EXPECT_EQ(g_renderPath, RenderPath::DisplayList);
  EXPECT_FALSE(g_wireframe);
}

TEST(KeysQuit, EscapeAndXEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a forked copy would share this X connection
  for (unsigned char key : {'\x1b', 'x', 'X'}) EXPECT_EXIT(onKeyboard(key, 0, 0), ::testing::ExitedWithCode(0), "");
}

// With culling on, a ship outside the camera's view wedge is skipped in both passes, and ducks and
// balls are always drawn. The es2 path also leaves out the draw of a model wholly outside the view;
// the designed path draws it.
TEST_F(Keys, CullingSkipsShipsOutsideTheViewWedgeAndModelsOutsideTheView) {
  MeshModel empty;
  empty.radius = 20;
  empty.boundsLow = {-1, -1, -1}, empty.boundsHigh = {1, 1, 1};  // beyond x = +-1 where placed here
  for (unsigned int matrix : {GL_PROJECTION, GL_MODELVIEW}) gfxMatrixMode(matrix), gfxLoadIdentity();
  CameraRig camera;
  camera.x = -200.0f;  // the wedge's apex near x = -15, opening toward -x
  g_shipModel1 = g_shipModel2 = g_duckModel = &empty;
  g_camera = &camera;
  WaterSurface* const sea = g_water;
  g_water = nullptr;  // a flat sea
  g_renderPath = RenderPath::Immediate;  // the empty models have no display list
  spawnShip(2, "in view", -60.0f, 0.0f, 0.0f);
  spawnShip(2, "behind", 40.0f, 0.0f, 0.0f);
  spawnDuck(40.0f, 0.0f, 0.0f);
  g_cannonballs.append(new Cannonball{40.0f, 30.0f, 0.0f, 0, 0, 0, {}});
  OffscreenTarget target(16, 16);
  target.bind();
  for (GraphicsPath path : {GraphicsPath::kDesigned, GraphicsPath::kEs2}) {
    selectGraphicsPath(path);
    const bool sparing = path == GraphicsPath::kEs2;
    for (bool culling : {true, false}) {
      g_frustumCulling = culling;
      for (ViewPass pass : {ViewPass::Reflection, ViewPass::Main}) {
        const std::string where = std::string(sparing ? "es2" : "designed") + (culling ? ", culling" : "") +
                                  ", pass " + std::to_string(static_cast<int>(pass));
        drawEntities(pass);
        EXPECT_EQ(g_entityDrawCounts.ships, culling ? 1 : 2) << where;
        EXPECT_EQ(g_entityDrawCounts.ducks, 1) << where;
        EXPECT_EQ(g_entityDrawCounts.balls, 1) << where;
        // The ship in the wedge and the duck lie outside the view.
        EXPECT_EQ(g_entityDrawCounts.modelsOutside, culling && sparing ? 2 : 0) << where;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << where;
      }
    }
  }
  selectGraphicsPath(GraphicsPath::kDesigned);
  target.unbind();
  clearWorld();
  g_water = sea;
  g_camera = nullptr;
  g_shipModel1 = g_shipModel2 = g_duckModel = nullptr;
}

}  // namespace
