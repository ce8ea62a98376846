// Screen text in an off-screen picture: green lines at their window-pixel positions (origin top
// left), fonts, title lines, the frame counter, and the GL state left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/globals.h"
#include "app/scroll_text.h"
#include "app/text_overlay.h"
#include "gl_context.h"
#include "platform/gl.h"
#include "sim/world.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

// Rows and columns of green text pixels found in a picture, counted from the top left.
struct Ink {
  int count = 0;
  int top = kHeight, bottom = -1, left = kWidth, right = -1;
};

class TextOverlay : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    savedWidth = g_windowWidth;
    savedHeight = g_windowHeight;
    g_windowWidth = kWidth;
    g_windowHeight = kHeight;
    g_scrollTexts.clear();
    target = std::make_unique<OffscreenTarget>(kWidth, kHeight);
    ASSERT_TRUE(target->complete());
    target->bind();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    // A camera projection the text must neither use nor disturb.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.5, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  void TearDown() override {
    target->unbind();
    target.reset();
    g_scrollTexts.clear();
    g_windowWidth = savedWidth;
    g_windowHeight = savedHeight;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
  }

  Ink ink() const {
    const std::vector<uint8_t> pixels = target->readPixels();
    Ink found;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const Rgb p = target->pixelAt(pixels, x, y);
        if (p[1] > 100 && p[0] < 40 && p[2] < 40) {
          const int row = kHeight - 1 - y;
          ++found.count;
          found.top = std::min(found.top, row);
          found.bottom = std::max(found.bottom, row);
          found.left = std::min(found.left, x);
          found.right = std::max(found.right, x);
        }
      }
    }
    return found;
  }

  std::unique_ptr<OffscreenTarget> target;
  int savedWidth = 0;
  int savedHeight = 0;
};

TEST_F(TextOverlay, GreenTextSitsOnItsBaselineCountedFromTheTop) {
  drawText("Wireframe-Modus  ON", 30, 40, 0);
  const Ink found = ink();
  ASSERT_GT(found.count, 50);
  EXPECT_GE(found.left, 30);
  EXPECT_LE(found.left, 34);
  EXPECT_LE(found.bottom, 44);  // descenders only below the baseline
  EXPECT_GE(found.top, 40 - 20);
  EXPECT_LE(found.top, 40 - 8);
}

TEST_F(TextOverlay, SecondFontIsLargerAndOtherFontsDrawNothing) {
  drawText("KARVOSTA", 10, 60, 0);
  const Ink helvetica = ink();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawText("KARVOSTA", 10, 60, 1);
  const Ink times = ink();
  ASSERT_GT(helvetica.count, 0);
  ASSERT_GT(times.count, 0);
  EXPECT_GT(60 - times.top, 60 - helvetica.top);

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  drawText("KARVOSTA", 10, 60, 2);
  EXPECT_EQ(ink().count, 0);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));  // the state changes still happen
}

TEST_F(TextOverlay, LeavesLightingTexturingAndBothMatricesAsTheFramePassNeedsThem) {
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(5.0f, 6.0f, 7.0f);
  GLfloat projection[16], modelview[16], projectionAfter[16], modelviewAfter[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  glDisable(GL_TEXTURE_2D);

  drawText("frames/sec: 60", 20, 23, 0);

  glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
  for (int i = 0; i < 16; ++i) {
    EXPECT_FLOAT_EQ(projection[i], projectionAfter[i]);
    EXPECT_FLOAT_EQ(modelview[i], modelviewAfter[i]);
  }
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[0], 0.0f);
  EXPECT_NEAR(colour[1], 0.7f, 1e-6f);
  EXPECT_FLOAT_EQ(colour[2], 0.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextOverlay, TitleLinesStartOnTheBottomEdgeAndRise) {
  g_scrollTexts.append(new ScrollText(100.0f, "Lumbrix presents"));
  drawScrollTexts();
  Ink found = ink();
  ASSERT_GT(found.count, 0);
  EXPECT_GE(found.top, kHeight - 20);
  EXPECT_GE(found.left, 100);

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  g_scrollTexts[0]->y = 100.7f;  // truncated to 100
  drawScrollTexts();
  found = ink();
  EXPECT_LE(found.bottom, 104);
  EXPECT_LE(found.top, 100 - 8);
}

TEST_F(TextOverlay, FrameCounterIsDrawnAtTheTopLeft) {
  drawFrameRate();
  const Ink found = ink();
  ASSERT_GT(found.count, 0);
  EXPECT_GE(found.left, 20);
  EXPECT_LE(found.left, 24);
  EXPECT_LE(found.bottom, 27);
  EXPECT_LT(found.right, kWidth / 2);
}

}  // namespace
