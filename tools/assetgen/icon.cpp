// The program's icon: the frigate on the sea under the sky, rendered large and reduced to the
// hicolor theme's sizes, so that small sizes stay smooth.
#include "icon.h"

#include "models.h"
#include "preview.h"

namespace {

constexpr int kOversample = 4;  // rendered pixels per icon pixel along each axis

// Mean of each kOversample x kOversample block.
Image reduce(const Image& big, int size) {
  Image small(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Color sum;
      for (int dy = 0; dy < kOversample; ++dy)
        for (int dx = 0; dx < kOversample; ++dx) sum = sum + big.get(x * kOversample + dx, y * kOversample + dy);
      small.set(x, y, sum * (1.0 / (kOversample * kOversample)));
    }
  }
  return small;
}

}  // namespace

Image renderIcon(const Model& ship, const TextureSet& textures, int size) {
  // A three-quarter view from the bow, a little above the rail, with the masts in the frame.
  const Vec3 target{0.0, -kShipType1YShift, 95.0};
  const Vec3 eye = target + Vec3{-330.0, 250.0, 40.0};
  return reduce(renderModelPreview(ship, textures, eye, target, size * kOversample, size * kOversample), size);
}
