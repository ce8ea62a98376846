// Sky dome list under a real GL context: what a camera at eye height sees toward the horizon, and
// the state the list leaves behind.
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/globals.h"
#include "gl_context.h"
#include "platform/gl.h"
#include "sky/sky_dome.h"

namespace {

constexpr int kSize = 64;  // pixels of the off-screen target, square
constexpr double kEyeHeight = 10.0;  // world units above the still sea

// Texture colours of the two halves of the fold-out: t < 0.5 is the sky toward +x.
constexpr Rgb kTowardPlusX{100, 50, 20};
constexpr Rgb kTowardMinusX{20, 60, 110};
// Lit colour of the dome that the texture is added to: ambient light 0.3 times (0.8, 0.8, 1.0).
constexpr Rgb kDomeLight{61, 61, 77};

Rgb plus(const Rgb& a, const Rgb& b) {
  return {static_cast<uint8_t>(a[0] + b[0]), static_cast<uint8_t>(a[1] + b[1]),
          static_cast<uint8_t>(a[2] + b[2])};
}

::testing::AssertionResult colourNear(const Rgb& actual, const Rgb& expected) {
  constexpr int kTolerance = 2;  // the lit colour is 61.2 and 76.5 before rounding
  for (size_t c = 0; c < 3; ++c) {
    if (std::abs(int{actual[c]} - int{expected[c]}) > kTolerance) {
      return ::testing::AssertionFailure()
             << "got (" << int{actual[0]} << ", " << int{actual[1]} << ", " << int{actual[2]}
             << "), expected (" << int{expected[0]} << ", " << int{expected[1]} << ", "
             << int{expected[2]} << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

class SkyDraw : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (HasFatalFailure()) return;
    target_ = std::make_unique<OffscreenTarget>(kSize, kSize);
    ASSERT_TRUE(target_->complete());

    // Dome picture: 4 x 64 texels, the lower 32 rows (t < 0.5) one colour, the upper 32 another.
    std::vector<uint8_t> texels;
    for (int row = 0; row < 64; ++row) {
      for (int column = 0; column < 4; ++column) {
        const Rgb& c = row < 32 ? kTowardPlusX : kTowardMinusX;
        texels.insert(texels.end(), c.begin(), c.end());
      }
    }
    glGenTextures(1, &g_domeTexture);
    glBindTexture(GL_TEXTURE_2D, g_domeTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());

    // The program's scene state: lighting with light 0 and ambient 0.3, textures added.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    buildSkyDome();
  }

  void TearDown() override {
    target_.reset();
    glDeleteLists(g_skyList, 1);
    glDeleteTextures(1, &g_domeTexture);
    g_skyList = 0;
    g_domeTexture = 0;
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
  }

  // The frame pass's way: camera in the projection matrix, the dome moved under the eye.
  std::vector<uint8_t> lookFrom(double x, double y, double towardX, double towardY) {
    target_->bind();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 5000.0);
    gluLookAt(x, y, kEyeHeight, x + towardX, y + towardY, kEyeHeight, 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glCallList(g_skyList);
    glPopMatrix();
    std::vector<uint8_t> pixels = target_->readPixels();
    target_->unbind();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return pixels;
  }

  std::unique_ptr<OffscreenTarget> target_;
};

TEST_F(SkyDraw, AboveTheHorizonTheDomeShowsItsPictureBelowTheRimNothing) {
  // The rim lies 27 units below the eye at 950 units: 1.6 degrees, about 2 rows below the middle.
  using Look = std::array<double, 4>;  // eye x, y and the horizontal view direction
  for (const Look& look : {Look{0, 0, 1, 0}, Look{5000, -3000, 1, 0}}) {
    SCOPED_TRACE("eye at " + std::to_string(look[0]) + ", " + std::to_string(look[1]));
    const std::vector<uint8_t> pixels = lookFrom(look[0], look[1], look[2], look[3]);
    for (int row : {kSize / 2 + 3, kSize * 3 / 4, kSize - 1}) {
      for (int column : {0, kSize / 2, kSize - 1}) {
        const Rgb seen = target_->pixelAt(pixels, column, row);
        EXPECT_TRUE(colourNear(seen, plus(kTowardPlusX, kDomeLight)))
            << "row " << row << " column " << column;
      }
    }
    for (int row : {0, kSize / 2 - 6}) {
      EXPECT_TRUE(colourNear(target_->pixelAt(pixels, kSize / 2, row), Rgb{0, 0, 0}))
          << "row " << row;
    }
  }
}

TEST_F(SkyDraw, TheHalfTowardMinusXUsesTheUpperHalfOfThePicture) {
  const std::vector<uint8_t> pixels = lookFrom(0, 0, -1, 0);
  EXPECT_TRUE(colourNear(target_->pixelAt(pixels, kSize / 2, kSize * 3 / 4),
                         plus(kTowardMinusX, kDomeLight)));
}

TEST_F(SkyDraw, TheListRestoresLightZeroAndRepeatWrapping) {
  glBindTexture(GL_TEXTURE_2D, g_domeTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glBindTexture(GL_TEXTURE_2D, 0);
  lookFrom(0, 0, 1, 0);
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<unsigned int>(bound), g_domeTexture);
  GLint wrapS = 0, wrapT = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
  EXPECT_EQ(wrapS, GL_REPEAT);
  EXPECT_EQ(wrapT, GL_REPEAT);
  GLfloat shininess = -1.0f;
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
  EXPECT_EQ(shininess, 0.0f);
  // The list's own push and pop leave the modelview matrix as it was.
  GLfloat matrix[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(matrix[i], (i % 5 == 0) ? 1.0f : 0.0f);
}

}  // namespace
