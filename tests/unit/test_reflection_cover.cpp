// Where the sea reads its reflection image: the cover of what the reflection pass drew, and the
// window rectangles it gives. No GL.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <algorithm>
#include <utility>
#include <vector>

#include "drawing/matrix4.h"
#include "water/reflection_cover.h"

namespace {

using Vec3 = std::array<float, 3>;

// Every point of the box in front of the near plane (z <= -zNear) that lands on the image lies in
// the cover: the cover never loses a drawn pixel.
TEST(ReflectionCover, HoldsEveryVisiblePointOfTheBoxesAdded) {
  const Matrix4 m = perspectiveMatrix(60.0, 1.3, 1.0, 5000.0);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> coordinate(-300.0f, 300.0f), size(1.0f, 200.0f), unit(0.0f, 1.0f);
  int straddling = 0, seen = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const Vec3 low{coordinate(random), coordinate(random), coordinate(random) - 150.0f};
    const Vec3 high{low[0] + size(random), low[1] + size(random), low[2] + size(random)};
    ReflectionCover cover;
    cover.addBox(m.data(), low, high);
    straddling += low[2] < -1.0f && high[2] > 0.0f;
    for (int sample = 0; sample < 200; ++sample) {
      const Vec3 p{low[0] + unit(random) * (high[0] - low[0]), low[1] + unit(random) * (high[1] - low[1]),
                   low[2] + unit(random) * (high[2] - low[2])};
      if (p[2] > -1.0f) continue;  // GL clips it at the near plane
      const float w = -p[2], x = m[0] * p[0] / w, y = m[5] * p[1] / w;
      if (std::fabs(x) > 1.0f || std::fabs(y) > 1.0f) continue;
      ++seen;
      ASSERT_EQ(cover.boxes().size(), 1u) << "trial " << trial;
      const ReflectionCover::Box& box = cover.boxes()[0];
      EXPECT_GE(x, box.xMin - 1e-5f);
      EXPECT_LE(x, box.xMax + 1e-5f);
      EXPECT_GE(y, box.yMin - 1e-5f);
      EXPECT_LE(y, box.yMax + 1e-5f);
    }
  }
  EXPECT_GT(straddling, 20);  // boxes reaching behind the eye were among them
  EXPECT_GT(seen, 10000);
}

TEST(ReflectionCover, AddsNothingForWhatCannotBeSeen) {
  const Matrix4 m = perspectiveMatrix(60.0, 1.0, 1.0, 5000.0);
  const struct {
    const char* what;
    Vec3 low, high;
  } boxes[] = {
      {"behind the eye", {-10, -10, 5}, {10, 10, 50}},
      {"beside the image", {500, -10, -110}, {520, 10, -100}},
      {"below the image", {-10, -900, -210}, {10, -800, -200}},
      {"no box: low above high", {10, 10, -100}, {-10, -10, -50}},
  };
  for (const auto& box : boxes) {
    ReflectionCover cover;
    cover.addBox(m.data(), box.low, box.high);
    EXPECT_TRUE(cover.empty()) << box.what;
  }
  // A small box ahead covers about its own outline, not the whole image.
  ReflectionCover cover;
  cover.addBox(m.data(), {-10, -10, -110}, {10, 10, -100});
  ASSERT_EQ(cover.boxes().size(), 1u);
  EXPECT_NEAR(cover.boxes()[0].xMax - cover.boxes()[0].xMin, 2 * 10 * 1.732f / 100, 1e-3f);
  EXPECT_NEAR(cover.boxes()[0].xMin, -cover.boxes()[0].xMax, 1e-6f);
}

