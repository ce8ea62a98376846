// Off-screen targets: framebuffer objects with colour and depth renderbuffers, and the reflection
// pass's target with the reflection texture attached.
#include "app/reflection_target.h"

#include "drawing/gfx.h"
#include "drawing/gl.h"

namespace {
FramebufferTarget g_target;    // its colour buffer: the image until a texture is attached, and the fallback
GLuint g_mainFramebuffer = 0;
GLuint g_attachedTexture = 0;  // the texture attached as the colour image, 0 for none
bool g_textureRefused = false; // an attached texture left the target incomplete: copy instead

// The texture gets RGBA storage of the target's size (the sea reads where objects are from its
// alpha); its image is replaced every frame anyway.
void giveTargetSize(GLuint texture) {
  gfxBindTexture(GL_TEXTURE_2D, texture);
  int width = 0, height = 0, format = 0;
  gfxTextureSize(&width, &height, &format);
  if (width != kReflectionSize || height != kReflectionSize || format != GL_RGBA8) {
    gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kReflectionSize, kReflectionSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  }
}

}  // namespace

bool createFramebufferTarget(FramebufferTarget& target, int width, int height, unsigned int colourFormat) {
  if (!gfxHasFramebufferObjects()) return false;
  glGenFramebuffers(1, &target.framebuffer);
  glGenRenderbuffers(1, &target.colour);
  glGenRenderbuffers(1, &target.depth);
  glBindRenderbuffer(GL_RENDERBUFFER, target.colour);
  gfxRenderbufferStorage(colourFormat, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, target.depth);
  gfxRenderbufferStorage(GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (!complete) destroyFramebufferTarget(target);
  return complete;
}

void destroyFramebufferTarget(FramebufferTarget& target) {
  if (target.framebuffer != 0) glDeleteFramebuffers(1, &target.framebuffer);
  if (target.colour != 0) glDeleteRenderbuffers(1, &target.colour);
  if (target.depth != 0) glDeleteRenderbuffers(1, &target.depth);
  target = FramebufferTarget{};
}

bool createReflectionTarget() {
  return createFramebufferTarget(g_target, kReflectionSize, kReflectionSize, GL_RGBA8);
}

bool bindReflectionTarget(unsigned int texture) {
  if (g_target.framebuffer == 0) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, g_target.framebuffer);
  if (texture == 0 || g_textureRefused) return false;
  if (texture != g_attachedTexture) {
    // Sized once, when attached: the frame pass replaces the image and nothing else redefines it.
    giveTargetSize(texture);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    g_attachedTexture = texture;
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, g_target.colour);
      g_attachedTexture = 0;
      g_textureRefused = true;
      return false;
    }
  }
  return true;
}

void unbindReflectionTarget() {
  if (g_target.framebuffer != 0) glBindFramebuffer(GL_FRAMEBUFFER, g_mainFramebuffer);
}

void setMainFramebuffer(unsigned int framebuffer) {
  g_mainFramebuffer = framebuffer;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void destroyReflectionTarget() {
  destroyFramebufferTarget(g_target);
  g_attachedTexture = 0;
  g_textureRefused = false;
}
