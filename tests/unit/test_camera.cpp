// Camera rig: views of a zeroed and a turned rig, integration, and the matrix helpers.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/camera_rig.h"

namespace {

void expectVector(const ViewVector& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-3f);
  EXPECT_NEAR(v.y, y, 1e-3f);
  EXPECT_NEAR(v.z, z, 1e-3f);
}

TEST(CameraView, ZeroedRigLooksFromBaseEyeAndMirrorsBelowTheWater) {
  const ViewVectors view = computeView(CameraRig{});
  expectVector(view.eye, 100, 0, 200);
  expectVector(view.target, -150, 0, 0);
  expectVector(view.up, 2, 0, 2.5f);

  const ViewVectors mirrored = mirrorView(view);
  expectVector(mirrored.eye, 100, 0, -200);
  expectVector(mirrored.target, -150, 0, 0);
  expectVector(mirrored.up, -2, 0, -2.5f);
}

TEST(CameraView, YawTurnsEyeAndTargetAboutTheGroundPosition) {
  for (double yaw : {30.0, 90.0, 200.0, -45.0}) {
    CameraRig rig;
    rig.x = 12.0f;
    rig.y = -7.0f;
    rig.yaw = yaw;
    const ViewVectors view = computeView(rig);
    const double r = yaw * 3.141592654 / 180.0;
    expectVector(view.eye, 12 + 100 * std::cos(r), -7 + 100 * std::sin(r), 200);
    expectVector(view.target, 12 - 150 * std::cos(r), -7 - 150 * std::sin(r), 0);
  }
}

TEST(CameraView, PitchTurnsBeforeYawAndUpIsNotMoved) {
  CameraRig rig;
  rig.pitch = 90.0;  // about y: (100, 0, 200) goes to (200, 0, -100)
  rig.x = 1000.0f;
  const ViewVectors view = computeView(rig);
  expectVector(view.eye, 1200, 0, -100);
  expectVector(view.up, 2.5f, 0, -2);  // not shifted by the ground position

  rig.yaw = 90.0;  // then about z: (200, 0, -100) goes to (0, 200, -100)
  expectVector(computeView(rig).eye, 1000, 200, -100);
}

TEST(CameraView, ViewsRepeatEvery360DegreesOfYaw) {
  CameraRig a, b;
  a.yaw = 33.0;
  b.yaw = 33.0 + 3 * 360.0;
  const ViewVectors va = computeView(a), vb = computeView(b);
  expectVector(vb.eye, va.eye.x, va.eye.y, va.eye.z);
  expectVector(vb.target, va.target.x, va.target.y, va.target.z);
}

TEST(CameraIntegration, AnglesTurnAtOneAndAHalfTimesTheirRateAndGrowWithoutBound) {
  CameraRig rig;
  rig.yawRate = -20.0f;
  rig.pitchRate = 10.0f;
  for (int i = 0; i < 100; ++i) integrateCamera(rig, 0.5);
  EXPECT_DOUBLE_EQ(rig.yaw, -1500.0);  // 100 * 0.5 s * -20 * 1.5, never wrapped
  EXPECT_DOUBLE_EQ(rig.pitch, 750.0);
}

TEST(CameraIntegration, DirectionIsNotNormalised) {
  CameraRig rig;
  rig.dirX = -3.0f;
  rig.dirY = -1.0f;
  rig.moveSpeed = 30.0f;
  integrateCamera(rig, 1.0);
  EXPECT_FLOAT_EQ(rig.x, -90.0f);
  EXPECT_FLOAT_EQ(rig.y, -30.0f);
}

TEST(TransformPoint, UsesColumnMajorOrderAndTheOldComponents) {
  // Translation by (5, 6, 7) sits in elements 12..14 in column-major order.
  const double m[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
  float v[4] = {1, 2, 3, 1};
  transformPoint(m, v);
  EXPECT_FLOAT_EQ(v[0], 5 - 2);
  EXPECT_FLOAT_EQ(v[1], 6 + 1);
  EXPECT_FLOAT_EQ(v[2], 10);
  EXPECT_FLOAT_EQ(v[3], 1);
}

}  // namespace
