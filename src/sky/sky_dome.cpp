// Sky dome: the strip table of the textured hemisphere and its display list g_skyList.
#include "sky/sky_dome.h"

#include <cassert>
#include <cmath>  // Required for: std::sin, std::sqrt

#include "assets/gl_state.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "platform/angles.h"
#include "water/water_surface.h"  // Required for: g_waveAmplitude

unsigned int g_domeTexture = 0;
unsigned int g_skyList = 0;

namespace {

constexpr float kRimBelowTrough = 15.0f;  // world units between the lowest wave trough and the rim
constexpr float kRingTStep = 0.125f;      // texture t per ring, away from the zenith row t = 0.5
constexpr float kStripSWidth = 0.25f;     // texture s per strip

// One wedge: its two edge azimuths in steps of 45 degrees from +x toward +y, the texture column it
// starts at, and whether its rings run toward t = 0 (the +x half) or t = 1 (the -x half).
struct StripRow {
  int azimuthA;
  int azimuthB;
  float s0;
  float tDirection;
};

constexpr StripRow kStrips[kSkyStripCount] = {
    {-2, -1, 0.00f, -1.0f},  // -90 .. -45
    {-1, 0, 0.25f, -1.0f},   // -45 .. 0
    {0, 1, 0.50f, -1.0f},    // 0 .. 45
    {1, 2, 0.75f, -1.0f},    // 45 .. 90
    {-2, -3, 0.00f, 1.0f},   // -90 .. -135
    {-3, 4, 0.25f, 1.0f},    // -135 .. 180
    {4, 3, 0.50f, 1.0f},     // 180 .. 135
    {3, 2, 0.75f, 1.0f},     // 135 .. 90
};

// Unit direction of an azimuth given in steps of 45 degrees. Axis points get exact zeros (a sine of
// 180 degrees computed in floating point would not be 0).
void azimuthDirection(int step, double& cx, double& cy) {
  const double half = std::sqrt(2.0) * 0.5;
  static const double kCos[8] = {1.0, half, 0.0, -half, -1.0, -half, 0.0, half};
  static const double kSin[8] = {0.0, half, 1.0, half, 0.0, -half, -1.0, -half};
  const int octant = ((step % 8) + 8) % 8;
  cx = kCos[octant];
  cy = kSin[octant];
}

}  // namespace

float skyDomeCentreZ(int waveAmplitude) {
  return -static_cast<float>(waveAmplitude) - kRimBelowTrough;
}

std::array<SkyVertex, kSkyStripCount * kSkyStripVertices> skyDomeVertices() {
  const double radius = kSkyDomeRadius;
  // Ring e (1..4) lies at elevation 90 - 22.5 e degrees; its horizontal radius is the sine of the
  // complementary angle 22.5 e.
  double ringHeight[5] = {radius, 0.0, 0.0, 0.0, 0.0};
  double ringRadius[5] = {0.0, 0.0, 0.0, 0.0, radius};
  for (int e = 1; e <= 3; ++e) {
    ringHeight[e] = radius * std::sin((90.0 - 22.5 * e) * kDegreesToRadians);
    ringRadius[e] = radius * std::sin(22.5 * e * kDegreesToRadians);
  }

  std::array<SkyVertex, kSkyStripCount * kSkyStripVertices> table{};
  int n = 0;
  for (const StripRow& strip : kStrips) {
    double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0;
    azimuthDirection(strip.azimuthA, ax, ay);
    azimuthDirection(strip.azimuthB, bx, by);
    table[n++] = {strip.s0 + 0.5f * kStripSWidth, 0.5f, 0.0f, 0.0f, static_cast<float>(radius)};
    for (int e = 1; e <= 4; ++e) {
      const float t = 0.5f + strip.tDirection * kRingTStep * static_cast<float>(e);
      const float z = static_cast<float>(ringHeight[e]);
      table[n++] = {strip.s0, t, static_cast<float>(ringRadius[e] * ax),
                    static_cast<float>(ringRadius[e] * ay), z};
      table[n++] = {strip.s0 + kStripSWidth, t, static_cast<float>(ringRadius[e] * bx),
                    static_cast<float>(ringRadius[e] * by), z};
    }
  }
  assert(n == static_cast<int>(table.size()) && "the strip rows fill the vertex table exactly");
  return table;
}

void releaseSkyDome() {
  if (g_skyList != 0) gfxDeleteLists(g_skyList, 1);
  g_skyList = 0;
}

void buildSkyDome() {
  // The dome's lit colour is the global ambient light times its ambient colour only: light 0 is
  // off inside the list. The texture environment (GL_ADD) then adds the dome picture to it.
  static const GLfloat kDomeColor[4] = {0.8f, 0.8f, 1.0f, 1.0f};
  const std::array<SkyVertex, kSkyStripCount * kSkyStripVertices> table = skyDomeVertices();

  g_skyList = gfxGenLists(1);
  gfxNewList(g_skyList, GL_COMPILE);
  gfxPushMatrix();
  gfxTranslatef(0.0f, 0.0f, skyDomeCentreZ(g_waveAmplitude));
  gfxDisable(GL_LIGHT0);
  gfxBindTexture(GL_TEXTURE_2D, g_domeTexture);
  resetTextureWrap();
  setFlatMaterial(GL_FRONT, kDomeColor);
  for (int strip = 0; strip < kSkyStripCount; ++strip) {
    gfxBegin(GL_TRIANGLE_STRIP);
    for (int k = 0; k < kSkyStripVertices; ++k) {
      const SkyVertex& v = table[static_cast<size_t>(strip * kSkyStripVertices + k)];
      gfxTexCoord2f(v.s, v.t);
      gfxVertex3f(v.x, v.y, v.z);
    }
    gfxEnd();
  }
  gfxEnable(GL_LIGHT0);
  resetTextureWrap();
  gfxPopMatrix();
  gfxEndList();
}