// The rectangles stay in the window, never overlap (a pixel drawn twice would cost twice), are
// few, and hold every pixel whose centre lies within reach of a box seen mirrored left to right.
TEST(MirroredRects, HoldEveryPixelNearAMirroredBoxWithoutOverlapping) {
  const int width = 160, height = 90;
  const float reach = 0.06f;
  std::mt19937 random(11);
  std::uniform_real_distribution<float> corner(-1.0f, 1.0f), size(0.0f, 0.4f);
  std::uniform_int_distribution<int> count(0, 12);
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(trial);
    // Boxes as the cover makes them, through a projection that maps object x, y to the image as is.
    ReflectionCover cover;
    const std::array<float, 16> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const int boxes = trial == 0 ? 0 : count(random);
    for (int b = 0; b < boxes; ++b) {
      const float x = corner(random), y = corner(random);
      cover.addBox(identity.data(), {x, y, 0.0f}, {x + size(random), y + size(random), 0.0f});
    }
    if (trial == 1) cover.coverAll();
    const std::vector<PixelRect> rects = mirroredRects(cover, reach, width, height);
    EXPECT_LE(rects.size(), static_cast<size_t>(kMaxMirroredRects));
    std::vector<int> drawn(width * height, 0);
    for (const PixelRect& r : rects) {
      ASSERT_TRUE(r.width > 0 && r.height > 0 && r.x >= 0 && r.y >= 0 && r.x + r.width <= width &&
                  r.y + r.height <= height);
      for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) ++drawn[y * width + x];
      }
    }
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_LE(drawn[y * width + x], 1) << x << "," << y;
        const float ndcX = (x + 0.5f) / width * 2.0f - 1.0f, ndcY = (y + 0.5f) / height * 2.0f - 1.0f;
        for (const ReflectionCover::Box& box : cover.boxes()) {
          const bool near = -ndcX >= box.xMin - reach && -ndcX <= box.xMax + reach && ndcY >= box.yMin - reach &&
                            ndcY <= box.yMax + reach;
          if (near) {
            ASSERT_EQ(drawn[y * width + x], 1) << x << "," << y;
          }
        }
      }
    }
  }
  EXPECT_TRUE(mirroredRects(ReflectionCover{}, reach, width, height).empty());
}

// A 50 x 50 grid seen in perspective on an 800 x 600 window: rows further off are narrower and
// higher up. The last rows lie behind the eye, and so does one vertex near the front.
std::vector<float> gridOnWindow(int columns, int rows) {
  std::vector<float> window(2 * columns * rows);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const float depth = 1.0f + 0.2f * row;
      window[2 * (row * columns + column)] = 400.0f + (column - 25) * 60.0f / depth + 3.0f * row;
      window[2 * (row * columns + column) + 1] = 600.0f - 500.0f / depth;
      if (row >= 46) window[2 * (row * columns + column)] = std::nanf("");
    }
  }
  window[2 * (3 * columns + 40)] = std::nanf("");
  return window;
}

// Calls visit(strip, cell, box) for each cell of the grid with all four corners in front of the eye.
template <typename Visit>
void forEachCell(const std::vector<float>& window, int columns, int rows, Visit visit) {
  for (int strip = 0; strip + 1 < rows; ++strip) {
    for (int cell = 0; cell + 1 < columns; ++cell) {
      std::array<float, 4> box = {1e9f, -1e9f, 1e9f, -1e9f};  // x min, x max, y min, y max
      bool behind = false;
      for (int corner = 0; corner < 4; ++corner) {
        const float* v = &window[2 * ((strip + corner / 2) * columns + cell + corner % 2)];
        behind = behind || std::isnan(v[0]);
        box = {std::min(box[0], v[0]), std::max(box[1], v[0]), std::min(box[2], v[1]), std::max(box[3], v[1])};
      }
      if (!behind) visit(strip, cell, box);
    }
  }
}

bool holds(const std::vector<GridPiece>& pieces, int strip, int cell) {
  return std::any_of(pieces.begin(), pieces.end(), [&](const GridPiece& p) {
    return p.strip == strip && cell >= p.firstCell && cell < p.firstCell + p.cells;
  });
}

