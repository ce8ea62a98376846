// The sky dome fold-out and the water's ripple normal map.
#include "det_math.h"
#include "sky/sky_colours.h"
#include "textures.h"

namespace {

// The dome's eight strips: azimuth range (degrees) and the texture column they start at. Strips 0-3
// hold the +x half with t falling from 0.5 (zenith) to 0 (horizon); 4-7 the -x half, t rising to 1.
struct DomeStrip {
  double thetaA, thetaB, s0;
};
constexpr DomeStrip kUpperStrips[4] = {{-90, -45, 0.0}, {-45, 0, 0.25}, {0, 45, 0.5}, {45, 90, 0.75}};
constexpr DomeStrip kLowerStrips[4] = {{-90, -135, 0.0}, {-135, -180, 0.25}, {180, 135, 0.5}, {135, 90, 0.75}};
constexpr double kRingStep = 0.125;  // t per ring
constexpr double kRingElevationStep = 22.5;  // degrees per ring

Vec3 ringPoint(double thetaDeg, int ring) {
  // Ring 0 is the zenith; ring 4 the horizon.
  const double elevation = (90.0 - kRingElevationStep * ring) * dm::kPi / 180.0;
  const double theta = thetaDeg * dm::kPi / 180.0;
  return {dm::cos(elevation) * dm::cos(theta), dm::cos(elevation) * dm::sin(theta), dm::sin(elevation)};
}

}  // namespace

Vec3 domeDirection(double s, double t) {
  // Undo the strips' linear texture mapping: find the texel's triangle and its barycentric
  // coordinates there, then take the same blend of the triangle's corners on the sphere. Texels
  // outside every triangle (beside the zenith) take the colour of the nearest triangle edge, so
  // filtering across that edge blends like colours.
  const bool upper = t < 0.5;
  const int column = static_cast<int>(dm::clamp(dm::floor(s * 4.0), 0.0, 3.0));
  const DomeStrip& strip = upper ? kUpperStrips[column] : kLowerStrips[column];
  double sigma = (s - strip.s0) / 0.25;                             // 0 at thetaA, 1 at thetaB
  const double depth = (upper ? 0.5 - t : t - 0.5) / kRingStep;     // 0 at zenith, 4 at horizon
  Vec3 p;
  if (depth <= 1.0) {
    // Zenith triangle (Z, A1, B1), Z at sigma 0.5; its sides are sigma = 0.5 -+ 0.5 * depth.
    sigma = dm::clamp(sigma, 0.5 - 0.5 * depth, 0.5 + 0.5 * depth);
    const Vec3 z = ringPoint(0.0, 0), a1 = ringPoint(strip.thetaA, 1), b1 = ringPoint(strip.thetaB, 1);
    p = z * (1.0 - depth) + a1 * depth + (b1 - a1) * (sigma - 0.5 + 0.5 * depth);
  } else {
    const int ring = static_cast<int>(dm::clamp(dm::floor(depth), 1.0, 3.0));
    const double tau = depth - ring;
    const Vec3 a0 = ringPoint(strip.thetaA, ring), b0 = ringPoint(strip.thetaB, ring);
    const Vec3 a1 = ringPoint(strip.thetaA, ring + 1), b1 = ringPoint(strip.thetaB, ring + 1);
    // The strip's quad splits along the diagonal from B of the upper ring to A of the lower ring.
    if (sigma + tau <= 1.0) {
      p = a0 + (b0 - a0) * sigma + (a1 - a0) * tau;
    } else {
      p = b1 + (a1 - b1) * (1.0 - sigma) + (b0 - b1) * (1.0 - tau);
    }
  }
  return normalize(p);
}

