// Off-screen 512 x 512 target of the reflection pass, so the reflection image is whole whatever the
// window's size. The pass draws straight into the reflection texture, which spares a copy of the
// image every frame. Falls back to the window's back buffer where framebuffer objects are missing.
#pragma once

constexpr int kReflectionSize = 512;  // pixels, both directions

// A framebuffer object with colour and depth renderbuffers of one size (GL names).
struct FramebufferTarget {
  unsigned int framebuffer = 0;
  unsigned int colour = 0;
  unsigned int depth = 0;
};
// Creates `target` at width x height with the colour format `colourFormat` (a GL internal format).
// False, with nothing left behind, where framebuffer objects are missing or the driver refuses them.
bool createFramebufferTarget(FramebufferTarget& target, int width, int height, unsigned int colourFormat);
void destroyFramebufferTarget(FramebufferTarget& target);

// Creates the target; needs a current GL context. Returns false when the back buffer must be used.
bool createReflectionTarget();
// Binds the target for drawing and reading with `texture` as its colour image, giving the texture
// 512 x 512 RGBA storage when it is first attached, if it has another size or format. True when the
// pass then draws into the texture itself; false when it draws into the back buffer (or the target's own
// colour buffer, if the texture cannot be drawn into) and the picture must be copied afterwards.
bool bindReflectionTarget(unsigned int texture);
// Back to the main pass's framebuffer.
void unbindReflectionTarget();
// Where the main pass draws: 0 the window (the start value), or the framebuffer of a recording.
void setMainFramebuffer(unsigned int framebuffer);
void destroyReflectionTarget();
