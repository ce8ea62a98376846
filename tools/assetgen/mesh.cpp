// Triangle meshes: vector algebra and the shape builders the models are made of.
#include "mesh.h"

#include "det_math.h"

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(Vec3 a) { return dm::sqrt(dot(a, a)); }
Vec3 lerp(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }

Vec3 normalize(Vec3 a, Vec3 fallback) {
  const double len = length(a);
  return len > 1e-12 ? a * (1.0 / len) : fallback;
}

uint32_t Mesh::addVertex(Vec3 p, Vec3 n, Vec2 uv) {
  positions.push_back(p);
  normals.push_back(normalize(n));
  uvs.push_back(uv);
  return static_cast<uint32_t>(positions.size() - 1);
}

void Mesh::addTriangle(uint32_t a, uint32_t b, uint32_t c) { faces.push_back({a, b, c}); }

void Mesh::addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  addTriangle(a, b, c);
  addTriangle(a, c, d);
}

void Mesh::append(const Mesh& other) {
  const uint32_t base = static_cast<uint32_t>(positions.size());
  positions.insert(positions.end(), other.positions.begin(), other.positions.end());
  normals.insert(normals.end(), other.normals.begin(), other.normals.end());
  uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
  for (const auto& f : other.faces) faces.push_back({f[0] + base, f[1] + base, f[2] + base});
}

void removeUnusedVertices(Mesh& mesh) {
  constexpr uint32_t kUnused = 0xFFFFFFFFu;
  std::vector<uint32_t> newIndex(mesh.positions.size(), kUnused);
  for (const auto& f : mesh.faces)
    for (uint32_t v : f) newIndex[v] = 0;
  Mesh kept;
  for (size_t v = 0; v < mesh.positions.size(); ++v) {
    if (newIndex[v] == kUnused) continue;
    newIndex[v] = kept.addVertex(mesh.positions[v], mesh.normals[v], mesh.uvs[v]);
  }
  for (auto& f : mesh.faces)
    for (uint32_t& v : f) v = newIndex[v];
  mesh.positions.swap(kept.positions);
  mesh.normals.swap(kept.normals);
  mesh.uvs.swap(kept.uvs);
}

Vec3 faceNormal(const Mesh& mesh, size_t f) {
  const auto& face = mesh.faces[f];
  const Vec3 a = mesh.positions[face[0]], b = mesh.positions[face[1]], c = mesh.positions[face[2]];
  const Vec3 n = cross(b - a, c - a);
  const Vec3 mean = mesh.normals[face[0]] + mesh.normals[face[1]] + mesh.normals[face[2]];
  // Sliver triangles (area ~0) get their corners' normal, which is what they are drawn with anyway.
  if (length(n) < 1e-9 * (dot(b - a, b - a) + dot(c - a, c - a)) || length(n) < 1e-9) {
    return normalize(mean);
  }
  return normalize(n);
}

void addBox(Mesh& mesh, Vec3 centre, Vec3 ax, Vec3 ay, Vec3 az, Vec3 half) {
  const Vec3 ex = ax * half.x, ey = ay * half.y, ez = az * half.z;
  // Each face: its normal and the two in-plane edge vectors, ordered so (u, v, n) is right-handed.
  struct Side {
    Vec3 n, u, v;
  };
  const Side sides[6] = {{ax, ey, ez}, {-ax, -ey, ez}, {ay, -ex, ez},
                         {-ay, ex, ez}, {az, ex, ey},  {-az, ex, -ey}};
  for (int k = 0; k < 6; ++k) {
    const Side& s = sides[k];
    // Offset of this face's centre from the box centre along its normal.
    const double extent = k < 2 ? half.x : (k < 4 ? half.y : half.z);
    const Vec3 fc = centre + s.n * extent;
    const uint32_t a = mesh.addVertex(fc - s.u - s.v, s.n, {0, 0});
    const uint32_t b = mesh.addVertex(fc + s.u - s.v, s.n, {1, 0});
    const uint32_t c = mesh.addVertex(fc + s.u + s.v, s.n, {1, 1});
    const uint32_t d = mesh.addVertex(fc - s.u + s.v, s.n, {0, 1});
    mesh.addQuad(a, b, c, d);
  }
}

