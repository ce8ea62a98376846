// Where the sea reads its reflection image: the cover of what the reflection pass drew, and the
// window split between the sea's two programs. No GL.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

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
      ASSERT_FALSE(cover.empty()) << "trial " << trial;
      EXPECT_GE(x, cover.xMin - 1e-5f);
      EXPECT_LE(x, cover.xMax + 1e-5f);
      EXPECT_GE(y, cover.yMin - 1e-5f);
      EXPECT_LE(y, cover.yMax + 1e-5f);
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
  EXPECT_NEAR(cover.xMax - cover.xMin, 2 * 10 * 1.732f / 100, 1e-3f);
  EXPECT_NEAR(cover.xMin, -cover.xMax, 1e-6f);
}

// Each window pixel is drawn exactly once, by one program; the mirrored rectangle holds the cover
// seen mirrored left-right and widened by the reach.
TEST(SeaSplit, TilesTheWindowAndHoldsTheMirroredCover) {
  const int width = 160, height = 90;
  const float reach = 0.06f;
  std::vector<ReflectionCover> covers(6);
  covers[1].coverAll();
  covers[2].xMin = 0.2f, covers[2].xMax = 0.5f, covers[2].yMin = -0.3f, covers[2].yMax = 0.1f;
  covers[3].xMin = -1.0f, covers[3].xMax = -0.9f, covers[3].yMin = 0.95f, covers[3].yMax = 1.0f;
  covers[4].xMin = covers[4].xMax = 0.0f, covers[4].yMin = covers[4].yMax = 0.0f;
  covers[5].xMin = -0.99f, covers[5].xMax = 0.99f, covers[5].yMin = -1.0f, covers[5].yMax = -0.97f;
  for (size_t c = 0; c < covers.size(); ++c) {
    SCOPED_TRACE(c);
    const SeaSplit split = splitSea(covers[c], reach, width, height);
    std::vector<int> drawn(width * height, 0);
    auto fill = [&](const PixelRect& r, int mark) {
      ASSERT_GE(r.width, 0);
      ASSERT_GE(r.height, 0);
      for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
          ASSERT_TRUE(x >= 0 && x < width && y >= 0 && y < height) << x << "," << y;
          drawn[y * width + x] += mark;
        }
      }
    };
    fill(split.mirrored, 100);
    for (const PixelRect& r : split.open) fill(r, 1);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) ASSERT_TRUE(drawn[y * width + x] == 1 || drawn[y * width + x] == 100);
    }
    if (covers[c].empty()) {
      EXPECT_EQ(split.mirrored.width * split.mirrored.height, 0);
      continue;
    }
    // Pixel centres within the cover's mirror image plus the reach are in the mirrored rectangle.
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const float ndcX = (x + 0.5f) / width * 2.0f - 1.0f, ndcY = (y + 0.5f) / height * 2.0f - 1.0f;
        const bool near = -ndcX >= covers[c].xMin - reach && -ndcX <= covers[c].xMax + reach &&
                          ndcY >= covers[c].yMin - reach && ndcY <= covers[c].yMax + reach;
        if (near) {
          EXPECT_EQ(drawn[y * width + x], 100) << x << "," << y;
        }
      }
    }
  }
  EXPECT_EQ(splitSea(covers[2], reach, 0, 0).mirrored.width, 0);
}

}  // namespace
