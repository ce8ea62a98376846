// Software preview renderer: perspective camera, near-plane clipping, z-buffer, Gouraud colour and
// perspective-correct texture coordinates. Used only for the --preview pictures.
#include "preview.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "det_math.h"
#include "textures.h"

namespace {

constexpr double kNear = 0.5;

struct Camera {
  Vec3 eye, right, up, forward;
  double focal;  // pixels
  int width, height;

  Camera(Vec3 from, Vec3 to, double fovDegrees, int w, int h) : eye(from), width(w), height(h) {
    forward = normalize(to - from);
    const Vec3 worldUp = std::fabs(forward.z) > 0.99 ? Vec3{1, 0, 0} : Vec3{0, 0, 1};
    right = normalize(cross(forward, worldUp));
    up = cross(right, forward);
    focal = 0.5 * h / std::tan(0.5 * fovDegrees * dm::kPi / 180.0);
  }
  Vec3 toView(Vec3 p) const {
    const Vec3 d = p - eye;
    return {dot(d, right), dot(d, up), dot(d, forward)};
  }
};

struct ClipVertex {
  Vec3 view;  // camera space, z forward
  Vec2 uv;
  Color colour;
};

struct Target {
  Image image;
  std::vector<double> depth;
  Target(int w, int h) : image(w, h), depth(static_cast<size_t>(w) * h, std::numeric_limits<double>::infinity()) {}
};

ClipVertex lerpVertex(const ClipVertex& a, const ClipVertex& b, double t) {
  return {lerp(a.view, b.view, t), {a.uv.u + (b.uv.u - a.uv.u) * t, a.uv.v + (b.uv.v - a.uv.v) * t},
          mixColor(a.colour, b.colour, t)};
}

void rasterise(Target& target, const Camera& cam, const ClipVertex (&v)[3], const Image* texture) {
  struct Screen {
    double x, y, invZ;
  };
  Screen s[3];
  for (int k = 0; k < 3; ++k) {
    s[k].invZ = 1.0 / v[k].view.z;
    s[k].x = cam.width * 0.5 + v[k].view.x * cam.focal * s[k].invZ;
    s[k].y = cam.height * 0.5 + v[k].view.y * cam.focal * s[k].invZ;  // rows bottom-up
  }
  const double area = (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[2].x - s[0].x) * (s[1].y - s[0].y);
  if (std::fabs(area) < 1e-12) return;
  const int x0 = std::max(0, static_cast<int>(std::floor(std::min({s[0].x, s[1].x, s[2].x}))));
  const int x1 = std::min(cam.width - 1, static_cast<int>(std::ceil(std::max({s[0].x, s[1].x, s[2].x}))));
  const int y0 = std::max(0, static_cast<int>(std::floor(std::min({s[0].y, s[1].y, s[2].y}))));
  const int y1 = std::min(cam.height - 1, static_cast<int>(std::ceil(std::max({s[0].y, s[1].y, s[2].y}))));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      double w[3];
      w[0] = ((s[1].x - px) * (s[2].y - py) - (s[2].x - px) * (s[1].y - py)) / area;
      w[1] = ((s[2].x - px) * (s[0].y - py) - (s[0].x - px) * (s[2].y - py)) / area;
      w[2] = 1.0 - w[0] - w[1];
      if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;
      const double invZ = w[0] * s[0].invZ + w[1] * s[1].invZ + w[2] * s[2].invZ;
      const double z = 1.0 / invZ;
      double& depth = target.depth[static_cast<size_t>(y) * cam.width + x];
      if (z >= depth) continue;
      depth = z;
      // Perspective-correct weights.
      double pw[3];
      for (int k = 0; k < 3; ++k) pw[k] = w[k] * s[k].invZ * z;
      Color c = v[0].colour * pw[0] + v[1].colour * pw[1] + v[2].colour * pw[2];
      if (texture) {
        const double u = v[0].uv.u * pw[0] + v[1].uv.u * pw[1] + v[2].uv.u * pw[2];
        const double t = v[0].uv.v * pw[0] + v[1].uv.v * pw[1] + v[2].uv.v * pw[2];
        c = c + texture->sample(u, t);  // texture added to the lit colour
      }
      target.image.set(x, y, c);
    }
  }
}

