// Sea surface: grid, wave table, heights and normals per phase, point queries, strip mode. No GL:
// the GL side of WaterSurface lives in water_shading.cpp and is reached only with shading on.
#include "water/water_surface.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

WaterSurface* g_water = nullptr;
const int g_waveLength = 250;
const int g_waveAmplitude = 2;
float g_wavePhase = 0.0f;

namespace {

constexpr double kPi = 3.141592654;  // this rounding, not M_PI: the table entries depend on it
constexpr double kTwoPi = 6.283185308;
constexpr double kDegreesPerRadian = 57.29577951308;

// Below this many wavelengths behind the origin, a point is first brought near it in one step:
// adding one wavelength at a time would take long and, once a float's spacing exceeds the
// wavelength, never end.
constexpr float kMaxWavelengthsToUnwind = 4096.0f;

int atLeastTwo(int count, const char* what) {
  if (count >= 2) return count;
  std::fprintf(stderr, "water: %s must be at least 2, got %d; using 2\n", what, count);
  return 2;
}

int32_t truncateToInt(double value) {
  if (!(value > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (!(value < std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

}  // namespace

WaterSurface::WaterSurface(int xMin, int xMax, int columns, int yMin, int yMax, int rows,
                           int baseHeight, const float* lightPosition, unsigned int reflectionTexture,
                           bool withShading)
    : columns(atLeastTwo(columns, "columns")),
      xMin(xMin),
      stepX((xMax - xMin) / (this->columns - 1.0)),
      rows(atLeastTwo(rows, "rows")),
      yMin(yMin),
      stepY((yMax - yMin) / (this->rows - 1.0)),
      baseHeight(baseHeight),
      phase(0.0f),
      waveTable(kTableSize, WaveSample{0.0f, 0.0f}),
      wavelength(1.0f),
      directionX(0.0f),
      directionY(0.0f),
      originOffset(0),
      tableScale(1.0),
      bumpMapOff(false),
      quadStripMode(true),
      bumpTexture(0),
      reflectionTexture(0),
      shaded(withShading) {
  std::printf("initialising water ...");
  std::fflush(stdout);

  // The grid lies flat at baseHeight until the first setPhase; x and y never change afterwards.
  const size_t vertexCount = static_cast<size_t>(this->columns) * static_cast<size_t>(this->rows);
  positions.resize(3 * vertexCount);
  normals.resize(3 * vertexCount);
  texCoords.resize(2 * vertexCount);
  for (int i = 0; i < this->rows; ++i) {
    for (int j = 0; j < this->columns; ++j) {
      const size_t v = static_cast<size_t>(i) * this->columns + j;
      positions[3 * v] = static_cast<float>(j * stepX + xMin);
      positions[3 * v + 1] = static_cast<float>(i * stepY + yMin);
      positions[3 * v + 2] = static_cast<float>(baseHeight);
      normals[3 * v] = 0.0f;
      normals[3 * v + 1] = 0.0f;
      normals[3 * v + 2] = 1.0f;
      texCoords[2 * v] = static_cast<float>(j);
      texCoords[2 * v + 1] = static_cast<float>(i);
    }
  }

  // Strip i runs along row i, pairing each vertex with the one of row i + 1.
  stripIndices.resize(this->rows - 1);
  for (int i = 0; i + 1 < this->rows; ++i) {
    std::vector<uint32_t>& strip = stripIndices[i];
    strip.resize(2 * static_cast<size_t>(this->columns));
    for (int j = 0; j < this->columns; ++j) {
      strip[2 * j] = static_cast<uint32_t>(i * this->columns + j);
      strip[2 * j + 1] = static_cast<uint32_t>((i + 1) * this->columns + j);
    }
  }
  for (const std::vector<uint32_t>& strip : stripIndices) stripCounts.push_back(static_cast<int>(strip.size()));
  stripStarts.resize(stripIndices.size());

  if (shaded) {
    loadBumpTexture();
    startShading(lightPosition, reflectionTexture);
  }
  std::printf("done\n");
  std::fflush(stdout);
}

WaterSurface::~WaterSurface() {
  if (shaded) releaseShading();
}

void WaterSurface::setWave(const int origin[2], const int direction[2], float wavelength,
                           float amplitude) {
  const int64_t lengthSquared = static_cast<int64_t>(direction[0]) * direction[0] +
                                static_cast<int64_t>(direction[1]) * direction[1];
  if (lengthSquared == 0 || !(wavelength > 0.0f) || !std::isfinite(wavelength) ||
      !std::isfinite(amplitude)) {
    std::fprintf(stderr, "water: wave with direction (%d, %d), wavelength %g ignored\n",
                 direction[0], direction[1], static_cast<double>(wavelength));
    return;
  }
  const double inverseLength = 1.0 / std::sqrt(static_cast<double>(lengthSquared));
  directionX = static_cast<float>(direction[0] * inverseLength);
  directionY = static_cast<float>(direction[1] * inverseLength);

  // The vertex program's frame: horizontal, along the crests.
  shaderSetParameter3f(crestParameter, -directionY, directionX, 0.0f);

  originOffset = truncateToInt(static_cast<double>(origin[0] * directionX + origin[1] * directionY));

  this->wavelength = wavelength;
  const double inverseWavelength = 1.0 / wavelength;
  for (int k = 0; k < kTableSize; ++k) {
    const double a = 2 * k * kPi * 0.001;
    waveTable[k].waveHeight = static_cast<float>(amplitude * std::sin(a));
    // d(height)/d(distance along the direction)
    waveTable[k].slope = static_cast<float>(amplitude * std::cos(a) * inverseWavelength * kTwoPi);
  }
  tableScale = 1000.0 / wavelength;
}

int WaterSurface::tableIndex(float x, float y) const {
  float d = x * directionX + y * directionY - originOffset;
  if (d < -kMaxWavelengthsToUnwind * wavelength) {
    d = static_cast<float>(std::fmod(static_cast<double>(d), static_cast<double>(wavelength)));
  }
  while (d < 0.0f) d += wavelength;

  // The ceiling, not the nearest entry: an exact table position takes its own entry.
  const double position = std::ceil(d * tableScale + phase * 1000.0);
  if (position >= 0.0 && position < 2147483647.0) return static_cast<int>(position) % kTableSize;
  if (!std::isfinite(position)) return 0;
  double wrapped = std::fmod(position, static_cast<double>(kTableSize));  // exact for whole numbers
  if (wrapped < 0.0) wrapped += kTableSize;
  return static_cast<int>(wrapped) % kTableSize;
}

void WaterSurface::setPhase(float phase) {
  this->phase = phase;
  for (int i = 0; i < rows; ++i) {
    const float y = static_cast<float>(i * stepY + yMin);
    float* position = &positions[3 * static_cast<size_t>(i) * columns];
    float* normal = &normals[3 * static_cast<size_t>(i) * columns];
    for (int j = 0; j < columns; ++j, position += 3, normal += 3) {
      const float x = static_cast<float>(j * stepX + xMin);
      const WaveSample& sample = waveTable[tableIndex(x, y)];
      position[0] = x;
      position[1] = y;
      position[2] = baseHeight + sample.waveHeight;
      // Normal of the surface z = h(d): (-h' dirX, -h' dirY, 1), normalised.
      const float nx = -sample.slope * directionX;
      const float ny = -sample.slope * directionY;
      const float r = 1.0f / std::sqrt(nx * nx + ny * ny + 1.0f);
      normal[0] = nx * r;
      normal[1] = ny * r;
      normal[2] = r;
    }
  }
}

SurfacePose WaterSurface::surfaceAt(float x, float y) const {
  const WaveSample& sample = waveTable[tableIndex(x, y)];
  SurfacePose pose;
  pose.angle = static_cast<float>(std::atan2(static_cast<double>(sample.slope), 1.0) * kDegreesPerRadian);
  pose.axisX = directionY;  // along the crests: turning up about it leans toward the normal
  pose.axisY = -directionX;
  pose.axisZ = 0.0f;
  pose.surfaceZ = baseHeight + sample.waveHeight;
  return pose;
}

void WaterSurface::toggleStripMode(char* message) {
  quadStripMode = !quadStripMode;
  std::strcpy(message, quadStripMode ? "Wasser - QUAD-STRIP" : "Wasser - TRIANGLE-STRIP");
}
