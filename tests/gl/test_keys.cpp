// Keys: each toggle's text sequence, the 2-second message, and keys that must do nothing.
#include <gtest/gtest.h>

#include <string>

#include "app/globals.h"
#include "app/scene.h"
#include "gl_context.h"
#include "platform/clock.h"
#include "platform/gl.h"
#include "water/water_surface.h"

namespace {

class Keys : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    useFixedClock(0.5);
    g_perfFrequency = counterFrequency();
    g_messageText[0] = '\0';
    g_messageStart = readCounter();
    g_wireframe = false;
    g_frustumCulling = true;
    g_renderPath = 2;
    g_water = new WaterSurface(-100, 100, 3, -100, 100, 3, 0, g_lightPosition, 0, false);
  }
  void TearDown() override {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    delete g_water;
    g_water = nullptr;
  }
  std::string press(int key) {
    onSpecialKey(key, 0, 0);
    return g_messageText;
  }
};

TEST_F(Keys, F7CyclesTheRenderPathBackToDisplayLists) {
  EXPECT_EQ(press(GLUT_KEY_F7), "3D-Objekte - DrawElements");
  EXPECT_EQ(g_renderPath, 1);
  EXPECT_EQ(press(GLUT_KEY_F7), "3D-Objekte - glBegin/glEnd");
  EXPECT_EQ(g_renderPath, 0);
  EXPECT_EQ(press(GLUT_KEY_F7), "3D-Objekte - Display Lists");
  EXPECT_EQ(g_renderPath, 2);
}

TEST_F(Keys, F5AtStartSwitchesCullingOff) {
  EXPECT_EQ(press(GLUT_KEY_F5), "View Frustum Culling  OFF");
  EXPECT_FALSE(g_frustumCulling);
  EXPECT_EQ(press(GLUT_KEY_F5), "View Frustum Culling  ON");
}

TEST_F(Keys, F3TwiceSwitchesWireframeOnAndOffInGl) {
  EXPECT_EQ(press(GLUT_KEY_F3), "Wireframe-Modus  ON");
  GLint mode[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, mode);
  EXPECT_EQ(mode[0], GL_LINE);
  EXPECT_EQ(press(GLUT_KEY_F3), "Wireframe-Modus  OFF");
  glGetIntegerv(GL_POLYGON_MODE, mode);
  EXPECT_EQ(mode[0], GL_FILL);
}

TEST_F(Keys, F4AndF6SwitchTheSea) {
  EXPECT_EQ(press(GLUT_KEY_F4), "Shader - Bump Map OFF");
  EXPECT_EQ(press(GLUT_KEY_F4), "Shader - Bump Map ON");
  EXPECT_EQ(press(GLUT_KEY_F6), "Wasser - TRIANGLE-STRIP");
  EXPECT_EQ(press(GLUT_KEY_F6), "Wasser - QUAD-STRIP");
}

TEST_F(Keys, TheMessageShowsForTwoSecondsFromItsOwnKey) {
  press(GLUT_KEY_F3);
  const int64_t pressed = readCounter();
  const int64_t second = counterFrequency();
  EXPECT_TRUE(toggleMessageVisible(pressed));
  EXPECT_TRUE(toggleMessageVisible(pressed + 2 * second - 1));
  EXPECT_FALSE(toggleMessageVisible(pressed + 2 * second));

  advanceFixedClock();  // half a second later the second press restarts the two seconds
  press(GLUT_KEY_F3);
  EXPECT_TRUE(toggleMessageVisible(pressed + 2 * second + second / 4));
  EXPECT_STREQ(g_messageText, "Wireframe-Modus  OFF");
}

TEST_F(Keys, OtherKeysChangeNothingAndDoNotReshowTheMessage) {
  press(GLUT_KEY_F5);
  const int64_t start = g_messageStart;
  advanceFixedClock();
  for (int key : {GLUT_KEY_F1, GLUT_KEY_F2, GLUT_KEY_F8, GLUT_KEY_F9, GLUT_KEY_F10, GLUT_KEY_F11, GLUT_KEY_F12,
                  GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_RIGHT, GLUT_KEY_DOWN, GLUT_KEY_HOME}) {
    press(key);
  }
  EXPECT_EQ(g_messageStart, start);
  EXPECT_STREQ(g_messageText, "View Frustum Culling  OFF");
  EXPECT_FALSE(g_frustumCulling);
  EXPECT_EQ(g_renderPath, 2);
  EXPECT_FALSE(g_wireframe);
  for (unsigned char key : {'a', 'q', ' ', '1', '\r'}) onKeyboard(key, 0, 0);  // still running
}

TEST(KeysQuit, EscapeAndXEndTheProgram) {
  // A fresh process for each: a forked copy would share this one's X connection.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(onKeyboard(27, 0, 0), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(onKeyboard('x', 0, 0), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(onKeyboard('X', 0, 0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
