// Off-screen 512 x 512 target of the reflection pass, so the reflection image is whole whatever the
// window's size. The pass draws straight into the reflection texture, which spares a copy of the
// image every frame. Falls back to the window's back buffer where framebuffer objects are missing.
#pragma once

constexpr int kReflectionSize = 512;  // pixels, both directions

// Creates the target; needs a current GL context. Returns false when the back buffer must be used.
bool createReflectionTarget();
// Binds the target for drawing and reading with `texture` as its colour image, giving the texture
// 512 x 512 RGB storage first if it has another size. True when the pass then draws into the
// texture itself; false when it draws into the back buffer (or the target's own colour buffer, if
// the texture cannot be drawn into) and the picture must be copied into the texture afterwards.
bool bindReflectionTarget(unsigned int texture);
// Back to the main pass's framebuffer.
void unbindReflectionTarget();
// Where the main pass draws: 0 the window (the start value), or the framebuffer of a recording.
void setMainFramebuffer(unsigned int framebuffer);
void destroyReflectionTarget();
