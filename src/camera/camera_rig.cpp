// Camera rig integration and view vectors, computed without GL.
#include "camera/camera_rig.h"

#include <cmath>

CameraRig* g_camera = nullptr;

void integrateCamera(CameraRig& rig, double dt) {
  rig.yaw += rig.yawRate * dt * 1.5;
  rig.pitch += rig.pitchRate * dt * 1.5;
  rig.x += static_cast<float>(rig.dirX * rig.moveSpeed * dt);
  rig.y += static_cast<float>(rig.dirY * rig.moveSpeed * dt);
}

void transformPoint(const double m[16], float v[4]) {
  const double in[4] = {v[0], v[1], v[2], v[3]};
  for (int i = 0; i < 4; ++i) {
    v[i] = static_cast<float>(m[i] * in[0] + m[4 + i] * in[1] + m[8 + i] * in[2] + m[12 + i] * in[3]);
  }
}

void rotationMatrix(double angleDegrees, double ax, double ay, double az, double m[16]) {
  // glRotatef works in single precision; so do we, to give the same matrix.
  const float radians = static_cast<float>(angleDegrees) * 3.14159265358979323846f / 180.0f;
  float x = static_cast<float>(ax), y = static_cast<float>(ay), z = static_cast<float>(az);
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length > 0.0f) {
    x /= length;
    y /= length;
    z /= length;
  }
  const float c = std::cos(radians), s = std::sin(radians), t = 1.0f - c;
  const float r[16] = {t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0.0f,
                       t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0.0f,
                       t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0.0f,
                       0.0f,              0.0f,              0.0f,              1.0f};
  for (int i = 0; i < 16; ++i) m[i] = r[i];
}

namespace {

void multiply(const double a[16], const double b[16], double out[16]) {
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
      out[column * 4 + row] = static_cast<float>(sum);  // GL keeps its matrices in floats
    }
  }
}

void apply(const double m[16], ViewVector& v) {
  float values[4] = {v.x, v.y, v.z, v.w};
  transformPoint(m, values);
  v = {values[0], values[1], values[2], values[3]};
}

}  // namespace

ViewVectors computeView(const CameraRig& rig) {
  ViewVectors view{kBaseEye, kBaseTarget, kBaseUp};

  // Rotate about z by yaw, then about y by pitch: applied to a point, pitch acts first.
  double yawMatrix[16], pitchMatrix[16], turn[16];
  rotationMatrix(static_cast<float>(rig.yaw), 0, 0, 1, yawMatrix);
  rotationMatrix(static_cast<float>(rig.pitch), 0, 1, 0, pitchMatrix);
  multiply(yawMatrix, pitchMatrix, turn);
  apply(turn, view.target);
  apply(turn, view.eye);
  apply(turn, view.up);

  const double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, rig.x, rig.y, 0, 1};
  apply(shift, view.target);
  apply(shift, view.eye);
  return view;
}

ViewVectors mirrorView(const ViewVectors& view) {
  ViewVectors mirrored = view;
  mirrored.eye.z = -view.eye.z;
  mirrored.target.z = -view.target.z;
  mirrored.up = {-view.up.x, -view.up.y, -view.up.z, view.up.w};
  return mirrored;
}
