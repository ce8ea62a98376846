// The matrices the GL ES path draws with, against products worked by hand: GLU's perspective and
// look-at, the mirrored camera as the sea reads its image, the stack, and the normals' matrix. No GL.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "camera/camera_rig.h"
#include "drawing/matrix4.h"

namespace {

std::array<float, 3> ndc(const Matrix4& m, float x, float y, float z) {
  const std::array<float, 4> clip = transform(m, {x, y, z, 1.0f});
  return {clip[0] / clip[3], clip[1] / clip[3], clip[2] / clip[3]};
}

void expectNear(const std::array<float, 3>& got, const std::array<float, 3>& want, const char* what) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-5f) << what << ", coordinate " << i;
}

// 90 degrees high, twice as wide, near 1, far 3, seen from (0, 0, 10) toward the origin with y up:
// the near plane's corners and the far plane's centre land on the cube's faces.
TEST(Matrices, PerspectiveAndLookAtPutTheFrustumOnTheUnitCube) {
  const double eye[3] = {0, 0, 10}, centre[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  const Matrix4 m = multiply(perspectiveMatrix(90.0, 2.0, 1.0, 3.0), lookAtMatrix(eye, centre, up));
  expectNear(ndc(m, 2, 1, 9), {1, 1, -1}, "near top right");
  expectNear(ndc(m, -2, -1, 9), {-1, -1, -1}, "near bottom left");
  expectNear(ndc(m, 0, 0, 7), {0, 0, 1}, "far centre");
  expectNear(ndc(m, 3, 0, 8), {0.75f, 0, 0.5f}, "half way");
}

TEST(Matrices, RotationsTurnCounterClockwiseAndTheStackKeepsItsLastMatrix) {
  expectNear(ndc(rotationMatrix(90, 0, 0, 2), 1, 0, 0), {0, 1, 0}, "about z");
  expectNear(ndc(rotationMatrix(90, 1, 0, 0), 0, 1, 0), {0, 0, 1}, "about x");
  MatrixStack stack;
  stack.multiply(translationMatrix(1, 2, 3));
  stack.push();
  stack.multiply(scaleMatrix(2, 2, 2));
  expectNear(ndc(stack.top(), 1, 1, 1), {3, 4, 5}, "scaled, then moved");
  EXPECT_TRUE(stack.pop());
  expectNear(ndc(stack.top(), 1, 1, 1), {2, 3, 4}, "after the pop");
  EXPECT_FALSE(stack.pop());
  EXPECT_EQ(stack.depth(), 1u);
}

// The sea reads the mirrored camera's image at the mirror point of what it shows, flipped left to
// right: a point above the water lands there where its mirror image lands in the main view, x negated.
TEST(Matrices, TheMirroredCameraSeesEachPointWhereTheMainViewSeesItsMirrorImageFlipped) {
  CameraRig rig;
  rig.yaw = 30.0;
  rig.pitch = 12.0;
  const ViewVectors view = computeView(rig), mirrored = mirrorView(view);
  const auto camera = [](const ViewVectors& v) {
    const double eye[3] = {v.eye.x, v.eye.y, v.eye.z}, centre[3] = {v.target.x, v.target.y, v.target.z},
                 up[3] = {v.up.x, v.up.y, v.up.z};
    return multiply(perspectiveMatrix(45.0, 1.0, 50.0, 1000.0), lookAtMatrix(eye, centre, up));
  };
  const Matrix4 main = camera(view), below = camera(mirrored);
  for (const std::array<float, 3>& p : {std::array<float, 3>{-300, 40, 30}, {-500, -120, 80}, {-200, 10, 5}}) {
    const std::array<float, 3> seen = ndc(below, p[0], p[1], p[2]), image = ndc(main, p[0], p[1], -p[2]);
    EXPECT_NEAR(seen[0], -image[0], 1e-4f);
    EXPECT_NEAR(seen[1], image[1], 1e-4f);
  }
}

// A model drawn at half size after a turn: GL_RESCALE_NORMAL keeps its unit normals unit; without
// it they come out twice as long, as GL makes them.
TEST(Matrices, NormalsTurnWithTheModelAndRescalingUndoesItsScale) {
  const Matrix4 halfTurned = multiply(rotationMatrix(90, 0, 0, 1), scaleMatrix(0.5f, 0.5f, 0.5f));
  const std::array<float, 9> rescaled = normalMatrix(halfTurned, true), scaled = normalMatrix(halfTurned, false);
  // Column 0 is the image of the normal (1, 0, 0).
  EXPECT_NEAR(rescaled[0], 0.0f, 1e-6f);
  EXPECT_NEAR(rescaled[1], 1.0f, 1e-6f);
  EXPECT_NEAR(scaled[1], 2.0f, 1e-6f);
  EXPECT_NEAR(normalMatrix(scaleMatrix(1, 1, 4), true)[8], 1.0f, 1e-6f);  // a flattened model's up stays unit
}

// A box is culled only when nothing of it could be drawn: no point of a culled box lies in the clip
// volume, and a box that reaches into the view, or around the eye, is kept.
TEST(Matrices, ABoxOutsideTheClipVolumeHoldsNoPointOfTheView) {
  const double eye[3] = {0.0, 0.0, 10.0}, centre[3] = {100.0, 0.0, 0.0}, up[3] = {0.0, 0.0, 1.0};
  const Matrix4 clip = multiply(perspectiveMatrix(45.0, 4.0 / 3.0, 1.0, 2000.0), lookAtMatrix(eye, centre, up));
  EXPECT_FALSE(boxOutsideClipVolume(clip, {90, -5, 0}, {110, 5, 8}));    // ahead
  EXPECT_TRUE(boxOutsideClipVolume(clip, {-60, -5, 0}, {-40, 5, 8}));    // behind the eye
  EXPECT_TRUE(boxOutsideClipVolume(clip, {90, 200, 0}, {110, 220, 8}));  // far to the left
  EXPECT_FALSE(boxOutsideClipVolume(clip, {-5, -5, 5}, {5, 5, 15}));     // around the eye
  EXPECT_FALSE(boxOutsideClipVolume(clip, {90, 5, 0}, {110, -5, 8}));    // no box
  std::mt19937 random(7);
  std::uniform_real_distribution<float> place(-300.0f, 300.0f), size(0.5f, 60.0f), share(0.0f, 1.0f);
  int culled = 0, kept = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    std::array<float, 3> low{}, high{};
    for (int axis = 0; axis < 3; ++axis) low[axis] = place(random) / (axis == 2 ? 10.0f : 1.0f);  // near the water
    for (int axis = 0; axis < 3; ++axis) high[axis] = low[axis] + size(random);
    const bool outside = boxOutsideClipVolume(clip, low, high);
    (outside ? culled : kept) += 1;
    for (int sample = 0; outside && sample < 200; ++sample) {
      std::array<float, 4> p{0, 0, 0, 1};
      for (int axis = 0; axis < 3; ++axis) p[axis] = low[axis] + share(random) * (high[axis] - low[axis]);
      p = transform(clip, p);
      ASSERT_FALSE(std::fabs(p[0]) <= p[3] && std::fabs(p[1]) <= p[3] && std::fabs(p[2]) <= p[3]) << trial;
    }
  }
  EXPECT_GT(culled, 100);
  EXPECT_GT(kept, 100);
}

}  // namespace
