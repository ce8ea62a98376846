// The sea's answer to a point query: the tilt that turns the vertical onto the water's normal, and
// the surface height. Floating objects are drawn translated to surfaceZ and rotated by this pose.
#pragma once

struct SurfacePose {
  float angle;  // degrees, about the axis below
  float axisX;
  float axisY;
  float axisZ;
  float surfaceZ;  // world units
};
