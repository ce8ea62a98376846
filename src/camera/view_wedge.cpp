// The view wedge: construction from the rig and the point test.
#include "camera/view_wedge.h"

#include <cmath>  // Required for: cos(), sin()

#include "camera/camera_rig.h"
#include "platform/angles.h"

namespace {
constexpr double kViewDirection = 180.0;  // degrees past yaw: the camera looks back over the rig
constexpr double kHalfOpening = 22.5;     // degrees between the view direction and each side's normal
constexpr double kApexDistance = 100.0;   // times |u + w| = 2 cos 22.5: apex about 184.78 units out
}  // namespace

ViewWedge::ViewWedge(const CameraRig& rig) {
  const double angleU = (rig.yaw + (kViewDirection + kHalfOpening)) * kDegreesToRadians;
  const double angleW = (rig.yaw + kViewDirection - kHalfOpening) * kDegreesToRadians;
  ux = std::cos(angleU);
  uy = std::sin(angleU);
  wx = std::cos(angleW);
  wy = std::sin(angleW);
  const double apexX = rig.x - (wx + ux) * kApexDistance;
  const double apexY = rig.y - (wy + uy) * kApexDistance;
  du = uy * apexY + ux * apexX;
  dw = wy * apexY + wx * apexX;
}

bool isInViewWedge(const ViewWedge& wedge, float x, float y) {
  if (wedge.uy * y + wedge.ux * x < wedge.du) return false;
  return wedge.wy * y + wedge.wx * x >= wedge.dw;
}
