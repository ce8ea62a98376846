// 4 x 4 matrices as GL keeps them (column-major floats) and a matrix stack with GL's and GLU's
// operations, for drawing without GL's own matrix stack. GL-free.
#pragma once
#include <array>
#include <cstddef>  // Required for: size_t
#include <vector>

using Matrix4 = std::array<float, 16>;  // column-major: element (row r, column c) at [c * 4 + r]

Matrix4 identityMatrix();
Matrix4 multiply(const Matrix4& a, const Matrix4& b);  // a × b
// The matrices glTranslatef, glRotatef (angle in degrees about any axis, normalised here), glScalef,
// gluPerspective, gluLookAt and gluOrtho2D multiply onto the current one.
Matrix4 translationMatrix(float x, float y, float z);
Matrix4 rotationMatrix(float degrees, float x, float y, float z);
Matrix4 scaleMatrix(float x, float y, float z);
Matrix4 perspectiveMatrix(double fovYDegrees, double aspect, double zNear, double zFar);
Matrix4 lookAtMatrix(const double eye[3], const double centre[3], const double up[3]);
Matrix4 orthoMatrix(double left, double right, double bottom, double top, double zNear, double zFar);
// The matrix that turns object normals into eye normals: the inverse transpose of the upper 3 x 3
// (column-major, 9 floats), rescaled to keep unit normals unit under a uniform scale when
// `rescale` is set, as GL_RESCALE_NORMAL does. A singular matrix gives the identity.
std::array<float, 9> normalMatrix(const Matrix4& modelview, bool rescale);
// m × (x, y, z, w).
std::array<float, 4> transform(const Matrix4& m, const std::array<float, 4>& v);
// True when GL's clipping leaves nothing of the box from `low` to `high` under `clip` (projection ×
// modelview): all eight corners lie beyond one plane of the clip volume, by more than a GPU's
// rounding could move them. False for a box with low above high on any axis.
bool boxOutsideClipVolume(const Matrix4& clip, const std::array<float, 3>& low, const std::array<float, 3>& high);

// GL's stack: the top is the current matrix; push copies it, pop drops it (never the last one).
class MatrixStack {
 public:
  MatrixStack() : stack_{identityMatrix()} {}
  const Matrix4& top() const { return stack_.back(); }
  void load(const Matrix4& m) { stack_.back() = m; }
  void multiply(const Matrix4& m);  // top = top × m
  void push() { stack_.push_back(stack_.back()); }
  bool pop();  // false (and nothing done) on the last matrix
  size_t depth() const { return stack_.size(); }

 private:
  std::vector<Matrix4> stack_;
};
