// Triangle meshes of the asset generator: vectors, the mesh record and the shape builders
// (boxes, tubes, ellipsoids, parametric grids, two-sided sheets, flat polygons). No file output here.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image.h"

struct Vec3 {
  double x = 0.0, y = 0.0, z = 0.0;
};
struct Vec2 {
  double u = 0.0, v = 0.0;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, double k);
Vec3 operator-(Vec3 a);
double dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
double length(Vec3 a);
// Unit vector; `fallback` when `a` is (nearly) zero.
Vec3 normalize(Vec3 a, Vec3 fallback = {0.0, 0.0, 1.0});
Vec3 lerp(Vec3 a, Vec3 b, double t);

// One geometry object: every vertex carries its own normal and texture coordinate, so a hard edge is
// made by duplicating its vertices. Triangles wind counter-clockwise seen from the side the normals face.
struct Mesh {
  std::string name;
  int material = -1;                  // index into the model's materials; -1 draws in wireColor
  Color wireColor{0.5, 0.5, 0.5};
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;
  std::vector<Vec2> uvs;
  std::vector<std::array<uint32_t, 3>> faces;

  uint32_t addVertex(Vec3 p, Vec3 n, Vec2 uv);
  void addTriangle(uint32_t a, uint32_t b, uint32_t c);
  // a, b, c, d counter-clockwise from the front.
  void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
  void append(const Mesh& other);
};

// Drops vertices that no face uses (left by collapsed grid rows) and renumbers the faces; every
// vertex written must belong to a face, since normals are listed per face corner.
void removeUnusedVertices(Mesh& mesh);

// Unit normal of face f from its corners' winding; the mean of its vertex normals if it is degenerate.
Vec3 faceNormal(const Mesh& mesh, size_t f);

// A box with flat faces: centre, three orthonormal axes and the half extents along them.
void addBox(Mesh& mesh, Vec3 centre, Vec3 axisX, Vec3 axisY, Vec3 axisZ, Vec3 half);
inline void addBox(Mesh& mesh, Vec3 centre, Vec3 half) {
  addBox(mesh, centre, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, half);
}

// A tapered tube from a (radius ra) to b (radius rb) with smooth sides and optional flat caps.
// u runs around the tube, v along it (vRepeat texture units over the whole length).
void addTube(Mesh& mesh, Vec3 a, Vec3 b, double ra, double rb, int sides, bool capA, bool capB,
             double vRepeat = 1.0);

// An ellipsoid with smooth normals; `shape` may move each surface point (given its unit-sphere
// direction) before the normal is derived from the moved surface.
void addEllipsoid(Mesh& mesh, Vec3 centre, Vec3 radii, int rings, int segments,
                  const std::function<Vec3(Vec3 point, Vec3 direction)>& shape = nullptr);

// A parametric surface sampled on rows x cols points; normals from the surface's own tangents.
// The front is the side of cross(d/dcol, d/drow); `flip` builds the other side instead.
void addGrid(Mesh& mesh, int rows, int cols, const std::function<Vec3(int row, int col)>& position,
             const std::function<Vec2(int row, int col)>& uv, bool flip = false);

// The same surface as two sheets, front and back, `thickness` apart, so it is lit from both sides;
// a rim along the edges joins them into one closed surface.
void addSheet(Mesh& mesh, int rows, int cols, const std::function<Vec3(int row, int col)>& position,
              const std::function<Vec2(int row, int col)>& uv, double thickness);

// A flat star-shaped polygon (fan from its centroid; a quad must be convex) facing `normal`; either
// winding may be given.
void addPolygon(Mesh& mesh, const std::vector<Vec3>& points, Vec3 normal,
                const std::function<Vec2(Vec3)>& uv);

// A flat convex outline facing `normal`, extruded by `thickness` along -normal: front, back and rim,
// all with hard edges.
void addSlab(Mesh& mesh, const std::vector<Vec3>& outline, Vec3 normal, double thickness,
             const std::function<Vec2(Vec3)>& uv);