void drawTriangle(Target& target, const Camera& cam, const ClipVertex (&tri)[3], const Image* texture) {
  // Clip against the near plane (Sutherland-Hodgman), then fan the result.
  std::vector<ClipVertex> poly;
  for (int k = 0; k < 3; ++k) {
    const ClipVertex& a = tri[k];
    const ClipVertex& b = tri[(k + 1) % 3];
    const bool aIn = a.view.z >= kNear, bIn = b.view.z >= kNear;
    if (aIn) poly.push_back(a);
    if (aIn != bIn) poly.push_back(lerpVertex(a, b, (kNear - a.view.z) / (b.view.z - a.view.z)));
  }
  for (size_t k = 1; k + 1 < poly.size(); ++k) {
    const ClipVertex fan[3] = {poly[0], poly[k], poly[k + 1]};
    rasterise(target, cam, fan, texture);
  }
}

// Fixed-function light: global ambient 0.3, one white directional light, infinite viewer.
Color lightVertex(const MaterialDef& m, Vec3 n, Vec3 toLight, Vec3 toEye) {
  const double diffuse = std::max(0.0, dot(n, toLight));
  const Vec3 halfway = normalize(toLight + toEye);
  const double specular = diffuse > 0.0 ? std::pow(std::max(0.0, dot(n, halfway)), std::max(1.0, m.shine)) : 0.0;
  return m.ambient * 0.3 + m.diffuse * diffuse + m.specular * specular;
}

void fillBackground(Target& target, Color top, Color bottom) {
  for (int y = 0; y < target.image.height; ++y) {
    const Color c = mixColor(bottom, top, static_cast<double>(y) / target.image.height);
    for (int x = 0; x < target.image.width; ++x) target.image.set(x, y, c);
  }
}

}  // namespace

Image renderModelPreview(const Model& model, const TextureSet& textures, Vec3 eye, Vec3 target, int width,
                         int height) {
  const Camera cam(eye, target, 40.0, width, height);
  Target out(width, height);
  fillBackground(out, {0.45, 0.62, 0.88}, {0.80, 0.86, 0.92});
  const Vec3 toLight = normalize({500.0, -500.0, 910.0});
  const Vec3 toEye = normalize(eye - target);
  for (const Mesh& mesh : model.meshes) {
    MaterialDef material{"wire", mesh.wireColor, mesh.wireColor, {0, 0, 0}, 0.0, "NONE"};
    if (mesh.material >= 0) material = model.materials[static_cast<size_t>(mesh.material)];
    const Image* texture = nullptr;
    if (material.bitmap != "NONE") {
      auto it = textures.find(material.bitmap);
      if (it != textures.end()) texture = &it->second;
    }
    for (const auto& f : mesh.faces) {
      ClipVertex tri[3];
      for (int k = 0; k < 3; ++k) {
        const uint32_t i = f[static_cast<size_t>(k)];
        tri[k] = {cam.toView(mesh.positions[i]), mesh.uvs[i], lightVertex(material, mesh.normals[i], toLight, toEye)};
      }
      drawTriangle(out, cam, tri, texture);
    }
  }
  // The sea hides what lies under the waterline, as in the demo.
  const double r = 2000.0;
  const Color sea{0.10, 0.28, 0.45};
  const Vec3 corners[4] = {{-r, -r, 0}, {r, -r, 0}, {r, r, 0}, {-r, r, 0}};
  for (int k = 0; k < 2; ++k) {
    const Vec3 a = corners[0], b = corners[k + 1], c = corners[k + 2];
    const ClipVertex tri[3] = {{cam.toView(a), {0, 0}, sea}, {cam.toView(b), {0, 0}, sea}, {cam.toView(c), {0, 0}, sea}};
    drawTriangle(out, cam, tri, nullptr);
  }
  return out.image;
}

