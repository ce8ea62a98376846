// The view wedge that culls ships, and the sea's point query agreeing with the drawn grid. No GL.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "../test_support.h"
#include "camera/camera_rig.h"
#include "camera/view_wedge.h"
#include "water/water_surface.h"

namespace {

constexpr double kDegree = 3.141592654 / 180.0;

// The zeroed rig's wedge opens 135 degrees toward -x from an apex behind the eye (about x = 185).
TEST(ViewWedge, HoldsThePointsInViewWhereverTheRigTurns) {
  const struct {
    float x, y;
    bool inside;
  } points[] = {{0, 0, true},      {-1000, 0, true},  {0, 300, true},     {100, -200, true}, {184, 0, true},
                {185, 0, false},   {300, 0, false},   {150, 100, false},  {150, -100, false}, {0, 500, false}};
  for (double yaw : {0.0, 30.0, 180.0, 251.0, -45.0, 730.0}) {
    CameraRig rig;
    rig.x = 350.0f;
    rig.y = -120.0f;
    rig.yaw = yaw;
    rig.pitch = 40.0;  // plays no part
    const ViewWedge wedge{rig};
    const double c = std::cos(yaw * kDegree), s = std::sin(yaw * kDegree);
    for (const auto& p : points) {
      const float x = static_cast<float>(rig.x + p.x * c - p.y * s), y = static_cast<float>(rig.y + p.x * s + p.y * c);
      EXPECT_EQ(isInViewWedge(wedge, x, y), p.inside) << "yaw " << yaw << " point " << p.x << ", " << p.y;
    }
  }
}

class Sea : public ::testing::Test {
 protected:
  void SetUp() override {
    const float light[3] = {500.0f, -500.0f, 910.0f};
    test::captured([&] { sea = std::make_unique<WaterSurface>(-1500, 1500, 50, -1500, 1500, 50, 0, light, 0u, false); });
    const int origin[2] = {0, 0}, direction[2] = {2, 1};
    sea->setWave(origin, direction, 250.0f, 2.0f);
    sea->setPhase(0.0f);
  }
  std::unique_ptr<WaterSurface> sea;
};

// Ships and ducks ride on the pose the query gives: at every grid vertex it must be the drawn
// surface, its height and its normal (the vertical turned by the tilt).
TEST_F(Sea, ThePointQueryRidesOnTheDrawnGrid) {
  for (float phase : {0.0f, 0.13f, 0.6f, 1.0f}) {
    sea->setPhase(phase);
    for (int v : {0, 7, 1234, 2499}) {
      const float* p = &sea->positions[3 * v];
      const float* n = &sea->normals[3 * v];
      const SurfacePose pose = sea->surfaceAt(p[0], p[1]);
      const double a = pose.angle * kDegree;
      SCOPED_TRACE(testing::Message() << "phase " << phase << " vertex " << v);
      EXPECT_NEAR(pose.axisY * std::sin(a), n[0], 1e-5);
      EXPECT_NEAR(-pose.axisX * std::sin(a), n[1], 1e-5);
      EXPECT_NEAR(std::cos(a), n[2], 1e-5);
      EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5f);
      EXPECT_FLOAT_EQ(pose.surfaceZ, p[2]);
    }
  }
}

TEST_F(Sea, LoweringThePhaseMovesTheCrestsOnAndOneCycleComesBack) {
  // Worked from the wave's formula: the corner lies 237.54 units along the wave past whole
  // wavelengths, table position 950.16, taken up to entry 951: 2 sin(2 pi 0.951).
  EXPECT_NEAR(sea->surfaceAt(-1500.0f, -1500.0f).surfaceZ, -0.60607f, 1e-4f);
  const std::vector<float> atZero = sea->positions;
  sea->setPhase(0.25f);
  EXPECT_NEAR(sea->surfaceAt(0.0f, 0.0f).surfaceZ, 2.0f, 1e-3f);  // a crest at the origin...
  sea->setPhase(0.05f);                                               // ...stands 50 units on later
  EXPECT_NEAR(sea->surfaceAt(50.0f * sea->directionX, 50.0f * sea->directionY).surfaceZ, 2.0f, 1e-3f);
  sea->setPhase(1.0f);
  EXPECT_EQ(sea->positions, atZero);
}

TEST_F(Sea, TheWaveIsDefinedFarOutsideTheGridAndForAnyPhase) {
  for (float phase : {0.0f, -3.0f, 7.25f}) {
    sea->setPhase(phase);
    for (const auto& p : {std::array<float, 2>{1.0e5f, -3.0e5f}, {-2.0e6f, -2.0e6f}, {-1.0e12f, 0.0f},
                          {-3.0e38f, -3.0e38f}, {std::nanf(""), 0.0f}}) {
      const int k = sea->tableIndex(p[0], p[1]);
      EXPECT_TRUE(k >= 0 && k < WaterSurface::kTableSize) << p[0] << ", " << p[1] << " phase " << phase;
      if (std::isnan(p[0])) continue;
      EXPECT_LE(std::fabs(sea->surfaceAt(p[0], p[1]).surfaceZ), 2.0f);
    }
  }
}

}  // namespace
