// Off-screen 512 x 512 target of the reflection pass, so the reflection image is whole whatever the
// window's size. Falls back to the window's back buffer where framebuffer objects are missing.
#pragma once

constexpr int kReflectionSize = 512;  // pixels, both directions

// Creates the target; needs a current GL context. Returns false when the back buffer must be used.
bool createReflectionTarget();
// Binds the target for drawing and reading (or the back buffer if there is none).
void bindReflectionTarget();
// Back to the main pass's framebuffer.
void unbindReflectionTarget();
// Where the main pass draws: 0 the window (the start value), or the framebuffer of a recording.
void setMainFramebuffer(unsigned int framebuffer);
void destroyReflectionTarget();
