// Where the sea reads its reflection image: the cover of what the reflection pass drew, the window
// rectangles it gives, and the stretches of the grid sent for each. No GL.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "water/grid_spans.h"
#include "water/reflection_cover.h"

namespace {

using Vec3 = std::array<float, 3>;

// GL's perspective projection (as gluPerspective builds it) of an eye at the origin looking down -z,
// column-major.
std::array<float, 16> perspective(float fovyDegrees, float aspect, float zNear, float zFar) {
  const float f = 1.0f / std::tan(fovyDegrees * 3.14159265f / 360.0f);
  std::array<float, 16> m{};
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (zFar + zNear) / (zNear - zFar);
  m[11] = -1.0f;
  m[14] = 2.0f * zFar * zNear / (zNear - zFar);
  return m;
}

// Every point of the box in front of the near plane (z <= -zNear) that lands on the image lies in
// the cover: the cover never loses a drawn pixel.
TEST(ReflectionCover, HoldsEveryVisiblePointOfTheBoxesAdded) {
  const auto m = perspective(60.0f, 1.3f, 1.0f, 5000.0f);
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
  const auto m = perspective(60.0f, 1.0f, 1.0f, 5000.0f);
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

// Projection x view of an eye at `eye` looking at `target`, z up, column-major.
std::array<float, 16> lookingAt(const std::array<float, 16>& projection, Vec3 eye, Vec3 target) {
  auto unit = [](Vec3 v) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return Vec3{v[0] / length, v[1] / length, v[2] / length};
  };
  auto cross = [](Vec3 a, Vec3 b) {
    return Vec3{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  };
  const Vec3 forward = unit({target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]});
  const Vec3 side = unit(cross(forward, {0, 0, 1}));
  const Vec3 up = cross(side, forward);
  std::array<float, 16> view{};
  for (int k = 0; k < 3; ++k) {
    view[4 * k + 0] = side[k];
    view[4 * k + 1] = up[k];
    view[4 * k + 2] = -forward[k];
  }
  view[12] = -(side[0] * eye[0] + side[1] * eye[1] + side[2] * eye[2]);
  view[13] = -(up[0] * eye[0] + up[1] * eye[1] + up[2] * eye[2]);
  view[14] = forward[0] * eye[0] + forward[1] * eye[1] + forward[2] * eye[2];
  view[15] = 1.0f;
  std::array<float, 16> m{};
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      for (int k = 0; k < 4; ++k) m[4 * column + row] += projection[4 * k + row] * view[4 * column + k];
    }
  }
  return m;
}

// Every point of a quad that GL can draw inside a rectangle belongs to a quad the stretches send,
// from eyes high and low, inside the grid and outside it, with quads reaching behind the eye; and
// the stretches leave out much of the grid.
TEST(GridProjection, SendsEveryQuadThatCanShowInARectangle) {
  const int columns = 16, rows = 12, width = 320, height = 240;
  const float zNear = 1.0f;
  const auto projection = perspective(60.0f, 4.0f / 3.0f, zNear, 5000.0f);
  std::mt19937 random(5);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f), place(-2000.0f, 2000.0f), wave(-3.0f, 3.0f);
  std::uniform_int_distribution<int> pixel(0, 319);
  std::vector<float> positions(3 * columns * rows);
  for (int v = 0; v < columns * rows; ++v) {
    positions[3 * v] = -1500.0f + 3000.0f * (v % columns) / (columns - 1);
    positions[3 * v + 1] = -1500.0f + 3000.0f * (v / columns) / (rows - 1);
    positions[3 * v + 2] = wave(random);
  }
  int64_t drawnPoints = 0, quadsSent = 0, quadsInAll = 0;
  for (int trial = 0; trial < 150; ++trial) {
    SCOPED_TRACE(trial);
    const Vec3 eye{place(random), place(random), 5.0f + 400.0f * unit(random) * unit(random)};
    const auto m = lookingAt(projection, eye, {place(random), place(random), 0.0f});
    GridProjection grid;
    grid.project(m.data(), positions, columns, rows, width, height);
    PixelRect rect{pixel(random) % width, pixel(random) % height, 0, 0};
    rect.width = 1 + pixel(random) % (width - rect.x);
    rect.height = 1 + pixel(random) % (height - rect.y);
    std::vector<char> sent((columns - 1) * (rows - 1), 0);
    for (const StripSpan& span : grid.spansTouching(rect)) {
      ASSERT_TRUE(span.strip >= 0 && span.strip < rows - 1 && span.firstQuad >= 0 &&
                  span.firstQuad <= span.lastQuad && span.lastQuad < columns - 1);
      for (int j = span.firstQuad; j <= span.lastQuad; ++j) sent[span.strip * (columns - 1) + j] = 1;
    }
    for (int i = 0; i + 1 < rows; ++i) {
      for (int j = 0; j + 1 < columns; ++j) {
        quadsSent += sent[i * (columns - 1) + j];
        ++quadsInAll;
        for (int sample = 0; sample < 60; ++sample) {
          // A point of the quad's surface, bilinear between its corners.
          const float s = unit(random), t = unit(random);
          float p[3];
          for (int k = 0; k < 3; ++k) {
            const float bottom = (1 - s) * positions[3 * (i * columns + j) + k] + s * positions[3 * (i * columns + j + 1) + k];
            const float top = (1 - s) * positions[3 * ((i + 1) * columns + j) + k] +
                              s * positions[3 * ((i + 1) * columns + j + 1) + k];
            p[k] = (1 - t) * bottom + t * top;
          }
          const float w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
          if (w < zNear) continue;  // GL clips it at the near plane
          const float x = ((m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12]) / w + 1.0f) * 0.5f * width;
          const float y = ((m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13]) / w + 1.0f) * 0.5f * height;
          if (x < rect.x || x > rect.x + rect.width || y < rect.y || y > rect.y + rect.height) continue;
          ++drawnPoints;
          ASSERT_TRUE(sent[i * (columns - 1) + j]) << "quad " << i << "," << j;
        }
      }
    }
  }
  EXPECT_GT(drawnPoints, 10000);
  EXPECT_LT(quadsSent, quadsInAll / 2);
}

TEST(GridProjection, SendsNothingForAGridWithoutItsPositions) {
  const auto m = perspective(60.0f, 1.0f, 1.0f, 5000.0f);
  GridProjection grid;
  grid.project(m.data(), std::vector<float>(3 * 10), 4, 4, 100, 100);  // 16 vertices wanted, 10 given
  EXPECT_TRUE(grid.spansTouching(PixelRect{0, 0, 100, 100}).empty());
}

}  // namespace
