// The view wedge: the zeroed rig's inside and outside points, and the wedge following the rig.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/camera_rig.h"
#include "camera/view_wedge.h"

namespace {

struct Point {
  float x, y;
};

// Zeroed rig: apex about (184.78, 0), the wedge opening toward -x.
const Point kInside[] = {{0.0f, 0.0f}, {-1000.0f, 0.0f}, {0.0f, 300.0f}, {100.0f, -200.0f}, {184.0f, 0.0f}};
const Point kOutside[] = {{185.0f, 0.0f}, {300.0f, 0.0f}, {150.0f, 100.0f}, {150.0f, -100.0f}, {0.0f, 500.0f}};

TEST(ViewWedge, ZeroedRigHasItsApexBehindTheEye) {
  const ViewWedge wedge{CameraRig{}};
  EXPECT_NEAR(wedge.du, -170.71, 0.01);
  EXPECT_NEAR(wedge.dw, -170.71, 0.01);
  EXPECT_NEAR(std::hypot(wedge.ux, wedge.uy), 1.0, 1e-12);
  EXPECT_NEAR(std::hypot(wedge.wx, wedge.wy), 1.0, 1e-12);
  for (const Point& p : kInside) EXPECT_TRUE(isInViewWedge(wedge, p.x, p.y)) << p.x << ", " << p.y;
  for (const Point& p : kOutside) EXPECT_FALSE(isInViewWedge(wedge, p.x, p.y)) << p.x << ", " << p.y;
}

TEST(ViewWedge, FollowsTheRigsPositionAndYaw) {
  for (double yaw : {30.0, 90.0, 180.0, 251.0, -45.0, 720.0 + 10.0}) {
    CameraRig rig;
    rig.x = 350.0f;
    rig.y = -120.0f;
    rig.yaw = yaw;
    rig.pitch = 40.0;  // plays no part
    const ViewWedge wedge{rig};
    const double r = yaw * 3.141592654 / 180.0;
    const auto moved = [&](const Point& p) {
      return Point{static_cast<float>(rig.x + p.x * std::cos(r) - p.y * std::sin(r)),
                   static_cast<float>(rig.y + p.x * std::sin(r) + p.y * std::cos(r))};
    };
    for (const Point& p : kInside) {
      const Point q = moved(p);
      EXPECT_TRUE(isInViewWedge(wedge, q.x, q.y)) << "yaw " << yaw << " point " << p.x << ", " << p.y;
    }
    for (const Point& p : kOutside) {
      const Point q = moved(p);
      EXPECT_FALSE(isInViewWedge(wedge, q.x, q.y)) << "yaw " << yaw << " point " << p.x << ", " << p.y;
    }
  }
}

TEST(ViewWedge, OpensOneHundredThirtyFiveDegrees) {
  const ViewWedge wedge{CameraRig{}};
  // Rays from the apex at 67.5 degrees off the view direction (-x) run along the sides.
  const double apex = 200.0 * std::cos(22.5 * 3.141592654 / 180.0);
  for (double off : {60.0, 67.0, 68.0, 75.0}) {
    const double a = (180.0 + off) * 3.141592654 / 180.0;
    const float x = static_cast<float>(apex + 500.0 * std::cos(a));
    const float y = static_cast<float>(500.0 * std::sin(a));
    EXPECT_EQ(isInViewWedge(wedge, x, y), off < 67.5) << off;
    EXPECT_EQ(isInViewWedge(wedge, x, -y), off < 67.5) << -off;
  }
}

}  // namespace
