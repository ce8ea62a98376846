// Sprites of the battle's effects, 64 x 64 each: red is how much the sprite covers (its alpha),
// green (and blue) its light. The demo builds its premultiplied sprite sheet from the two.
#include "det_math.h"
#include "textures.h"

namespace {

constexpr int kSpriteSize = 64;

// Centred coordinates: -1..1 across the sprite.
template <typename Shape>
Image makeSprite(Shape shape) {
  Image img(kSpriteSize, kSpriteSize);
  for (int y = 0; y < kSpriteSize; ++y) {
    for (int x = 0; x < kSpriteSize; ++x) {
      const double u = (x + 0.5) / kSpriteSize * 2.0 - 1.0, v = (y + 0.5) / kSpriteSize * 2.0 - 1.0;
      double cover = 0.0, light = 1.0;
      shape(u, v, cover, light);
      img.set(x, y, Color{cover, light, light});
    }
  }
  return img;
}

double radius(double u, double v) { return dm::sqrt(u * u + v * v); }

}  // namespace

// A billow of smoke: lumpy edge, thicker in the middle, lit from above, shadowed below.
Image makeSmokeSprite() {
  return makeSprite([](double u, double v, double& cover, double& light) {
    const double lumps = dm::fbm(u * 2.5 + 7.0, v * 2.5 + 3.0, 4, 71);
    const double r = radius(u, v) * (1.0 - 0.22 * lumps);
    cover = dm::smoothstep(0.95, 0.35, r) * (0.8 + 0.2 * dm::fbm(u * 6.0, v * 6.0, 3, 72));
    light = dm::clamp(0.78 + 0.22 * v + 0.08 * lumps, 0.0, 1.0);
  });
}

// Spray: a cluster of drops around a bright core.
Image makeSpraySprite() {
  return makeSprite([](double u, double v, double& cover, double& light) {
    const double r = radius(u, v);
    const double drops = dm::smoothstep(0.35, 0.75, dm::fbm(u * 9.0, v * 9.0, 2, 81) * 0.5 + 0.5);
    cover = dm::clamp(dm::smoothstep(0.9, 0.1, r) * 0.8 + drops * dm::smoothstep(1.0, 0.5, r) * 0.6, 0.0, 1.0);
    light = 1.0;
  });
}

// Foam on the water: a broken ring of streaks, thin in the middle where the water shows through.
Image makeFoamSprite() {
  return makeSprite([](double u, double v, double& cover, double& light) {
    const double r = radius(u, v);
    const double streaks = dm::smoothstep(-0.1, 0.45, dm::fbm(u * 5.0 + 11.0, v * 5.0, 4, 91));
    const double ring = dm::smoothstep(0.95, 0.7, r) * (0.35 + 0.65 * dm::smoothstep(0.2, 0.65, r));
    cover = ring * streaks;
    light = 0.92 + 0.08 * streaks;
  });
}

// A muzzle flash: a hot core and rays.
Image makeFlashSprite() {
  return makeSprite([](double u, double v, double& cover, double& light) {
    const double r = radius(u, v);
    const double angle = u == 0.0 && v == 0.0 ? 0.0 : dm::fbm(u / (r + 1e-9) * 3.0, v / (r + 1e-9) * 3.0, 2, 101);
    const double rays = dm::smoothstep(0.9 + 0.25 * angle, 0.0, r);
    cover = dm::clamp(dm::smoothstep(0.6, 0.0, r) + 0.6 * rays, 0.0, 1.0);
    light = cover;
  });
}

// A splinter: a thin ragged shard along the diagonal.
Image makeSplinterSprite() {
  return makeSprite([](double u, double v, double& cover, double& light) {
    const double along = (u + v) * 0.7071, across = (u - v) * 0.7071;
    const double width = 0.16 * (1.0 - along * along) + 0.04 * dm::fbm(along * 8.0, 0.0, 2, 111);
    cover = dm::smoothstep(width, width * 0.5, dm::sqrt(across * across)) * dm::smoothstep(1.0, 0.8, dm::sqrt(along * along));
    light = 0.75 + 0.25 * dm::smoothstep(0.0, 0.1, across);
  });
}

// A small feather: a vane on either side of the quill, curving a little.
Image makeFeatherSprite() {
  return makeSprite([](double u, double v, double& cover, double& light) {
    const double quill = u - 0.15 * v * v;
    const double halfWidth = 0.32 * dm::sqrt(dm::clamp(1.0 - v * v, 0.0, 1.0));
    const double vane = dm::smoothstep(halfWidth, halfWidth * 0.7, dm::sqrt(quill * quill));
    const double barbs = 0.8 + 0.2 * dm::sin((v * 18.0 + dm::sqrt(quill * quill) * 10.0));
    cover = vane * barbs * dm::smoothstep(1.0, 0.85, dm::sqrt(v * v));
    light = 0.85 + 0.15 * dm::smoothstep(0.05, 0.0, dm::sqrt(quill * quill));
  });
}