// Every cell that reaches a rectangle must be in a kept piece, or a scissored draw of the pieces
// would lose pixels; a corner behind the eye keeps its piece; the pieces come in the strips' order;
// cells far away are dropped.
TEST(GridPieces, HoldEveryCellThatMayReachTheirPixels) {
  const int columns = 50, rows = 50, cellsPerPiece = 7;
  const std::vector<float> window = gridOnWindow(columns, rows);
  const PixelRect rect{250, 280, 300, 60};
  const std::vector<GridPiece> pieces = piecesInRect(window, columns, rows, rect, cellsPerPiece);
  int cellsReaching = 0;
  forEachCell(window, columns, rows, [&](int strip, int cell, const std::array<float, 4>& box) {
    const bool reaches =
        box[1] >= rect.x && box[0] <= rect.x + rect.width && box[3] >= rect.y && box[2] <= rect.y + rect.height;
    cellsReaching += reaches ? 1 : 0;
    EXPECT_TRUE(!reaches || holds(pieces, strip, cell)) << strip << "," << cell;
  });
  EXPECT_GT(cellsReaching, 0);
  // A piece with a corner behind the eye may reach anywhere; one with all behind reaches nowhere.
  EXPECT_TRUE(holds(pieces, 2, 39) && holds(pieces, 3, 39) && holds(pieces, 3, 40));
  EXPECT_TRUE(holds(pieces, 45, 0) && !holds(pieces, 46, 0) && !holds(pieces, 48, 48));
  EXPECT_LT(pieces.size(), static_cast<size_t>(49 * 7 / 4));
  EXPECT_TRUE(std::is_sorted(pieces.begin(), pieces.end(), [](const GridPiece& a, const GridPiece& b) {
    return std::make_pair(a.strip, a.firstCell) < std::make_pair(b.strip, b.firstCell);
  }));
  const std::vector<GridPiece> far = piecesInRect(window, columns, rows, PixelRect{5000, 5000, 10, 10}, cellsPerPiece);
  EXPECT_EQ(far.size(), 2u + 7u);  // the two beside the vertex behind the eye, and the row into the eye's plane

  // With the rectangles drawn first, the rest of the sea needs every cell that may reach a pixel of
  // the window outside them: all but the cells well inside a rectangle.
  const PixelRect viewport{0, 0, 800, 600};
  const std::vector<PixelRect> rects = {{250, 300, 300, 80}, {600, 420, 120, 40}};
  const std::vector<GridPiece> rest = piecesOutside(window, columns, rows, viewport, rects, cellsPerPiece);
  const std::vector<GridPiece> all = piecesInRect(window, columns, rows, viewport, cellsPerPiece);
  forEachCell(window, columns, rows, [&](int strip, int cell, const std::array<float, 4>& box) {
    // Within a pixel of a rectangle's edge, the GPU's rounding may put the cell's pixels outside.
    const bool wellInside = std::any_of(rects.begin(), rects.end(), [&](const PixelRect& r) {
      return box[0] >= r.x + 1.0f && box[1] <= r.x + r.width - 1.0f && box[2] >= r.y + 1.0f &&
             box[3] <= r.y + r.height - 1.0f;
    });
    if (!wellInside && holds(all, strip, cell)) {
      EXPECT_TRUE(holds(rest, strip, cell)) << strip << "," << cell;
    }
  });
  EXPECT_TRUE(holds(rest, 3, 40) && !holds(rest, 47, 0));
  EXPECT_LT(rest.size(), all.size());
  EXPECT_EQ(piecesOutside(window, columns, rows, viewport, {}, cellsPerPiece).size(), all.size());

  // One piece and rectangles around it: left out with room on every side, kept where an edge comes
  // within a pixel of it on either axis.
  float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;  // the piece of strip 4 from cell 21
  forEachCell(window, columns, rows, [&](int strip, int cell, const std::array<float, 4>& b) {
    if (strip != 4 || cell < 21 || cell >= 28) return;
    x0 = std::min(x0, b[0]), x1 = std::max(x1, b[1]), y0 = std::min(y0, b[2]), y1 = std::max(y1, b[3]);
  });
  const auto around = [&](int left, int right, int bottom, int top) {  // room in pixels
    const PixelRect rect{static_cast<int>(std::floor(x0)) - left, static_cast<int>(std::floor(y0)) - bottom,
                         static_cast<int>(std::ceil(x1) - std::floor(x0)) + left + right,
                         static_cast<int>(std::ceil(y1) - std::floor(y0)) + bottom + top};
    return holds(piecesOutside(window, columns, rows, viewport, {rect}, cellsPerPiece), 4, 21);
  };
  EXPECT_FALSE(around(3, 3, 3, 3));
  EXPECT_TRUE(around(0, 3, 3, 3) && around(3, 0, 3, 3) && around(3, 3, 0, 3) && around(3, 3, 3, 0));
}

}  // namespace
