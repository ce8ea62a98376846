// Where the reflection image has something in it. The image shows the mirrored objects on black,
// and black means "nothing mirrored here": the sea there is its own lit colour and its glints. So
// the sea reads the image only inside the rectangle the objects cover, reached out by the ripples,
// and shades the rest of the screen with a program that skips that texture read (with a software
// renderer, the read is a third of the sea's cost). GL-free.
#pragma once
#include <array>

// A rectangle in the reflection image's normalised device coordinates (-1..1 on both axes).
class ReflectionCover {
 public:
  // Nothing covered yet.
  void clear();
  // Everything covered: the sea reads the image at every pixel.
  void coverAll();
  // Adds the box from `low` to `high` (object space) seen through `clipFromObject`, GL's column-major
  // projection x modelview. A box reaching behind the eye covers everything: its outline on the
  // image is then unbounded. A box with low above high on any axis is no box and adds nothing.
  void addBox(const float clipFromObject[16], const std::array<float, 3>& low, const std::array<float, 3>& high);

  bool empty() const { return xMin > xMax || yMin > yMax; }
  float xMin = 1.0f, yMin = 1.0f, xMax = -1.0f, yMax = -1.0f;  // empty; clamped to -1..1 when set
};

// A rectangle of window pixels in glScissor's terms; empty when width or height is 0.
struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// The window split for the sea's two programs: `mirrored` is where a pixel may see a mirrored object
// (the cover on screen, mirrored left to right as the sea reads the image, widened by `reach` in
// normalised device units on every side) and `open` up to four rectangles that tile the rest. All
// five together tile the window exactly, without overlap.
struct SeaSplit {
  PixelRect mirrored;
  std::array<PixelRect, 4> open;
};
SeaSplit splitSea(const ReflectionCover& cover, float reach, int windowWidth, int windowHeight);
