// GLUT's solids and texture parameters through the vocabulary, on both paths: a solid drawn again
// looks as it did, in its own colour and size; a parameter reaches GL whatever its name held before.
#include <gtest/gtest.h>

#include "drawing/gl.h"
#include "gl_context.h"

namespace {

using SolidsAndTextures = GlPathTest;
constexpr int kSize = 120;  // pixels, square; the view is 12 units wide, unlit, orthographic

// Red, green and a small red sphere in a row: the picture.
std::vector<uint8_t> drawSolids(const OffscreenTarget& target) {
  target.bind();
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  gfxDisable(GL_LIGHTING);
  gfxDisable(GL_TEXTURE_2D);
  gfxMatrixMode(GL_PROJECTION);
  gfxLoadIdentity();
  gfxOrtho(-6.0, 6.0, -6.0, 6.0, -10.0, 10.0);
  gfxMatrixMode(GL_MODELVIEW);
  gfxLoadIdentity();
  for (const auto& [x, y, green, size] : {std::array<float, 4>{-3, 0, 0, 1.5f}, {0, 0, 1, 1.5f}, {3, 0, 0, 0.5f}}) {
    gfxLoadIdentity();
    gfxTranslatef(x, y, 0.0f);
    gfxColor3f(1.0f - green, green, 0.0f);
    gfxSolidSphere(size, 8, 8);
  }
  std::vector<uint8_t> pixels = target.readPixels();
  target.unbind();
  return pixels;
}

TEST_P(SolidsAndTextures, ASolidDrawnAgainKeepsItsColourAndSize) {
  const OffscreenTarget target(kSize, kSize);
  const std::vector<uint8_t> first = drawSolids(target), again = drawSolids(target);
  EXPECT_EQ(first, again) << "the second frame of the same solids differs from the first";
  const auto at = [&](float x, float y) {
    return target.pixelAt(again, static_cast<int>((x + 6) / 12 * kSize), static_cast<int>((y + 6) / 12 * kSize));
  };
  const Rgb red{255, 0, 0}, green{0, 255, 0}, black{0, 0, 0};
  EXPECT_EQ(at(-1.8f, 0.0f), red);
  EXPECT_EQ(at(0.0f, 0.0f), green) << "a sphere took the colour of the one drawn before it";
  EXPECT_EQ(at(3.0f, 0.0f), red);
  EXPECT_EQ(at(4.0f, 0.0f), black) << "the small sphere has the size of a large one";
}

// A deleted texture's name, bound again, is a new texture with GL's defaults.
TEST_P(SolidsAndTextures, AParameterReachesANewTextureUnderAnOldName) {
  GLuint texture = 0;
  GLint wrap = 0;
  glGenTextures(1, &texture);
  gfxBindTexture(GL_TEXTURE_2D, texture);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
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
