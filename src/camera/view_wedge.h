// The view wedge: a coarse two-dimensional field of view on the water plane, from the camera rig's
// ground position and yaw, used to skip ships the camera cannot see. GL-free.
#pragma once

struct CameraRig;

// Two half-planes whose boundary lines meet at the apex, about 184.78 units from the rig in the
// direction of yaw (behind the eye); the wedge opens 135 degrees toward the view direction
// (yaw + 180). Pitch and height play no part.
struct ViewWedge {
  explicit ViewWedge(const CameraRig& rig);
  double ux, uy;  // inward unit normal of the first side
  double du;      // u . apex
  double wx, wy;  // inward unit normal of the second side
  double dw;      // w . apex
};

// True when the point (a ship's position) lies on the inner side of both boundary lines.
bool isInViewWedge(const ViewWedge& wedge, float x, float y);