Image renderDomePreview(const Image& dome, Vec3 direction, double fovDegrees, int width, int height) {
  // Eye 40 units above the sea, the dome's centre 17 below it: as in the demo, nearly centred.
  constexpr double kRadius = 950.0;
  const Vec3 eye{0.0, 0.0, 57.0};
  const Camera cam(eye, eye + direction, fovDegrees, width, height);
  Target out(width, height);
  fillBackground(out, {0, 0, 0}, {0, 0, 0});
  const Color base{kDomeBaseR, kDomeBaseG, kDomeBaseB};
  struct Strip {
    double thetaA, thetaB, s0, tSign;
  };
  const Strip strips[8] = {{-90, -45, 0.0, -1}, {-45, 0, 0.25, -1},    {0, 45, 0.5, -1},    {45, 90, 0.75, -1},
                           {-90, -135, 0.0, 1}, {-135, -180, 0.25, 1}, {180, 135, 0.5, 1}, {135, 90, 0.75, 1}};
  auto point = [&](double thetaDeg, int ring) {
    const double el = (90.0 - 22.5 * ring) * dm::kPi / 180.0, th = thetaDeg * dm::kPi / 180.0;
    return Vec3{kRadius * std::cos(el) * std::cos(th), kRadius * std::cos(el) * std::sin(th), kRadius * std::sin(el)};
  };
  for (const Strip& s : strips) {
    // Triangle strip: Z, then (A_e, B_e) for rings 1..4.
    std::vector<ClipVertex> v;
    v.push_back({cam.toView(point(0, 0)), {s.s0 + 0.125, 0.5}, base});
    for (int e = 1; e <= 4; ++e) {
      const double t = 0.5 + s.tSign * 0.125 * e;
      v.push_back({cam.toView(point(s.thetaA, e)), {s.s0, t}, base});
      v.push_back({cam.toView(point(s.thetaB, e)), {s.s0 + 0.25, t}, base});
    }
    for (size_t k = 0; k + 2 < v.size(); ++k) {
      const ClipVertex tri[3] = {v[k], v[k + 1], v[k + 2]};
      drawTriangle(out, cam, tri, &dome);
    }
  }
  return out.image;
}

namespace {

void fft(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const double ang = -2.0 * dm::kPi / static_cast<double>(len);
    const std::complex<double> step(std::cos(ang), std::sin(ang));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w(1.0, 0.0);
      for (size_t k = 0; k < len / 2; ++k) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= step;
      }
    }
  }
}

}  // namespace

Image renderSoundPreview(const Samples& samples, int width, int height) {
  Image img(width, height);
  const int waveHeight = height / 4;
  const int specHeight = height - waveHeight;
  const size_t n = samples.size();
  for (int x = 0; x < width; ++x) {
    const size_t a = n * static_cast<size_t>(x) / width, b = std::max(a + 1, n * static_cast<size_t>(x + 1) / width);
    double lo = 0.0, hi = 0.0;
    for (size_t i = a; i < b && i < n; ++i) {
      lo = std::min(lo, samples[i]);
      hi = std::max(hi, samples[i]);
    }
    for (int y = 0; y < waveHeight; ++y) {
      const double v = (static_cast<double>(y) / waveHeight) * 2.0 - 1.0;
      img.set(x, specHeight + y, v >= lo && v <= hi ? Color{0.9, 0.9, 0.5} : Color{0.1, 0.1, 0.15});
    }
    // Spectrum of a Hann-windowed 2048-sample frame centred on this column.
    constexpr size_t kFrame = 2048;
    std::vector<std::complex<double>> frame(kFrame);
    const size_t centre = (a + b) / 2;
    for (size_t k = 0; k < kFrame; ++k) {
      const size_t i = centre + k;
      const double window = 0.5 - 0.5 * std::cos(2.0 * dm::kPi * k / kFrame);
      frame[k] = (i >= kFrame / 2 && i - kFrame / 2 < n) ? samples[i - kFrame / 2] * window : 0.0;
    }
    fft(frame);
    for (int y = 0; y < specHeight; ++y) {
      const size_t bin = static_cast<size_t>(static_cast<double>(y) / specHeight * (kFrame / 4));  // up to 11 kHz
      const double db = 20.0 * std::log10(std::abs(frame[bin]) + 1e-9);
      const double level = dm::clamp((db + 40.0) / 80.0, 0.0, 1.0);
      img.set(x, y, {level, level * level, 0.3 * (1.0 - level) + level * level * level});
    }
  }
  return img;
}
