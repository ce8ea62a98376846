#include "water/grid_spans.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The eye's distance (clip w) below which a corner's window position is not trusted.
constexpr float kNearW = 1e-3f;
// Window pixels added around each quad's bounds, far more than the rounding between this projection
// and GL's own.
constexpr float kSlack = 1.0f;

}  // namespace

void GridProjection::project(const float m[16], const std::vector<float>& positions, int columns, int rows,
                             int windowWidth, int windowHeight) {
  quadsPerStrip_ = std::max(columns - 1, 0);
  strips_ = std::max(rows - 1, 0);
  const size_t vertexCount = static_cast<size_t>(std::max(columns, 0)) * static_cast<size_t>(std::max(rows, 0));
  if (positions.size() < 3 * vertexCount) {
    quadsPerStrip_ = strips_ = 0;  // no grid to speak of: nothing is sent
    quads_.clear();
    return;
  }

  // Window position of each vertex; NaN marks one too near or behind the eye (and one whose
  // position is not a number: no bounds can be trusted for it either).
  constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> windowX(vertexCount), windowY(vertexCount);
  const float halfWidth = 0.5f * static_cast<float>(windowWidth);
  const float halfHeight = 0.5f * static_cast<float>(windowHeight);
  for (size_t v = 0; v < vertexCount; ++v) {
    const float x = positions[3 * v], y = positions[3 * v + 1], z = positions[3 * v + 2];
    const float w = m[3] * x + m[7] * y + m[11] * z + m[15];
    if (!(w >= kNearW)) {
      windowX[v] = windowY[v] = kUnknown;
      continue;
    }
    windowX[v] = ((m[0] * x + m[4] * y + m[8] * z + m[12]) / w + 1.0f) * halfWidth;
    windowY[v] = ((m[1] * x + m[5] * y + m[9] * z + m[13]) / w + 1.0f) * halfHeight;
  }

  // With every corner in front of the eye a quad's picture lies inside its corners' bounds.
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  quads_.resize(static_cast<size_t>(strips_) * quadsPerStrip_);
  for (int i = 0; i < strips_; ++i) {
    for (int j = 0; j < quadsPerStrip_; ++j) {
      const size_t corners[4] = {static_cast<size_t>(i) * columns + j, static_cast<size_t>(i) * columns + j + 1,
                                 static_cast<size_t>(i + 1) * columns + j, static_cast<size_t>(i + 1) * columns + j + 1};
      Bounds bounds{kInfinity, kInfinity, -kInfinity, -kInfinity};
      for (size_t corner : corners) {
        if (std::isnan(windowX[corner]) || std::isnan(windowY[corner])) {
          bounds = Bounds{-kInfinity, -kInfinity, kInfinity, kInfinity};
          break;
        }
        bounds.left = std::min(bounds.left, windowX[corner]);
        bounds.right = std::max(bounds.right, windowX[corner]);
        bounds.bottom = std::min(bounds.bottom, windowY[corner]);
        bounds.top = std::max(bounds.top, windowY[corner]);
      }
      quads_[static_cast<size_t>(i) * quadsPerStrip_ + j] = bounds;
    }
  }
}

std::vector<StripSpan> GridProjection::spansTouching(const PixelRect& rect) const {
  std::vector<StripSpan> spans;
  if (rect.width <= 0 || rect.height <= 0) return spans;
  const float left = static_cast<float>(rect.x) - kSlack;
  const float right = static_cast<float>(rect.x + rect.width) + kSlack;
  const float bottom = static_cast<float>(rect.y) - kSlack;
  const float top = static_cast<float>(rect.y + rect.height) + kSlack;
  for (int i = 0; i < strips_; ++i) {
    const Bounds* quad = &quads_[static_cast<size_t>(i) * quadsPerStrip_];
    int first = -1, last = -1;
    for (int j = 0; j < quadsPerStrip_; ++j) {
      if (quad[j].right < left || quad[j].left > right || quad[j].top < bottom || quad[j].bottom > top) continue;
      if (first < 0) first = j;
      last = j;
    }
    if (first >= 0) spans.push_back({i, first, last});
  }
  return spans;
}
