// GL benchmarks' context: a hidden freeglut window for its GL context, and an off-screen colour and
// depth target drawn into instead of the window. Needs an X display (run under xvfb-run).
#pragma once
#include <cstdio>
#include <cstdlib>

#include "drawing/gl.h"

// Opens the hidden window (once per process) and makes its context current. False without an X
// display, where freeglut would end the process.
inline bool openHiddenContext(const char* name) {
  if (std::getenv("DISPLAY") == nullptr) return false;
  static char title[64];
  static char* argv[] = {title, nullptr};
  int argc = 1;
  std::snprintf(title, sizeof title, "%s", name);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(64, 64);
  glutCreateWindow(title);
  glutHideWindow();
  return true;
}

// A width x height RGBA8 and 24-bit depth framebuffer, bound, with the viewport on it.
inline GLuint bindOffscreenTarget(int width, int height) {
  GLuint framebuffer = 0, buffers[2];
  glGenFramebuffers(1, &framebuffer);
  glGenRenderbuffers(2, buffers);
  glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
  glViewport(0, 0, width, height);
  return framebuffer;
}