void addTube(Mesh& mesh, Vec3 a, Vec3 b, double ra, double rb, int sides, bool capA, bool capB,
             double vRepeat) {
  const Vec3 axis = normalize(b - a);
  const double len = length(b - a);
  // Any vector not parallel to the axis gives the tube's first radial direction.
  const Vec3 helper = dm::sqrt(axis.z * axis.z) < 0.9 ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
  const Vec3 r1 = normalize(cross(axis, helper));
  const Vec3 r2 = cross(axis, r1);
  const double slope = len > 0.0 ? (ra - rb) / len : 0.0;  // the side normal leans toward the thin end
  const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
  for (int k = 0; k <= sides; ++k) {
    const double ang = dm::kTwoPi * k / sides;
    const Vec3 radial = r1 * dm::cos(ang) + r2 * dm::sin(ang);
    const Vec3 n = normalize(radial + axis * slope);
    const double u = static_cast<double>(k) / sides;
    mesh.addVertex(a + radial * ra, n, {u, 0.0});
    mesh.addVertex(b + radial * rb, n, {u, vRepeat});
  }
  for (int k = 0; k < sides; ++k) {
    const uint32_t i0 = base + 2 * k, i1 = base + 2 * (k + 1);
    // (a-end k) -> (a-end k+1) -> (b-end k+1) -> (b-end k) is counter-clockwise seen from outside.
    mesh.addQuad(i0, i1, i1 + 1, i0 + 1);
  }
  auto cap = [&](Vec3 centre, double r, Vec3 n) {
    if (r <= 0.0) return;
    const uint32_t c = mesh.addVertex(centre, n, {0.5, 0.5});
    const uint32_t ring = static_cast<uint32_t>(mesh.positions.size());
    for (int k = 0; k < sides; ++k) {
      const double ang = dm::kTwoPi * k / sides;
      const Vec3 radial = r1 * dm::cos(ang) + r2 * dm::sin(ang);
      mesh.addVertex(centre + radial * r, n, {0.5 + 0.5 * dm::cos(ang), 0.5 + 0.5 * dm::sin(ang)});
    }
    for (int k = 0; k < sides; ++k) {
      const uint32_t p = ring + k, q = ring + (k + 1) % sides;
      // The ring runs counter-clockwise about +axis.
      if (dot(n, axis) > 0) {
        mesh.addTriangle(c, p, q);
      } else {
        mesh.addTriangle(c, q, p);
      }
    }
  };
  if (capA) cap(a, ra, -axis);
  if (capB) cap(b, rb, axis);
}

void addEllipsoid(Mesh& mesh, Vec3 centre, Vec3 radii, int rings, int segments,
                  const std::function<Vec3(Vec3, Vec3)>& shape) {
  auto point = [&](double theta, double phi) {
    // theta: 0 at the +z pole to pi at the -z pole; phi around z.
    const Vec3 dir{dm::sin(theta) * dm::cos(phi), dm::sin(theta) * dm::sin(phi), dm::cos(theta)};
    const Vec3 p{centre.x + radii.x * dir.x, centre.y + radii.y * dir.y, centre.z + radii.z * dir.z};
    return shape ? shape(p, dir) : p;
  };
  auto position = [&](int row, int col) {
    return point(dm::kPi * row / rings, dm::kTwoPi * col / segments);
  };
  // Normals from the moved surface, by small parameter steps (poles use a step off the pole).
  constexpr double kStep = 1e-4;
  const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
  for (int row = 0; row <= rings; ++row) {
    for (int col = 0; col <= segments; ++col) {
      const double theta = dm::kPi * row / rings;
      const double phi = dm::kTwoPi * col / segments;
      const Vec3 p = position(row, col);
      Vec3 n;
      if (row == 0 || row == rings) {
        // The parameters collapse at a pole: take the mean normal of a small ring around it.
        const double t1 = row == 0 ? 0.02 : dm::kPi - 0.02;
        Vec3 sum;
        for (int k = 0; k < 8; ++k) {
          const double ph = dm::kTwoPi * k / 8;
          const Vec3 dt = point(t1 + kStep, ph) - point(t1 - kStep, ph);
          const Vec3 dp = point(t1, ph + kStep) - point(t1, ph - kStep);
          sum = sum + normalize(cross(dt, dp));
        }
        n = normalize(sum, row == 0 ? Vec3{0, 0, 1} : Vec3{0, 0, -1});
      } else {
        const Vec3 dt = point(theta + kStep, phi) - point(theta - kStep, phi);
        const Vec3 dp = point(theta, phi + kStep) - point(theta, phi - kStep);
        n = normalize(cross(dt, dp));
      }
      mesh.addVertex(p, n, {static_cast<double>(col) / segments, 1.0 - static_cast<double>(row) / rings});
    }
  }
  const int stride = segments + 1;
  for (int row = 0; row < rings; ++row) {
    for (int col = 0; col < segments; ++col) {
      const uint32_t a = base + row * stride + col, b = a + 1;
      const uint32_t c = a + stride, d = c + 1;
      // theta grows downward and phi counter-clockwise about z, so (a, c, d, b) faces outward.
      if (row != 0) mesh.addTriangle(a, c, b);
      if (row != rings - 1) mesh.addTriangle(b, c, d);
    }
  }
}