Color skyColor(Vec3 d) {
  const double h = dm::clamp(d.z, 0.0, 1.0);
  const Color zenith{kSkyZenith[0], kSkyZenith[1], kSkyZenith[2]}, horizon{0.70, 0.80, 0.92};
  Color sky = mixColor(zenith, horizon, dm::pow(1.0 - h, 2.5));
  // The sun sits where the scene's light comes from.
  const Vec3 sun = normalize({500.0, -500.0, 910.0});
  const double cosSun = dm::clamp(dot(d, sun), 0.0, 1.0);
  const Color sunlight{1.0, 0.92, 0.75};
  sky = sky + sunlight * (0.15 * dm::pow(cosSun, 8.0) + 0.6 * dm::pow(cosSun, 400.0));
  // Clouds: noise on a flat layer overhead, thinning out toward the horizon where the layer's
  // projection would squeeze them into streaks.
  const double fade = dm::smoothstep(0.03, 0.35, h);
  if (fade > 0.0) {
    const double k = 1.3 / (h + 0.12);
    const double cx = d.x * k, cy = d.y * k;
    const double n = dm::fbm(cx * 1.4 + 5.3, cy * 1.4 - 2.1, 5, 707);
    const double cover = dm::smoothstep(0.02, 0.40, n) * fade;
    const double body = dm::fbm(cx * 3.0 - 1.1, cy * 3.0 + 4.2, 4, 708);
    const Color bright{0.96, 0.96, 0.97}, shaded{0.66, 0.69, 0.76};
    Color cloud = mixColor(bright, shaded, dm::clamp(0.45 + body * 1.2, 0.0, 1.0));
    cloud = cloud + sunlight * (0.15 * dm::pow(cosSun, 4.0));
    sky = mixColor(sky, cloud, cover * 0.9);
  }
  // Haze at the horizon, and below the lowest two degrees exactly the colour the sea's haze ends in,
  // so that the sea's far edge melts into the dome.
  const Color haze{0.76, 0.82, 0.88};
  sky = mixColor(sky, haze, 0.6 * (1.0 - dm::smoothstep(0.0, 0.12, h)));
  const Color seaHaze{kSkyHorizon[0], kSkyHorizon[1], kSkyHorizon[2]};
  return mixColor(sky, seaHaze, 1.0 - dm::smoothstep(0.0, 0.035, h));
}

Image makeDome() {
  // Texture columns s = 0 (toward -y) and s = 1 (toward +y) sit side by side under the repeating
  // wrap, so the strips' edges there blend the two. Near those two meridians the sky is made
  // symmetric between -y and +y: both columns then hold the same colours and no seam shows.
  constexpr double kMeridianBlend = 0.35; // sine of the blend zone's width beside the meridian
  Image img(256, 256);
  const Color base{kDomeBaseR, kDomeBaseG, kDomeBaseB};
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      // The outermost columns hold the meridians themselves (s = 0 and 1), where the strips' edges
      // and the wrap-around filtering sample them.
      const double s = x == 0 ? 0.0 : (x == img.width - 1 ? 1.0 : (x + 0.5) / img.width);
      const double t = (y + 0.5) / img.height;
      const Vec3 d = domeDirection(s, t);
      const double horizontal = dm::sqrt(d.x * d.x + d.y * d.y);
      const double offMeridian = horizontal > 1e-9 ? (d.x < 0 ? -d.x : d.x) / horizontal : 1.0;
      const double w = 0.5 * (1.0 - dm::smoothstep(0.0, kMeridianBlend, offMeridian));
      const Color c = mixColor(skyColor(d), skyColor({d.x, -d.y, d.z}), w);
      img.set(x, y, c - base);
    }
  }
  return img;
}

Image makeBumpMap() {
  // Heights from a sum of plane waves whose wave vectors are whole numbers of cycles per tile, plus
  // periodic noise; slopes by central differences with wrap-around, so the tile repeats seamlessly.
  constexpr int kSize = 256;
  constexpr int kWaves = 16;
  constexpr double kSlopeScale = 0.1;  // gives a mean tilt of about 15 degrees
  dm::Rng rng(0xB0B5EA);
  struct Wave {
    int kx, ky;
    double amplitude, phase;
  };
  std::vector<Wave> waves;
  while (static_cast<int>(waves.size()) < kWaves) {
    const int kx = rng.range(-9, 9), ky = rng.range(-9, 9);
    const double k = dm::sqrt(static_cast<double>(kx * kx + ky * ky));
    if (k < 2.0 || k > 9.5) continue;
    waves.push_back({kx, ky, rng.uniform(0.6, 1.0) / (k * k), rng.uniform(0.0, dm::kTwoPi)});
  }
  std::vector<double> height(static_cast<size_t>(kSize) * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double u = static_cast<double>(x) / kSize, v = static_cast<double>(y) / kSize;
      double h = 0.0;
      for (const Wave& w : waves) h += w.amplitude * dm::sin(dm::kTwoPi * (w.kx * u + w.ky * v) + w.phase);
      h += 0.004 * dm::periodicFbm(u * 16.0, v * 16.0, 16, 3, 909);
      height[static_cast<size_t>(y) * kSize + x] = h;
    }
  }
  auto at = [&](int x, int y) {
    return height[static_cast<size_t>((y + kSize) % kSize) * kSize + static_cast<size_t>((x + kSize) % kSize)];
  };
  Image img(kSize, kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      // Slopes per texture unit; the scale sets how far the normals lean.
      const double dx = (at(x + 1, y) - at(x - 1, y)) * kSize * 0.5;
      const double dy = (at(x, y + 1) - at(x, y - 1)) * kSize * 0.5;
      const Vec3 n = normalize({-dx * kSlopeScale, -dy * kSlopeScale, 1.0});
      img.set(x, y, {n.x * 0.5 + 0.5, n.y * 0.5 + 0.5, n.z * 0.5 + 0.5});
    }
  }
  return img;
}
