#include "water/reflection_cover.h"

#include <algorithm>
#include <cmath>
#include <limits>

void ReflectionCover::clear() { *this = ReflectionCover{}; }

void ReflectionCover::coverAll() {
  xMin = yMin = -1.0f;
  xMax = yMax = 1.0f;
}

void ReflectionCover::addBox(const float m[16], const std::array<float, 3>& low, const std::array<float, 3>& high) {
  if (!(low[0] <= high[0] && low[1] <= high[1] && low[2] <= high[2])) return;  // no box: nothing drawn
  // What GL can draw of the box lies in front of the eye (GL clips at its near plane, further out
  // than kNearW). Seen from there, its outline is the hull of the corners in front and of the
  // points where the box's edges cross w = kNearW.
  constexpr float kNearW = 1e-3f;
  std::array<std::array<float, 3>, 8> clip;  // x, y, w of each corner
  for (int corner = 0; corner < 8; ++corner) {
    const float x = (corner & 1) ? high[0] : low[0];
    const float y = (corner & 2) ? high[1] : low[1];
    const float z = (corner & 4) ? high[2] : low[2];
    clip[corner] = {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
                    m[3] * x + m[7] * y + m[11] * z + m[15]};
  }
  float left = std::numeric_limits<float>::infinity(), bottom = left, right = -left, top = -left;
  auto include = [&](float x, float y, float w) {
    left = std::min(left, x / w);
    right = std::max(right, x / w);
    bottom = std::min(bottom, y / w);
    top = std::max(top, y / w);
  };
  for (int corner = 0; corner < 8; ++corner) {
    const auto& a = clip[corner];
    if (a[2] >= kNearW) include(a[0], a[1], a[2]);
    // Edges run between corners one bit apart; each is visited once, from its lower corner.
    for (int bit = 1; bit < 8; bit <<= 1) {
      if (corner & bit) continue;
      const auto& b = clip[corner | bit];
      if ((a[2] < kNearW) == (b[2] < kNearW)) continue;
      const float t = (kNearW - a[2]) / (b[2] - a[2]);
      include(a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), kNearW);
    }
  }
  if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(bottom) || !std::isfinite(top)) {
    // Entirely behind the eye draws nothing; a matrix that overflows is taken to show everything.
    if (!(left > right)) coverAll();
    return;
  }
  if (right < -1.0f || left > 1.0f || top < -1.0f || bottom > 1.0f) return;  // beside the image
  xMin = std::min(xMin, std::max(left, -1.0f));
  xMax = std::max(xMax, std::min(right, 1.0f));
  yMin = std::min(yMin, std::max(bottom, -1.0f));
  yMax = std::max(yMax, std::min(top, 1.0f));
}

namespace {

// Window pixel edge for a normalised device coordinate, rounded outward by `round`.
int pixelEdge(float ndc, int size, double (*round)(double)) {
  const double edge = round((static_cast<double>(ndc) + 1.0) * 0.5 * size);
  return static_cast<int>(std::clamp(edge, 0.0, static_cast<double>(size)));
}

}  // namespace

SeaSplit splitSea(const ReflectionCover& cover, float reach, int windowWidth, int windowHeight) {
  SeaSplit split;
  const int width = std::max(windowWidth, 0), height = std::max(windowHeight, 0);
  if (cover.empty()) {
    split.open[0] = {0, 0, width, height};
    return split;
  }
  // The sea at screen x reads the image at -x.
  const int left = pixelEdge(-cover.xMax - reach, width, std::floor);
  const int right = pixelEdge(-cover.xMin + reach, width, std::ceil);
  const int bottom = pixelEdge(cover.yMin - reach, height, std::floor);
  const int top = pixelEdge(cover.yMax + reach, height, std::ceil);
  split.mirrored = {left, bottom, right - left, top - bottom};
  split.open[0] = {0, 0, width, bottom};
  split.open[1] = {0, top, width, height - top};
  split.open[2] = {0, bottom, left, top - bottom};
  split.open[3] = {right, bottom, width - right, top - bottom};
  return split;
}
