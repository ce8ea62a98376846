// Drawing of the effects: the sprite sheet, and every living particle as a blended quad, back to
// front, in the view the frame pass has set up.
#include <algorithm>
#include <array>
#include <cmath>  // Required for: cos(), sin(), sqrt()
#include <string>

#include "assets/bmp_image.h"
#include "camera/camera_rig.h"  // Required for: mirrorView()
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "drawing/shader_layer.h"  // Required for: shaderCurrentModelViewProjection()
#include "effects/effects.h"
#include "water/reflection_cover.h"

namespace {

// The sheet: the six sprites side by side in two rows of 64 x 64 texels, in the order of Sprite.
constexpr int kCell = 64;
constexpr int kSheetColumns = 4;
constexpr int kSheetWidth = kCell * kSheetColumns, kSheetHeight = kCell * 2;
const char* const kSpriteFiles[kSpriteCount] = {"smoke.bmp", "spray.bmp", "foam.bmp",
                                                "flash.bmp", "splinter.bmp", "feather.bmp"};

unsigned int g_spriteSheet = 0;

constexpr float kNearGone = 70.0f;    // world units from the eye: nearer particles are not drawn
constexpr float kNearClear = 200.0f;  // farther ones show at full strength
// Largest half edge of a quad per world unit of distance: a quarter of the view's height (45 degrees).
constexpr float kMaxViewShare = 0.1f;
constexpr float kFaintest = 0.05f;  // opacity below which a particle is not drawn

// Vertex arrays of one draw; filled anew in each pass.
struct Corner {
  float x, y, z;
  float u, v;
  float r, g, b, a;
};
constexpr int kCornersPerParticle = 4;
std::array<Corner, ParticlePool::kCapacity * kCornersPerParticle> g_corners;
std::array<std::pair<float, int>, ParticlePool::kCapacity> g_order;  // distance squared, slot

// Cells of the water plane that gather the boxes given to the reflection's cover, so the sea reads
// the mirrored image around each group of particles rather than over one box spanning them all.
constexpr float kCoverCell = 250.0f;  // world units
constexpr int kCoverCells = 12;       // per axis, over -1500..1500
struct CoverBox {
  bool used;
  std::array<float, 3> low, high;
};
std::array<CoverBox, kCoverCells * kCoverCells> g_coverBoxes;

// The sprite's cover (alpha) from the file's red channel and its light from the green one, into
// the sheet's RGBA cell premultiplied. A file that did not load leaves its cell solid white.
void fillCell(std::array<uint8_t, kSheetWidth * kSheetHeight * 4>& sheet, int sprite, const RgbImage* image) {
  const int cellX = (sprite % kSheetColumns) * kCell, cellY = (sprite / kSheetColumns) * kCell;
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      uint8_t* texel = &sheet[((cellY + y) * kSheetWidth + cellX + x) * 4];
      if (image == nullptr || image->width <= 0 || image->height <= 0) {
        std::fill(texel, texel + 4, 255);
        continue;
      }
      const int sx = x * image->width / kCell, sy = y * image->height / kCell;
      const uint8_t* source = &image->pixels[(static_cast<size_t>(sy) * image->width + sx) * 3];
      const int cover = source[0], light = source[1];
      const uint8_t premultiplied = static_cast<uint8_t>(light * cover / 255);
      texel[0] = texel[1] = texel[2] = premultiplied;
      texel[3] = static_cast<uint8_t>(cover);
    }
  }
}

struct Vec {
  float x, y, z;
};
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec normalised(Vec a) {
  const float length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return length > 0.0f ? Vec{a.x / length, a.y / length, a.z / length} : Vec{0.0f, 0.0f, 1.0f};
}

// What the sea mirrors: the smoke and the flashes above it. Foam lies on the surface, and spray,
// splinters and feathers are too small to show through the ripples.
bool mirrored(const Particle& p) {
  return (p.flags & kLiesOnSea) == 0 && (p.sprite == Sprite::Smoke || p.sprite == Sprite::Flash);
}

// How strongly a particle shows at its age: a quick rise, then a fade to nothing at its end.
float strength(const Particle& p) {
  const float t = p.age / p.life;
  const float rise = (p.flags & kGlows) != 0 ? 1.0f : std::min(1.0f, p.age / std::min(0.3f, 0.12f * p.life));
  return rise * (1.0f - t * t);
}

