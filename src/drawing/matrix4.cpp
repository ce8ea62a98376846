// Matrices and the matrix stack: GL's and GLU's formulas, column-major.
#include "drawing/matrix4.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

float& at(Matrix4& m, int row, int column) { return m[static_cast<size_t>(column * 4 + row)]; }

void normalise(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0) return;
  for (int i = 0; i < 3; ++i) v[i] /= length;
}

void cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

Matrix4 identityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 product{};
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a[static_cast<size_t>(k * 4 + row)] * b[static_cast<size_t>(column * 4 + k)];
      product[static_cast<size_t>(column * 4 + row)] = sum;
    }
  }
  return product;
}

Matrix4 translationMatrix(float x, float y, float z) {
  Matrix4 m = identityMatrix();
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

Matrix4 rotationMatrix(float degrees, float x, float y, float z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0f) return identityMatrix();
  x /= length;
  y /= length;
  z /= length;
  const float radians = degrees * static_cast<float>(kPi / 180.0);
  const float c = std::cos(radians), s = std::sin(radians), k = 1.0f - c;
  Matrix4 m = identityMatrix();
  at(m, 0, 0) = x * x * k + c;
  at(m, 0, 1) = x * y * k - z * s;
  at(m, 0, 2) = x * z * k + y * s;
  at(m, 1, 0) = y * x * k + z * s;
  at(m, 1, 1) = y * y * k + c;
  at(m, 1, 2) = y * z * k - x * s;
  at(m, 2, 0) = x * z * k - y * s;
  at(m, 2, 1) = y * z * k + x * s;
  at(m, 2, 2) = z * z * k + c;
  return m;
}

Matrix4 scaleMatrix(float x, float y, float z) {
  Matrix4 m = identityMatrix();
  m[0] = x;
  m[5] = y;
  m[10] = z;
  return m;
}

Matrix4 perspectiveMatrix(double fovYDegrees, double aspect, double zNear, double zFar) {
  const double f = 1.0 / std::tan(fovYDegrees * kPi / 360.0);
  Matrix4 m{};
  at(m, 0, 0) = static_cast<float>(f / aspect);
  at(m, 1, 1) = static_cast<float>(f);
  at(m, 2, 2) = static_cast<float>((zFar + zNear) / (zNear - zFar));
  at(m, 2, 3) = static_cast<float>(2.0 * zFar * zNear / (zNear - zFar));
  at(m, 3, 2) = -1.0f;
  return m;
}

Matrix4 lookAtMatrix(const double eye[3], const double centre[3], const double up[3]) {
  double forward[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
  normalise(forward);
  double side[3], upright[3];
  cross(forward, up, side);
  normalise(side);
  cross(side, forward, upright);
  Matrix4 m = identityMatrix();
  for (int c = 0; c < 3; ++c) {
    at(m, 0, c) = static_cast<float>(side[c]);
    at(m, 1, c) = static_cast<float>(upright[c]);
    at(m, 2, c) = static_cast<float>(-forward[c]);
  }
  return multiply(m, translationMatrix(static_cast<float>(-eye[0]), static_cast<float>(-eye[1]),
                                       static_cast<float>(-eye[2])));
}

Matrix4 orthoMatrix(double left, double right, double bottom, double top, double zNear, double zFar) {
  Matrix4 m = identityMatrix();
  at(m, 0, 0) = static_cast<float>(2.0 / (right - left));
  at(m, 1, 1) = static_cast<float>(2.0 / (top - bottom));
  at(m, 2, 2) = static_cast<float>(-2.0 / (zFar - zNear));
  at(m, 0, 3) = static_cast<float>(-(right + left) / (right - left));
  at(m, 1, 3) = static_cast<float>(-(top + bottom) / (top - bottom));
  at(m, 2, 3) = static_cast<float>(-(zFar + zNear) / (zFar - zNear));
  return m;
}

std::array<float, 9> normalMatrix(const Matrix4& modelview, bool rescale) {
  // a: the upper 3 x 3; its inverse transposed is the cofactor matrix over the determinant.
  auto a = [&](int row, int column) { return static_cast<double>(modelview[static_cast<size_t>(column * 4 + row)]); };
  double cofactor[3][3];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      cofactor[r][c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
    }
  }
  const double determinant = a(0, 0) * cofactor[0][0] + a(0, 1) * cofactor[0][1] + a(0, 2) * cofactor[0][2];
  if (determinant == 0.0) return {1, 0, 0, 0, 1, 0, 0, 0, 1};
  // GL rescales by the inverse length of the inverse's third row, i.e. of the normal matrix's
  // third column.
  double scale = 1.0 / determinant;
  if (rescale) {
    const double length = std::sqrt(cofactor[0][2] * cofactor[0][2] + cofactor[1][2] * cofactor[1][2] +
                                    cofactor[2][2] * cofactor[2][2]) /
                          std::fabs(determinant);
    if (length > 0.0) scale /= length;
  }
  std::array<float, 9> n{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) n[static_cast<size_t>(c * 3 + r)] = static_cast<float>(cofactor[r][c] * scale);
  }
  return n;
}

std::array<float, 4> transform(const Matrix4& m, const std::array<float, 4>& v) {
  std::array<float, 4> out{};
  for (int row = 0; row < 4; ++row) {
    out[static_cast<size_t>(row)] = m[static_cast<size_t>(row)] * v[0] + m[static_cast<size_t>(4 + row)] * v[1] +
                                    m[static_cast<size_t>(8 + row)] * v[2] + m[static_cast<size_t>(12 + row)] * v[3];
  }
  return out;
}

void MatrixStack::multiply(const Matrix4& m) { stack_.back() = ::multiply(stack_.back(), m); }

bool MatrixStack::pop() {
  if (stack_.size() <= 1) return false;
  stack_.pop_back();
  return true;
}

bool boxOutsideClipVolume(const Matrix4& clip, const std::array<float, 3>& low, const std::array<float, 3>& high) {
  if (!(low[0] <= high[0] && low[1] <= high[1] && low[2] <= high[2])) return false;  // no box
  // Outside each plane: x > w, x < -w, y > w, y < -w, z > w, z < -w, one bit each.
  unsigned int allOutside = 0x3f;
  for (int corner = 0; corner < 8 && allOutside != 0; ++corner) {
    const std::array<float, 4> p = transform(clip, {(corner & 1) ? high[0] : low[0], (corner & 2) ? high[1] : low[1],
                                                    (corner & 4) ? high[2] : low[2], 1.0f});
    const float w = p[3];
    unsigned int outside = 0;
    for (int axis = 0; axis < 3; ++axis) {
      const float room = 1.0e-4f * (std::fabs(p[axis]) + std::fabs(w));
      if (p[axis] - w > room) outside |= 1u << (2 * axis);
      if (-p[axis] - w > room) outside |= 2u << (2 * axis);
    }
    allOutside &= outside;
  }
  return allOutside != 0;
}