void addGrid(Mesh& mesh, int rows, int cols, const std::function<Vec3(int, int)>& position,
             const std::function<Vec2(int, int)>& uv, bool flip) {
  std::vector<Vec3> p(static_cast<size_t>(rows) * cols);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p[static_cast<size_t>(r) * cols + c] = position(r, c);
  auto at = [&](int r, int c) { return p[static_cast<size_t>(r) * cols + c]; };
  const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
  std::vector<Vec3> normals(p.size());
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const Vec3 dc = at(r, c < cols - 1 ? c + 1 : c) - at(r, c > 0 ? c - 1 : c);
      const Vec3 dr = at(r < rows - 1 ? r + 1 : r, c) - at(r > 0 ? r - 1 : r, c);
      normals[static_cast<size_t>(r) * cols + c] = cross(dc, dr) * (flip ? -1.0 : 1.0);
    }
  }
  // A collapsed row or column (a point) borrows the normal of its neighbour.
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      Vec3& n = normals[static_cast<size_t>(r) * cols + c];
      if (length(n) > 1e-12) continue;
      const int rn = r == 0 ? 1 : (r == rows - 1 ? rows - 2 : r);
      const int cn = c == 0 ? 1 : (c == cols - 1 ? cols - 2 : c);
      n = normals[static_cast<size_t>(rn) * cols + cn];
    }
  }
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) mesh.addVertex(at(r, c), normals[static_cast<size_t>(r) * cols + c], uv(r, c));
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < cols; ++c) {
      const uint32_t a = base + r * cols + c, b = a + 1, d = a + cols, e = d + 1;
      // Counter-clockwise about cross(d/dcol, d/drow): a -> b (along col) -> e -> d (along row).
      const uint32_t quad[4] = {a, b, e, d};
      for (const auto& tri : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
        const uint32_t i = quad[tri[0]], j = quad[tri[1]], k = quad[tri[2]];
        // Collapsed rows (a sail's head, a pennant's tip) would give zero-area triangles.
        if (length(cross(mesh.positions[j] - mesh.positions[i], mesh.positions[k] - mesh.positions[i])) < 1e-9) continue;
        if (flip) {
          mesh.addTriangle(i, k, j);
        } else {
          mesh.addTriangle(i, j, k);
        }
      }
    }
  }
}

void addSheet(Mesh& mesh, int rows, int cols, const std::function<Vec3(int, int)>& position,
              const std::function<Vec2(int, int)>& uv, double thickness) {
  // Offsets along the surface normal, estimated like addGrid does, keep the two sheets apart.
  std::vector<Vec3> p(static_cast<size_t>(rows) * cols), n(p.size());
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p[static_cast<size_t>(r) * cols + c] = position(r, c);
  auto at = [&](int r, int c) { return p[static_cast<size_t>(r) * cols + c]; };
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const Vec3 dc = at(r, c < cols - 1 ? c + 1 : c) - at(r, c > 0 ? c - 1 : c);
      const Vec3 dr = at(r < rows - 1 ? r + 1 : r, c) - at(r > 0 ? r - 1 : r, c);
      n[static_cast<size_t>(r) * cols + c] = normalize(cross(dc, dr), {0, 0, 0});
    }
  }
  const double h = thickness * 0.5;
  auto front = [&](int r, int c) { return at(r, c) + n[static_cast<size_t>(r) * cols + c] * h; };
  auto back = [&](int r, int c) { return at(r, c) - n[static_cast<size_t>(r) * cols + c] * h; };
  addGrid(mesh, rows, cols, front, uv, false);
  addGrid(mesh, rows, cols, back, uv, true);

  // The rim joins the sheets' edges, so the sheet is closed: seen edge-on it shows a thin band
  // instead of a gap, and a renderer may skip its back faces. The border is walked counter-clockwise
  // about the front's normal; a stretch where the border collapses to a point needs no band.
  std::vector<std::array<int, 2>> border;
  for (int c = 0; c + 1 < cols; ++c) border.push_back({0, c});
  for (int r = 0; r + 1 < rows; ++r) border.push_back({r, cols - 1});
  for (int c = cols - 1; c > 0; --c) border.push_back({rows - 1, c});
  for (int r = rows - 1; r > 0; --r) border.push_back({r, 0});
  for (size_t k = 0; k < border.size(); ++k) {
    const auto [pr, pc] = border[k];
    const auto [qr, qc] = border[(k + 1) % border.size()];
    const Vec3 frontP = front(pr, pc), frontQ = front(qr, qc), backP = back(pr, pc), backQ = back(qr, qc);
    if (length(at(qr, qc) - at(pr, pc)) < 1e-9) continue;
    // Where the sheet has no normal (a collapsed corner) its two sides meet and the band narrows to
    // a triangle there.
    const bool pointAtP = length(frontP - backP) < 1e-9, pointAtQ = length(frontQ - backQ) < 1e-9;
    if (pointAtP && pointAtQ) continue;
    const Vec3 out = normalize(cross(frontP - frontQ, (pointAtQ ? backP : backQ) - frontQ));
    const uint32_t a = mesh.addVertex(frontQ, out, uv(qr, qc)), b = mesh.addVertex(frontP, out, uv(pr, pc));
    const uint32_t c = mesh.addVertex(backP, out, uv(pr, pc)), d = mesh.addVertex(backQ, out, uv(qr, qc));
    if (!pointAtP) mesh.addTriangle(a, b, c);
    if (!pointAtQ) mesh.addTriangle(a, c, d);
  }
}

