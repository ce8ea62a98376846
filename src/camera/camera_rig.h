// Camera rig steered by the demo script: a drifting ground position and two turning angles, turned
// into eye, target and up vectors for the normal and the mirrored (below-water) view. GL-free.
#pragma once

struct CameraRig {
  float x = 0.0f;  // ground position, world units
  float y = 0.0f;
  float moveSpeed = 0.0f;  // factor on (dirX, dirY): world units per second
  float dirX = 0.0f;       // motion direction, not normalised
  float dirY = 0.0f;
  float yawRate = 0.0f;    // times 1.5 gives degrees per second
  float pitchRate = 0.0f;
  double yaw = 0.0;        // degrees about world z, never wrapped
  double pitch = 0.0;      // degrees about the rig's own y axis, never wrapped
};

// Four floats (x, y, z, w), as the view setup rebuilds them each frame.
struct ViewVector {
  float x, y, z, w;
};

// Eye, target and up of the normal view, and the mirrored look-at values below the water plane.
struct ViewVectors {
  ViewVector eye;
  ViewVector target;
  ViewVector up;
};

// Base vectors of the unturned rig.
constexpr ViewVector kBaseEye{100.0f, 0.0f, 200.0f, 1.0f};
constexpr ViewVector kBaseTarget{-150.0f, 0.0f, 0.0f, 1.0f};
constexpr ViewVector kBaseUp{2.0f, 0.0f, 2.5f, 1.0f};

// One idle step: angles turn by rate * dt * 1.5, the ground position drifts by dir * moveSpeed * dt.
void integrateCamera(CameraRig& rig, double dt);

// new v = M * v, M being 16 doubles in OpenGL's column-major order; computed from the old components.
void transformPoint(const double m[16], float v[4]);

// The view of the rig: base vectors turned by pitch about y, then by yaw about z, then eye and
// target moved to the ground position (up is not moved).
ViewVectors computeView(const CameraRig& rig);

// The mirror image of a view in the water plane z = 0; the up vector is negated in all three
// components, which flips the reflection image left to right.
ViewVectors mirrorView(const ViewVectors& view);

// Rotation matrix as glRotatef(angleDegrees, ax, ay, az) builds it, column-major.
void rotationMatrix(double angleDegrees, double ax, double ay, double az, double m[16]);

// The scripted camera: created zeroed by the application shell, replaced by a zeroed rig at each
// demo restart, moved by the idle step and the script.
extern CameraRig* g_camera;
