// GL test support: one hidden freeglut window, made on first use, gives every GL test its context;
// off-screen render targets hold the pictures the tests read back.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

// Creates the hidden window and makes its context current on first use. False when there is no X
// display to open it on (run the tests under xvfb-run); freeglut would otherwise exit the process.
bool ensureGlContext();

// Fixture for GL tests: fails the test at once when no context can be had.
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ensureGlContext()) << "no X display: run the GL tests under xvfb-run";
  }
};

using Rgb = std::array<uint8_t, 3>;

// Framebuffer object with an RGBA8 colour and a 24-bit depth renderbuffer. Needs the context.
class OffscreenTarget {
 public:
  OffscreenTarget(int width, int height);
  ~OffscreenTarget();
  OffscreenTarget(const OffscreenTarget&) = delete;
  OffscreenTarget& operator=(const OffscreenTarget&) = delete;

  // Directs drawing into the target and sets the viewport to cover it.
  void bind() const;
  // Directs drawing back to the window.
  void unbind() const;
  // Complete and usable (checked after creation).
  bool complete() const { return complete_; }

  // The colour buffer as RGB bytes, rows bottom first, width * height * 3 bytes.
  std::vector<uint8_t> readPixels() const;
  // One pixel of a readPixels() result; (0, 0) is the bottom-left corner.
  Rgb pixelAt(const std::vector<uint8_t>& pixels, int x, int y) const;

  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_;
  int height_;
  unsigned int framebuffer_ = 0;
  unsigned int colorBuffer_ = 0;
  unsigned int depthBuffer_ = 0;
  bool complete_ = false;
};