// Size grows fast at first and settles, as smoke and foam spread.
float size(const Particle& p) {
  const float t = p.age / p.life;
  return p.size0 + (p.size1 - p.size0) * (1.0f - (1.0f - t) * (1.0f - t));
}

void addToCoverCell(float x, float y, const std::array<float, 3>& low, const std::array<float, 3>& high) {
  const int cx = std::clamp(static_cast<int>((x + 1500.0f) / kCoverCell), 0, kCoverCells - 1);
  const int cy = std::clamp(static_cast<int>((y + 1500.0f) / kCoverCell), 0, kCoverCells - 1);
  CoverBox& box = g_coverBoxes[cy * kCoverCells + cx];
  if (!box.used) {
    box = CoverBox{true, low, high};
    return;
  }
  for (int axis = 0; axis < 3; ++axis) {
    box.low[axis] = std::min(box.low[axis], low[axis]);
    box.high[axis] = std::max(box.high[axis], high[axis]);
  }
}

}  // namespace

void loadEffectSprites() {
  static std::array<uint8_t, kSheetWidth * kSheetHeight * 4> sheet;
  for (int sprite = 0; sprite < kSpriteCount; ++sprite) {
    const std::string path = std::string("../data/textures/") + kSpriteFiles[sprite];
    const std::unique_ptr<RgbImage> image = loadDib(path.c_str());
    fillCell(sheet, sprite, image.get());
  }
  if (g_spriteSheet == 0) glGenTextures(1, &g_spriteSheet);
  gfxBindTexture(GL_TEXTURE_2D, g_spriteSheet);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSheetWidth, kSheetHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, sheet.data());
  gfxBindTexture(GL_TEXTURE_2D, 0);
}

void releaseEffectSprites() {
  if (g_spriteSheet != 0) gfxDeleteTexture(g_spriteSheet);
  g_spriteSheet = 0;
}

