// GL test support: the hidden freeglut window and off-screen render targets.
#include "gl_context.h"

#include <cstdlib>  // Required for: std::getenv

#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "drawing/matrix4.h"

bool ensureGlContext() {
  static bool created = false;
  static int window = 0;
  if (created) {
    glutSetWindow(window);
    return true;
  }
  if (std::getenv("DISPLAY") == nullptr) return false;
  static char name[] = "gl_tests";
  static char* argv[] = {name, nullptr};
  int argc = 1;
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(64, 64);
  window = glutCreateWindow(name);
  glutHideWindow();
  created = true;
  return true;
}

OffscreenTarget::OffscreenTarget(int width, int height) : width_(width), height_(height) {
  glGenFramebuffers(1, &framebuffer_);
  glGenRenderbuffers(1, &colorBuffer_);
  glGenRenderbuffers(1, &depthBuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
  complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

OffscreenTarget::~OffscreenTarget() {
  glDeleteFramebuffers(1, &framebuffer_);
  glDeleteRenderbuffers(1, &colorBuffer_);
  glDeleteRenderbuffers(1, &depthBuffer_);
}

void OffscreenTarget::bind() const {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glViewport(0, 0, width_, height_);
}

void OffscreenTarget::unbind() const { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

std::vector<uint8_t> OffscreenTarget::readPixels() const {
  std::vector<uint8_t> pixels(static_cast<size_t>(width_) * height_ * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);  // rows are tightly packed RGB
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return pixels;
}

Rgb OffscreenTarget::pixelAt(const std::vector<uint8_t>& pixels, int x, int y) const {
  const size_t at = (static_cast<size_t>(y) * width_ + x) * 3;
  return {pixels[at], pixels[at + 1], pixels[at + 2]};
}

std::string drawingPathName(const ::testing::TestParamInfo<GraphicsPath>& info) {
  return info.param == GraphicsPath::kEs2 ? "Es2" : "Designed";
}

std::array<int, 2> pixelOf(double x, double y, double z, int width, int height) {
  Matrix4 modelview{}, projection{};
  gfxGetMatrix(GL_MODELVIEW_MATRIX, modelview.data());
  gfxGetMatrix(GL_PROJECTION_MATRIX, projection.data());
  const std::array<float, 4> clip = transform(multiply(projection, modelview), {static_cast<float>(x),
                                              static_cast<float>(y), static_cast<float>(z), 1.0f});
  return {static_cast<int>((clip[0] / clip[3] + 1.0f) * 0.5f * width),
          static_cast<int>((clip[1] / clip[3] + 1.0f) * 0.5f * height)};
}
