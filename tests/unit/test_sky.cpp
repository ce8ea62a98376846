// Sky dome table: the hemisphere's rings, wedges and the fold-out texture mapping. No GL.
#include <gtest/gtest.h>

#include <cmath>

#include "sky/sky_dome.h"

namespace {

constexpr float kTolerance = 0.001f;  // world units; the table's printed heights have 3 decimals

const SkyVertex& vertexOf(const std::array<SkyVertex, 72>& table, int strip, int k) {
  return table[static_cast<size_t>(strip * kSkyStripVertices + k)];
}

// Ring e (1..4) of a strip: its vertex at the strip's first edge (side 0) or second edge (side 1).
const SkyVertex& ringVertex(const std::array<SkyVertex, 72>& table, int strip, int e, int side) {
  return vertexOf(table, strip, 2 * e - 1 + side);
}

TEST(SkyDome, RingsLieAtTheirHeightsAndRadii) {
  const auto table = skyDomeVertices();
  const float heights[5] = {950.0f, 877.686f, 671.751f, 363.549f, 0.0f};
  const float radii[5] = {0.0f, 363.549f, 671.751f, 877.686f, 950.0f};
  for (int strip = 0; strip < kSkyStripCount; ++strip) {
    SCOPED_TRACE("strip " + std::to_string(strip + 1));
    const SkyVertex& zenith = vertexOf(table, strip, 0);
    EXPECT_EQ(zenith.x, 0.0f);
    EXPECT_EQ(zenith.y, 0.0f);
    EXPECT_NEAR(zenith.z, heights[0], kTolerance);
    for (int e = 1; e <= 4; ++e) {
      for (int side = 0; side < 2; ++side) {
        const SkyVertex& v = ringVertex(table, strip, e, side);
        EXPECT_NEAR(v.z, heights[e], kTolerance);
        EXPECT_NEAR(std::hypot(v.x, v.y), radii[e], kTolerance);
        EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), kSkyDomeRadius, kTolerance);
      }
    }
  }
}

TEST(SkyDome, WedgesRunBetweenTheirAzimuthsWithExactAxisPoints) {
  const auto table = skyDomeVertices();
  // Horizon points (ring 4) of each strip: edge a and edge b, from the strip table in degrees.
  const int azimuths[8][2] = {{-90, -45}, {-45, 0}, {0, 45}, {45, 90},
                              {-90, -135}, {-135, 180}, {180, 135}, {135, 90}};
  for (int strip = 0; strip < kSkyStripCount; ++strip) {
    for (int side = 0; side < 2; ++side) {
      SCOPED_TRACE("strip " + std::to_string(strip + 1) + " side " + std::to_string(side));
      const double angle = azimuths[strip][side] * 3.141592654 / 180.0;
      const SkyVertex& v = ringVertex(table, strip, 4, side);
      EXPECT_NEAR(v.x, 950.0 * std::cos(angle), kTolerance);
      EXPECT_NEAR(v.y, 950.0 * std::sin(angle), kTolerance);
      if (azimuths[strip][side] % 90 == 0) {
        EXPECT_TRUE(v.x == 0.0f || v.y == 0.0f) << v.x << ", " << v.y;  // exactly on the axis
      }
    }
  }
  // Diagonal points of ring 1..3: both coordinates +- ring radius * sqrt(2) / 2.
  const float diagonal[4] = {257.068f, 475.0f, 620.617f, 671.751f};
  for (int e = 1; e <= 4; ++e) {
    const SkyVertex& v = ringVertex(table, 2, e, 1);  // strip 3 ends at 45 degrees
    EXPECT_NEAR(v.x, diagonal[e - 1], kTolerance);
    EXPECT_NEAR(v.y, diagonal[e - 1], kTolerance);
  }
}

TEST(SkyDome, NeighbouringStripsShareTheirEdgesExactly) {
  const auto table = skyDomeVertices();
  // (strip, side) pairs that lie on the same azimuth: 1b-2a, 2b-3a, 3b-4a, 1a-5a, 5b-6a, 6b-7a,
  // 7b-8a, 8b-4b.
  const int shared[8][4] = {{0, 1, 1, 0}, {1, 1, 2, 0}, {2, 1, 3, 0}, {0, 0, 4, 0},
                            {4, 1, 5, 0}, {5, 1, 6, 0}, {6, 1, 7, 0}, {7, 1, 3, 1}};
  for (const auto& pair : shared) {
    for (int e = 1; e <= 4; ++e) {
      const SkyVertex& a = ringVertex(table, pair[0], e, pair[1]);
      const SkyVertex& b = ringVertex(table, pair[2], e, pair[3]);
      EXPECT_EQ(a.x, b.x);
      EXPECT_EQ(a.y, b.y);
      EXPECT_EQ(a.z, b.z);
    }
  }
}

TEST(SkyDome, TextureIsAFoldOutOfTheSky) {
  const auto table = skyDomeVertices();
  for (int strip = 0; strip < kSkyStripCount; ++strip) {
    SCOPED_TRACE("strip " + std::to_string(strip + 1));
    const float s0 = 0.25f * static_cast<float>(strip % 4);
    const bool towardPlusX = strip < 4;
    const SkyVertex& zenith = vertexOf(table, strip, 0);
    EXPECT_FLOAT_EQ(zenith.s, s0 + 0.125f);  // a different zenith coordinate in each column
    EXPECT_FLOAT_EQ(zenith.t, 0.5f);
    for (int e = 1; e <= 4; ++e) {
      const float t = towardPlusX ? 0.5f - 0.125f * e : 0.5f + 0.125f * e;
      EXPECT_FLOAT_EQ(ringVertex(table, strip, e, 0).s, s0);
      EXPECT_FLOAT_EQ(ringVertex(table, strip, e, 1).s, s0 + 0.25f);
      EXPECT_FLOAT_EQ(ringVertex(table, strip, e, 0).t, t);
      EXPECT_FLOAT_EQ(ringVertex(table, strip, e, 1).t, t);
    }
    // The half toward +x maps to t < 0.5 and the half toward -x to t > 0.5; s grows from -y to +y.
    const SkyVertex& a = ringVertex(table, strip, 4, 0);
    const SkyVertex& b = ringVertex(table, strip, 4, 1);
    EXPECT_LE(towardPlusX ? -a.x : a.x, 0.001f);
    EXPECT_LT(a.y, b.y);
  }
}

TEST(SkyDome, RimSitsFifteenUnitsBelowTheLowestTrough) {
  EXPECT_FLOAT_EQ(skyDomeCentreZ(2), -17.0f);
  EXPECT_FLOAT_EQ(skyDomeCentreZ(0), -15.0f);
  const auto table = skyDomeVertices();
  for (int strip = 0; strip < kSkyStripCount; ++strip) {
    EXPECT_FLOAT_EQ(skyDomeCentreZ(2) + ringVertex(table, strip, 4, 0).z, -17.0f);
  }
}

}  // namespace