namespace {

// Newell's normal of a closed outline: its direction tells the winding.
Vec3 outlineNormal(const std::vector<Vec3>& points) {
  Vec3 n;
  for (size_t k = 0; k < points.size(); ++k) {
    const Vec3 a = points[k], b = points[(k + 1) % points.size()];
    n = n + Vec3{(a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y)};
  }
  return n;
}

// The outline, reversed if needed so that it winds counter-clockwise about `normal`.
std::vector<Vec3> facing(const std::vector<Vec3>& points, Vec3 normal) {
  if (dot(outlineNormal(points), normal) >= 0.0) return points;
  return std::vector<Vec3>(points.rbegin(), points.rend());
}

}  // namespace

void addPolygon(Mesh& mesh, const std::vector<Vec3>& outline, Vec3 normal, const std::function<Vec2(Vec3)>& uv) {
  if (outline.size() < 3) return;
  const std::vector<Vec3> points = facing(outline, normal);
  if (points.size() == 4) {
    // A convex quad needs no centre vertex.
    const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
    for (const Vec3& q : points) mesh.addVertex(q, normalize(normal), uv(q));
    mesh.addQuad(first, first + 1, first + 2, first + 3);
    return;
  }
  Vec3 centre;
  for (const Vec3& q : points) centre = centre + q;
  centre = centre * (1.0 / static_cast<double>(points.size()));
  const Vec3 n = normalize(normal);
  const uint32_t c = mesh.addVertex(centre, n, uv(centre));
  const uint32_t first = static_cast<uint32_t>(mesh.positions.size());
  for (const Vec3& q : points) mesh.addVertex(q, n, uv(q));
  const uint32_t count = static_cast<uint32_t>(points.size());
  for (uint32_t k = 0; k < count; ++k) mesh.addTriangle(c, first + k, first + (k + 1) % count);
}

void addSlab(Mesh& mesh, const std::vector<Vec3>& points, Vec3 normal, double thickness,
             const std::function<Vec2(Vec3)>& uv) {
  const Vec3 n = normalize(normal);
  const std::vector<Vec3> outline = facing(points, n);
  addPolygon(mesh, outline, n, uv);
  std::vector<Vec3> back;
  for (auto it = outline.rbegin(); it != outline.rend(); ++it) back.push_back(*it - n * thickness);
  addPolygon(mesh, back, -n, uv);
  const size_t count = outline.size();
  for (size_t k = 0; k < count; ++k) {
    const Vec3 a = outline[k], b = outline[(k + 1) % count];
    const Vec3 side = normalize(cross(b - a, n));
    const uint32_t i0 = mesh.addVertex(a, side, uv(a));
    const uint32_t i1 = mesh.addVertex(a - n * thickness, side, uv(a - n * thickness));
    const uint32_t i2 = mesh.addVertex(b - n * thickness, side, uv(b - n * thickness));
    const uint32_t i3 = mesh.addVertex(b, side, uv(b));
    mesh.addQuad(i0, i1, i2, i3);
  }
}
