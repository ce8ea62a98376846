// Off-screen 512 x 512 target of the reflection pass, so the reflection image is whole whatever the
// window's size. Falls back to the window's back buffer where framebuffer objects are missing.
#pragma once

constexpr int kReflectionSize = 512;  // pixels, both directions

// Creates the target; needs a current GL context. Returns false when the back buffer must be used.
bool createReflectionTarget();
// Binds the target for drawing and reading (or the back buffer if there is none).
void bindReflectionTarget();
// Back to the window's framebuffer.
void unbindReflectionTarget();
void destroyReflectionTarget();