void drawEffects(ViewPass pass, ReflectionCover* cover) {
  if (!g_effectsOn || g_particles.living() == 0) return;
  const ViewVectors normal{g_viewEye, g_viewTarget, g_viewUp};
  const ViewVectors view = pass == ViewPass::Reflection ? mirrorView(normal) : normal;
  const Vec eye{view.eye.x, view.eye.y, view.eye.z};
  const Vec forward = normalised({view.target.x - eye.x, view.target.y - eye.y, view.target.z - eye.z});
  const Vec right = normalised(cross(forward, {view.up.x, view.up.y, view.up.z}));
  const Vec up = cross(right, forward);

  // Back to front: the farthest first. Foam lies on the sea, so the mirrored view has none.
  int count = 0;
  for (int i = 0; i < ParticlePool::kCapacity; ++i) {
    if (!g_particles.alive(i)) continue;
    Particle& p = g_particles[i];
    if (pass == ViewPass::Reflection && !mirrored(p)) continue;
    const float z = (p.flags & kLiesOnSea) != 0 ? seaHeightAt(p.x, p.y) + p.z : p.z;
    const float dx = p.x - eye.x, dy = p.y - eye.y, dz = z - eye.z;
    const float distanceSquared = dx * dx + dy * dy + dz * dz;
    if (distanceSquared > kNearGone * kNearGone) g_order[count++] = {distanceSquared, i};
  }
  std::sort(g_order.begin(), g_order.begin() + count, [](const auto& a, const auto& b) { return a.first > b.first; });

  if (cover != nullptr) for (CoverBox& box : g_coverBoxes) box.used = false;
  int corners = 0;
  for (int k = 0; k < count; ++k) {
    const Particle& p = g_particles[g_order[k].second];
    const bool flat = (p.flags & kLiesOnSea) != 0;
    const float cx = p.x, cy = p.y, cz = flat ? seaHeightAt(p.x, p.y) + p.z : p.z;
    const float distance = std::sqrt(g_order[k].first);
    // Close to the eye a particle would cover much of the picture, and blending is paid per pixel:
    // it fades out as the eye nears it, and no quad grows beyond a quarter of the view's height.
    const float nearness = std::clamp((distance - kNearGone) / (kNearClear - kNearGone), 0.0f, 1.0f);
    const float half = std::min(0.5f * size(p), kMaxViewShare * distance);
    const float c = std::cos(p.spin) * half, s = std::sin(p.spin) * half;
    // The quad's two half-axes: turned by the spin, in the view plane or on the sea.
    const Vec a = flat ? Vec{c, s, 0.0f} : Vec{c * right.x + s * up.x, c * right.y + s * up.y, c * right.z + s * up.z};
    const Vec b = flat ? Vec{-s, c, 0.0f} : Vec{-s * right.x + c * up.x, -s * right.y + c * up.y, -s * right.z + c * up.z};
    const float alpha = strength(p) * p.opacity * nearness;
    if (alpha < kFaintest) continue;  // its last moments cost as much fill as its first
    // The sea takes any colour in the mirrored image as a mirrored object and mixes it in by the
    // angle of view alone: thin smoke kept at alpha times its colour would darken the sea. Brighter
    // there, it lightens the water as the smoke above it does.
    const float shade = pass == ViewPass::Reflection ? std::sqrt(alpha) : alpha;
    const float r = p.r * shade, g = p.g * shade, bl = p.b * shade;
    const float coverage = (p.flags & kGlows) != 0 ? 0.0f : alpha;
    const int cell = static_cast<int>(p.sprite);
    const float u0 = ((cell % kSheetColumns) * kCell + 1.0f) / kSheetWidth;
    const float u1 = ((cell % kSheetColumns + 1) * kCell - 1.0f) / kSheetWidth;
    const float v0 = ((cell / kSheetColumns) * kCell + 1.0f) / kSheetHeight;
    const float v1 = ((cell / kSheetColumns + 1) * kCell - 1.0f) / kSheetHeight;
    const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
    for (int c = 0; c < kCornersPerParticle; ++c) {
      const float sa = corner[c][0], sb = corner[c][1];
      g_corners[corners++] = {cx + sa * a.x + sb * b.x, cy + sa * a.y + sb * b.y, cz + sa * a.z + sb * b.z,
                              us[c], vs[c], r, g, bl, coverage};
    }
    if (cover != nullptr) addToCoverCell(cx, cy, {cx - half, cy - half, cz - half}, {cx + half, cy + half, cz + half});
  }
  if (cover != nullptr) {
    float clipFromObject[16];
    shaderCurrentModelViewProjection(clipFromObject);
    for (const CoverBox& box : g_coverBoxes) {
      if (box.used) cover->addBox(clipFromObject, box.low, box.high);
    }
  }

  // Premultiplied colours: covering sprites blend over the picture, glowing ones (coverage 0) add.
  // The state is put back by hand: the scene's is known (lit, depth written, no blending), and
  // saving it all costs a software renderer more than the little drawn here.
  GLint environment = GL_ADD;
  gfxGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
  const unsigned int texture = gfxBoundTexture();
  const bool lit = gfxIsEnabled(GL_LIGHTING), culled = gfxIsEnabled(GL_CULL_FACE), textured = gfxIsEnabled(GL_TEXTURE_2D);
  gfxDisable(GL_LIGHTING);
  gfxDisable(GL_CULL_FACE);
  gfxEnable(GL_DEPTH_TEST);
  gfxDepthMask(false);
  gfxEnable(GL_BLEND);
  gfxBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  gfxEnable(GL_TEXTURE_2D);
  gfxBindTexture(GL_TEXTURE_2D, g_spriteSheet);
  gfxTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  gfxEnableClientState(GL_VERTEX_ARRAY);
  gfxEnableClientState(GL_TEXTURE_COORD_ARRAY);
  gfxEnableClientState(GL_COLOR_ARRAY);
  gfxDisableClientState(GL_NORMAL_ARRAY);
  gfxVertexPointer(3, GL_FLOAT, sizeof(Corner), &g_corners[0].x);
  gfxTexCoordPointer(2, GL_FLOAT, sizeof(Corner), &g_corners[0].u);
  gfxColorPointer(4, GL_FLOAT, sizeof(Corner), &g_corners[0].r);
  gfxDrawArrays(GL_QUADS, 0, corners);
  gfxDisableClientState(GL_COLOR_ARRAY);
  gfxDisableClientState(GL_TEXTURE_COORD_ARRAY);
  gfxDisableClientState(GL_VERTEX_ARRAY);
  gfxColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  gfxTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
  gfxBindTexture(GL_TEXTURE_2D, texture);
  if (!textured) gfxDisable(GL_TEXTURE_2D);
  gfxBlendFunc(GL_ONE, GL_ZERO);
  gfxDisable(GL_BLEND);
  gfxDepthMask(true);
  if (culled) gfxEnable(GL_CULL_FACE);
  if (lit) gfxEnable(GL_LIGHTING);
}
