// GL test support: one hidden freeglut window, made on first use, gives every GL test its context;
// off-screen render targets hold the pictures the tests read back.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "drawing/gfx.h"

// False when there is no X display to open the window on (run the tests under xvfb-run); freeglut
// would otherwise end the process.
bool ensureGlContext();

class GlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ensureGlContext()) << "no X display: run the GL tests under xvfb-run"; }
};

// A test that runs once per drawing backend (INSTANTIATE_DRAWING_PATHS): the designed one and GL ES
// 2.0's, which must give the same pictures. The designed path is back after each case.
class GlPathTest : public GlTest, public ::testing::WithParamInterface<GraphicsPath> {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    selectGraphicsPath(GetParam());
  }
  void TearDown() override { selectGraphicsPath(GraphicsPath::kDesigned); }
};
std::string drawingPathName(const ::testing::TestParamInfo<GraphicsPath>& info);
#define INSTANTIATE_DRAWING_PATHS(suite)                                                                     \
  INSTANTIATE_TEST_SUITE_P(Paths, suite, ::testing::Values(GraphicsPath::kDesigned, GraphicsPath::kEs2), \
                           drawingPathName)

using Rgb = std::array<uint8_t, 3>;

// The pixel (x, y from the bottom left) of a width x height view showing a world point, through the
// drawing vocabulary's current projection and modelview matrices.
std::array<int, 2> pixelOf(double x, double y, double z, int width, int height);

// Framebuffer object with an RGBA8 colour and a 24-bit depth renderbuffer.
class OffscreenTarget {
 public:
  OffscreenTarget(int width, int height);
  ~OffscreenTarget();
  OffscreenTarget(const OffscreenTarget&) = delete;
  OffscreenTarget& operator=(const OffscreenTarget&) = delete;

  void bind() const;  // drawing goes to the target, the viewport covers it
  void unbind() const;
  bool complete() const { return complete_; }
  // The colour buffer as RGB bytes, bottom row first; pixelAt reads one, (0, 0) bottom left.
  std::vector<uint8_t> readPixels() const;
  Rgb pixelAt(const std::vector<uint8_t>& pixels, int x, int y) const;

 private:
  int width_, height_;
  unsigned int framebuffer_ = 0, colorBuffer_ = 0, depthBuffer_ = 0;
  bool complete_ = false;
};
