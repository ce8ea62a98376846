#include "water/reflection_cover.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

void ReflectionCover::coverAll() { boxes_.assign(1, Box{-1.0f, -1.0f, 1.0f, 1.0f}); }

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
  boxes_.push_back({std::max(left, -1.0f), std::max(bottom, -1.0f), std::min(right, 1.0f), std::min(top, 1.0f)});
}

namespace {

// Window pixel edge for a normalised device coordinate, rounded outward by `round`.
int pixelEdge(float ndc, int size, double (*round)(double)) {
  const double edge = round((static_cast<double>(ndc) + 1.0) * 0.5 * size);
  return static_cast<int>(std::clamp(edge, 0.0, static_cast<double>(size)));
}

// Corners as x0 <= x1, y0 <= y1 while joining; 64-bit areas for any window.
struct Span {
  int x0, y0, x1, y1;
  int64_t area() const { return static_cast<int64_t>(x1 - x0) * (y1 - y0); }
};

Span joined(const Span& a, const Span& b) {
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool overlap(const Span& a, const Span& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }

// Joins overlapping spans until none overlap; a joined span may reach any other, so each join
// starts the search again.
void joinOverlaps(std::vector<Span>& spans) {
  bool joinedAny = true;
  while (joinedAny) {
    joinedAny = false;
    for (size_t i = 0; i < spans.size() && !joinedAny; ++i) {
      for (size_t j = i + 1; j < spans.size() && !joinedAny; ++j) {
        if (!overlap(spans[i], spans[j])) continue;
        spans[i] = joined(spans[i], spans[j]);
        spans.erase(spans.begin() + static_cast<std::ptrdiff_t>(j));
        joinedAny = true;
      }
    }
  }
}

}  // namespace

std::vector<PixelRect> mirroredRects(const ReflectionCover& cover, float reach, int windowWidth, int windowHeight) {
  const int width = std::max(windowWidth, 0), height = std::max(windowHeight, 0);
  std::vector<Span> spans;
  for (const ReflectionCover::Box& box : cover.boxes()) {
    // The sea at screen x reads the image at -x.
    const Span span{pixelEdge(-box.xMax - reach, width, std::floor), pixelEdge(box.yMin - reach, height, std::floor),
                    pixelEdge(-box.xMin + reach, width, std::ceil), pixelEdge(box.yMax + reach, height, std::ceil)};
    if (span.area() > 0) spans.push_back(span);
  }
  joinOverlaps(spans);
  while (spans.size() > static_cast<size_t>(kMaxMirroredRects)) {
    size_t bestI = 0, bestJ = 1;
    int64_t bestGrowth = INT64_MAX;
    for (size_t i = 0; i < spans.size(); ++i) {
      for (size_t j = i + 1; j < spans.size(); ++j) {
        const int64_t growth = joined(spans[i], spans[j]).area() - spans[i].area() - spans[j].area();
        if (growth < bestGrowth) bestGrowth = growth, bestI = i, bestJ = j;
      }
    }
    spans[bestI] = joined(spans[bestI], spans[bestJ]);
    spans.erase(spans.begin() + static_cast<std::ptrdiff_t>(bestJ));
    joinOverlaps(spans);
  }
  std::vector<PixelRect> rects;
  for (const Span& s : spans) rects.push_back({s.x0, s.y0, s.x1 - s.x0, s.y1 - s.y0});
  return rects;
}

namespace {

// A piece's corners on the window: their box, and whether some lie behind the eye.
struct PieceBox {
  float xMin, xMax, yMin, yMax;
  bool partlyBehind;
};

// The pieces for which keep(PieceBox) holds, in the strips' order; a piece wholly behind the eye is
// never kept (GL's clipping leaves nothing of it).
template <typename Keep>
std::vector<GridPiece> selectPieces(const std::vector<float>& window, int columns, int rows, int cellsPerPiece,
                                    Keep keep) {
  std::vector<GridPiece> pieces;
  if (cellsPerPiece < 1 || columns < 2 || rows < 2 || window.size() < 2 * static_cast<size_t>(columns) * rows) {
    return pieces;
  }
  for (int strip = 0; strip + 1 < rows; ++strip) {
    for (int first = 0; first + 1 < columns; first += cellsPerPiece) {
      const int last = std::min(first + cellsPerPiece, columns - 1);  // the piece's last column
      PieceBox box{INFINITY, -INFINITY, INFINITY, -INFINITY, false};
      int behind = 0;
      for (int row = strip; row <= strip + 1; ++row) {
        for (int column = first; column <= last; ++column) {
          const float* v = &window[2 * (static_cast<size_t>(row) * columns + column)];
          if (std::isnan(v[0]) || std::isnan(v[1])) {
            ++behind;
            continue;
          }
          box.xMin = std::min(box.xMin, v[0]), box.xMax = std::max(box.xMax, v[0]);
          box.yMin = std::min(box.yMin, v[1]), box.yMax = std::max(box.yMax, v[1]);
        }
      }
      if (behind == 2 * (last - first + 1)) continue;
      box.partlyBehind = behind > 0;
      if (keep(box)) pieces.push_back({strip, first, last - first});
    }
  }
  return pieces;
}

// Pixels: the GPU's transform differs from projectGrid's in the last bits.
constexpr float kRounding = 1.0f;

bool meets(const PieceBox& box, const PixelRect& rect) {
  return box.xMax >= static_cast<float>(rect.x) - kRounding &&
         box.xMin <= static_cast<float>(rect.x + rect.width) + kRounding &&
         box.yMax >= static_cast<float>(rect.y) - kRounding &&
         box.yMin <= static_cast<float>(rect.y + rect.height) + kRounding;
}

bool within(const PieceBox& box, const PixelRect& rect) {
  return box.xMin >= static_cast<float>(rect.x) + kRounding &&
         box.xMax <= static_cast<float>(rect.x + rect.width) - kRounding &&
         box.yMin >= static_cast<float>(rect.y) + kRounding &&
         box.yMax <= static_cast<float>(rect.y + rect.height) - kRounding;
}

}  // namespace

std::vector<GridPiece> piecesInRect(const std::vector<float>& window, int columns, int rows, const PixelRect& rect,
                                    int cellsPerPiece) {
  return selectPieces(window, columns, rows, cellsPerPiece,
                      [&](const PieceBox& box) { return box.partlyBehind || meets(box, rect); });
}

std::vector<GridPiece> piecesOutside(const std::vector<float>& window, int columns, int rows,
                                     const PixelRect& viewport, const std::vector<PixelRect>& rects,
                                     int cellsPerPiece) {
  return selectPieces(window, columns, rows, cellsPerPiece, [&](const PieceBox& box) {
    return box.partlyBehind ||
           (meets(box, viewport) &&
            std::none_of(rects.begin(), rects.end(), [&](const PixelRect& rect) { return within(box, rect); }));
  });
}
