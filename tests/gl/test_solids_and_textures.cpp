// The vocabulary's solids and texture parameters as GL keeps them, on both drawing paths: a solid
// drawn again looks as it did the first time, with its own colour and size however many others came
// between, and a parameter set on a texture reaches GL whatever its name held before.
#include <gtest/gtest.h>

#include <memory>

#include "drawing/gl.h"
#include "gl_context.h"

namespace {

constexpr int kSize = 120;  // pixels, square

class SolidsAndTextures : public GlPathTest {
 protected:
  void SetUp() override {
    GlPathTest::SetUp();
    target = std::make_unique<OffscreenTarget>(kSize, kSize);
    ASSERT_TRUE(target->complete());
  }

  // Three spheres in a row (red, green, a small red one) and a blue cube above them, unlit, in an
  // orthographic view 12 units wide; returns the picture.
  std::vector<uint8_t> drawSolids() {
    target->bind();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gfxDisable(GL_LIGHTING);
    gfxDisable(GL_TEXTURE_2D);
    gfxEnable(GL_DEPTH_TEST);
    gfxMatrixMode(GL_PROJECTION);
    gfxLoadIdentity();
    gfxOrtho(-6.0, 6.0, -6.0, 6.0, -10.0, 10.0);
    gfxMatrixMode(GL_MODELVIEW);
    gfxLoadIdentity();
    const auto solid = [](float x, float y, float r, float g, float b, double size, bool sphere) {
      gfxPushMatrix();
      gfxTranslatef(x, y, 0.0f);
      gfxColor3f(r, g, b);
      if (sphere) {
        gfxSolidSphere(size, 8, 8);
      } else {
        gfxSolidCube(size);
      }
      gfxPopMatrix();
    };
    solid(-3.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.5, true);
    solid(0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.5, true);
    solid(3.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5, true);
    solid(0.0f, 3.5f, 0.0f, 0.0f, 1.0f, 2.0, false);
    gfxDisable(GL_DEPTH_TEST);
    std::vector<uint8_t> pixels = target->readPixels();
    target->unbind();
    return pixels;
  }

  // The pixel of the orthographic view's point (x, y).
  Rgb at(const std::vector<uint8_t>& pixels, float x, float y) const {
    const auto pixel = [](float v) { return static_cast<int>((v + 6.0f) / 12.0f * kSize); };
    return target->pixelAt(pixels, pixel(x), pixel(y));
  }

  std::unique_ptr<OffscreenTarget> target;
};

TEST_P(SolidsAndTextures, ASolidDrawnAgainKeepsItsColourAndSize) {
  const std::vector<uint8_t> first = drawSolids();
  const std::vector<uint8_t> again = drawSolids();
  EXPECT_EQ(first, again) << "the second frame of the same solids differs from the first";

  const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{0, 0, 0};
  for (const std::vector<uint8_t>* picture : {&first, &again}) {
    EXPECT_EQ(at(*picture, -3.0f, 0.0f), red);
    EXPECT_EQ(at(*picture, 0.0f, 0.0f), green) << "a sphere took the colour of the one drawn before it";
    EXPECT_EQ(at(*picture, 3.0f, 0.0f), red);
    EXPECT_EQ(at(*picture, 3.0f + 1.0f, 0.0f), black) << "the small sphere has the size of a large one";
    EXPECT_EQ(at(*picture, -3.0f + 1.2f, 0.0f), red);
    EXPECT_EQ(at(*picture, 0.0f, 3.5f), blue);
    EXPECT_EQ(at(*picture, 0.0f, 3.5f + 1.3f), black);
  }
}

// A deleted texture's name, bound again, is a new texture with GL's defaults: a parameter set on it
// must reach GL, even one its predecessor held already.
TEST_P(SolidsAndTextures, AParameterReachesANewTextureUnderAnOldName) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  gfxBindTexture(GL_TEXTURE_2D, texture);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  GLint wrap = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);

  gfxDeleteTexture(texture);
  gfxBindTexture(GL_TEXTURE_2D, texture);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  ASSERT_EQ(wrap, GL_REPEAT) << "a texture made by binding a free name starts with GL's default wrap";
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE) << "the parameter was taken for the deleted texture's and not sent";
  gfxDeleteTexture(texture);
}

INSTANTIATE_DRAWING_PATHS(SolidsAndTextures);

}  // namespace
