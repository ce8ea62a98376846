// Reflection target: a framebuffer object with colour and depth renderbuffers.
#include "app/reflection_target.h"

#include "platform/gl.h"

namespace {
GLuint g_framebuffer = 0;
GLuint g_colourBuffer = 0;     // the colour image until a texture is attached, and the fallback
GLuint g_depthBuffer = 0;
GLuint g_mainFramebuffer = 0;
GLuint g_attachedTexture = 0;  // the texture attached as the colour image, 0 for none
bool g_textureRefused = false; // an attached texture left the target incomplete: copy instead

// The texture gets storage of the target's size; its image is replaced every frame anyway.
void giveTargetSize(GLuint texture) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint width = 0, height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  if (width != kReflectionSize || height != kReflectionSize) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kReflectionSize, kReflectionSize, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  }
}

}  // namespace

bool createReflectionTarget() {
  if (epoxy_gl_version() < 30 && !epoxy_has_gl_extension("GL_ARB_framebuffer_object")) return false;
  glGenFramebuffers(1, &g_framebuffer);
  glGenRenderbuffers(1, &g_colourBuffer);
  glGenRenderbuffers(1, &g_depthBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, g_colourBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, kReflectionSize, kReflectionSize);
  glBindRenderbuffer(GL_RENDERBUFFER, g_depthBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kReflectionSize, kReflectionSize);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, g_framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, g_colourBuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, g_depthBuffer);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (!complete) destroyReflectionTarget();
  return complete;
}

bool bindReflectionTarget(unsigned int texture) {
  if (g_framebuffer == 0) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, g_framebuffer);
  if (texture == 0 || g_textureRefused) return false;
  giveTargetSize(texture);  // also catches an image replaced since the last frame
  if (texture != g_attachedTexture) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    g_attachedTexture = texture;
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, g_colourBuffer);
      g_attachedTexture = 0;
      g_textureRefused = true;
      return false;
    }
  }
  return true;
}

void unbindReflectionTarget() {
  if (g_framebuffer != 0) glBindFramebuffer(GL_FRAMEBUFFER, g_mainFramebuffer);
}

void setMainFramebuffer(unsigned int framebuffer) {
  g_mainFramebuffer = framebuffer;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void destroyReflectionTarget() {
  if (g_framebuffer != 0) glDeleteFramebuffers(1, &g_framebuffer);
  if (g_colourBuffer != 0) glDeleteRenderbuffers(1, &g_colourBuffer);
  if (g_depthBuffer != 0) glDeleteRenderbuffers(1, &g_depthBuffer);
  g_framebuffer = g_colourBuffer = g_depthBuffer = g_attachedTexture = 0;
  g_textureRefused = false;
}
