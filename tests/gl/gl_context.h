// GL test support: one hidden freeglut window, made on first use, gives every GL test its context;
// off-screen render targets hold the pictures the tests read back.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

// False when there is no X display to open the window on (run the tests under xvfb-run); freeglut
// would otherwise end the process.
bool ensureGlContext();

class GlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ensureGlContext()) << "no X display: run the GL tests under xvfb-run"; }
};

using Rgb = std::array<uint8_t, 3>;

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
