// Which stretch of each of the sea's strips can reach a rectangle of window pixels. The sea is drawn
// in several parts (the mirrored rectangles, then the rest), and each part that sends the whole grid
// pays the grid's vertex, clipping and set-up work again; a part sends only the quads that can show
// in it. GL-free.
#pragma once
#include <cstdint>
#include <vector>

#include "water/reflection_cover.h"

// Quads firstQuad..lastQuad of strip `strip`: the strip's indices from 2 * firstQuad on, for
// 2 * (lastQuad - firstQuad + 2) indices. Quad j of strip i has the grid's vertices (column j and
// j + 1) of rows i and i + 1.
struct StripSpan {
  int32_t strip;
  int32_t firstQuad;
  int32_t lastQuad;
};

class GridProjection {
 public:
  // Projects the grid's vertices (x, y, z each, row by row, columns x rows) through clipFromWorld
  // (GL's column-major projection x modelview) into the pixels of a window of the given size.
  void project(const float clipFromWorld[16], const std::vector<float>& positions, int columns, int rows,
               int windowWidth, int windowHeight);

  // For every strip with a quad that may cover a pixel of `rect`, the run from its first such quad
  // to its last. Conservative: a quad with a corner at or behind the eye is always counted, since
  // GL's clipping can throw what is left of it anywhere on the window.
  std::vector<StripSpan> spansTouching(const PixelRect& rect) const;

 private:
  struct Bounds {
    float left, bottom, right, top;  // window pixels
  };
  int quadsPerStrip_ = 0;
  int strips_ = 0;
  std::vector<Bounds> quads_;  // strip by strip
};
