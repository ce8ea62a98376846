// Screen texts as drawn, off-screen on black: a title from the glyph atlas at 1080 pixels high is the
// 600-pixel one 1.8 times over, where the design places it, on both drawing paths; at 600 pixels the
// atlas stands in for the bitmap font (its widths within 5 %); without an atlas the bitmap font draws
// and the loader says why. Runs in <build>/bin.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "../test_support.h"
#include "app/globals.h"
#include "app/scene.h"
#include "app/text_overlay.h"
#include "assets/glyph_atlas.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "gl_context.h"

namespace {

struct Box {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;  // pixels from the top left, inclusive
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
};

// The text green's pixels at half coverage or more, in window coordinates (y downwards).
Box greenBox(const OffscreenTarget& target, const std::vector<uint8_t>& pixels, int width, int height) {
  Box box;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = target.pixelAt(pixels, x, height - 1 - y);
      if (c[1] < 90 || c[0] > 40 || c[2] > 40) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

class ScreenText : public GlPathTest {
 protected:
  void SetUp() override {
    GlPathTest::SetUp();
    setUpGlState();
  }
  void TearDown() override {
    stopScreenText();
    g_windowWidth = g_windowHeight = 0;
    GlPathTest::TearDown();
  }

  // Start-up of the texts in `directory` with `mode`; returns what it said on standard error.
  std::string start(TextMode mode, const std::string& directory = ".") {
    return test::capturedIn(directory, [&] { startScreenText(mode); }).err;
  }

  // `text` drawn by drawText in a picture of width x height on black; the box of its green.
  Box drawn(const char* text, int x, int y, int width, int height) {
    OffscreenTarget target(width, height);
    EXPECT_TRUE(target.complete());
    g_windowWidth = width;
    g_windowHeight = height;
    target.bind();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawText(text, x, y, Font::Helvetica18);
    const std::vector<uint8_t> pixels = target.readPixels();
    target.unbind();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return greenBox(target, pixels, width, height);
  }
};

TEST_P(ScreenText, ATitleAt1080PixelsIsTheOneAt600ScaledAndPlacedAsDesigned) {
  // "KARVOSTA" stands 85 designed pixels left of the centre; its baseline here at mid-height.
  ASSERT_EQ(start(TextMode::Atlas), "");
  const Box at600 = drawn("KARVOSTA", 400 - 85, 300, 800, 600);
  ASSERT_EQ(start(TextMode::Auto), "");
  const Box at1080 = drawn("KARVOSTA", 960 - static_cast<int>(85 * 1.8f), 540, 1920, 1080);
  ASSERT_GT(at600.width(), 0);
  ASSERT_GT(at1080.width(), 0);
  EXPECT_NEAR(at1080.width(), 1.8 * at600.width(), 0.18 * at600.width());
  EXPECT_NEAR(at1080.height(), 1.8 * at600.height(), 0.18 * at600.height());
  // The line begins at its designed place (the K's side bearing aside) and stands on its baseline.
  EXPECT_NEAR(at1080.left, 960 - 85 * 1.8, 0.1 * kHelvetica18Em * 1.8);
  EXPECT_NEAR(at1080.bottom, 539, 1.5);
  // Capitals of Helvetica 18 are 13 pixels high: about the same from the atlas in the designed window.
  EXPECT_NEAR(at600.height(), 13, 1.5);
  EXPECT_NEAR(at600.left, 400 - 85, 3);
}

TEST_P(ScreenText, AtTheDesignedSizeTheAtlasTakesTheBitmapFontsRoom) {
  if (!gfxHasBitmapFonts()) GTEST_SKIP() << "no bitmap fonts to compare with on this path";
  ASSERT_EQ(start(TextMode::Bitmap), "");
  const Box bitmap = drawn("KARVOSTA", 315, 300, 800, 600);
  ASSERT_EQ(start(TextMode::Atlas), "");
  const Box atlas = drawn("KARVOSTA", 315, 300, 800, 600);
  EXPECT_NEAR(atlas.width(), bitmap.width(), 0.05 * bitmap.width());
  EXPECT_NEAR(atlas.bottom, bitmap.bottom, 1);
  EXPECT_NEAR(atlas.left, bitmap.left, 2);

  // Every designed text measures within 5 % of the bitmap font, so the designed offsets still centre it.
  GlyphAtlas metrics;
  ASSERT_TRUE(loadGlyphAtlas("../data/fonts/sans.txt", metrics));
  for (const char* text : {"Lumbrix presents", "KARVOSTA", "erhaeltlich ab Juli 2006", "(c) by Ardwyn, Pellomar",
                           "frames/sec: 60", "Wireframe-Modus  ON", "Shader - Bump Map OFF",
                           "View Frustum Culling  OFF", "Wasser - TRIANGLE-STRIP", "3D-Objekte - glBegin/glEnd",
                           "Effekte OFF"}) {
    const int bitmapWidth = glutBitmapLength(GLUT_BITMAP_HELVETICA_18, reinterpret_cast<const unsigned char*>(text));
    EXPECT_NEAR(textWidth(metrics, text, kHelvetica18Em), bitmapWidth, 0.05 * bitmapWidth) << text;
  }
}

TEST_P(ScreenText, WithoutAnAtlasTheBitmapFontDrawsAndTheLoaderSaysWhy) {
  if (!gfxHasBitmapFonts()) GTEST_SKIP() << "no bitmap fonts to fall back to on this path";
  const test::ScratchDir tree;
  std::filesystem::create_directory(tree.path() + "/bin");
  const std::string said = start(TextMode::Auto, tree.path() + "/bin");
  EXPECT_EQ(said, "Error: Failed to open font file ../data/fonts/sans.txt.\n");
  const Box bitmap = drawn("KARVOSTA", 960 - 85, 540, 1920, 1080);
  EXPECT_FALSE(screenTextRule().atlas);
  EXPECT_NEAR(bitmap.height(), 13, 1.5);  // the designed 18-pixel font, unscaled
  EXPECT_NEAR(bitmap.left, 960 - 85, 2);
}

INSTANTIATE_DRAWING_PATHS(ScreenText);

}  // namespace
