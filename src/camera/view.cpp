// View setup in GL: perspective and look-at in the projection matrix.
#include "camera/view.h"

#include "drawing/gfx.h"
#include "drawing/gl.h"

ViewVector g_viewEye = kBaseEye;
ViewVector g_viewTarget = kBaseTarget;
ViewVector g_viewUp = kBaseUp;

namespace {
constexpr double kFieldOfView = 45.0;  // degrees, vertical
constexpr double kAspect = 1.0;        // fixed: the picture stretches with the window
constexpr double kNear = 50.0;         // world units
constexpr double kFar = 1000.0;

void lookAt(const ViewVectors& v) {
  gfxLookAt(v.eye.x, v.eye.y, v.eye.z, v.target.x, v.target.y, v.target.z, v.up.x, v.up.y, v.up.z);
}
}  // namespace

void setupView(ViewPass pass) {
  if (pass == ViewPass::Reflection) {
    const ViewVectors view = computeView(g_camera != nullptr ? *g_camera : CameraRig{});
    g_viewEye = view.eye;
    g_viewTarget = view.target;
    g_viewUp = view.up;
  }
  gfxMatrixMode(GL_PROJECTION);
  gfxLoadIdentity();
  gfxPerspective(kFieldOfView, kAspect, kNear, kFar);
  const ViewVectors current{g_viewEye, g_viewTarget, g_viewUp};
  lookAt(pass == ViewPass::Reflection ? mirrorView(current) : current);
  gfxMatrixMode(GL_MODELVIEW);
}
