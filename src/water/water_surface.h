// The sea: a grid of vertices over the ground plane moved by one travelling sine wave (sampled once
// into a table), point queries for floating objects, and the shaded draw. GL-free header.
#pragma once
#include <cstdint>
#include <vector>

#include "drawing/shader_layer.h"
#include "water/surface_pose.h"

class ReflectionCover;
struct GridPiece;

struct WaveSample {
  float waveHeight;  // world units
  float slope;       // height change per world unit along the wave's direction
};

class WaterSurface {
 public:
  static constexpr int kTableSize = 1000;  // samples over one wavelength

  // A grid of columns x rows vertices (both at least 2) from (xMin, yMin) to (xMax, yMax) at
  // baseHeight. With shading (needs a current GL context), the bump texture and the shader programs
  // are set up too, and lightPosition (three floats) and reflectionTexture are handed to them.
  // Without shading no GL call is ever made, and draw must not be called.
  WaterSurface(int xMin, int xMax, int columns, int yMin, int yMax, int rows, int baseHeight,
               const float* lightPosition, unsigned int reflectionTexture, bool withShading = true);
  ~WaterSurface();
  WaterSurface(const WaterSurface&) = delete;
  WaterSurface& operator=(const WaterSurface&) = delete;

  // Travelling direction (integers, any length but not 0), wavelength and amplitude in world units.
  // Samples one wavelength into waveTable; heights follow at the next setPhase.
  void setWave(const int origin[2], const int direction[2], float wavelength, float amplitude);
  // Phase in [0, 1]; recomputes every vertex's height and normal. Lower phases move the crests on
  // along the direction.
  void setPhase(float phase);
  // Height and tilt of the surface at any point of the plane, for the current phase.
  SurfacePose surfaceAt(float x, float y) const;
  // Index into waveTable for the point: the rule shared by setPhase and surfaceAt.
  int tableIndex(float x, float y) const;

  // Each flips its mode and writes the new mode's text into message (at least 24 bytes). No GL.
  void toggleStripMode(char* message);
  void toggleBumpMap(char* message);

  // Draws the grid with the current heights into the current viewport, `viewportWidth` x
  // `viewportHeight` pixels from the framebuffer's corner; cameraXY is the eye's x and y. With a
  // cover, the reflection image is read only where the cover (and the ripples' reach around it) can
  // show an object; without one, or without a depth test to tell the parts apart, everywhere. The
  // picture is the same either way. Needs shading (see the constructor).
  void draw(const float cameraXY[2], int viewportWidth, int viewportHeight, const ReflectionCover* cover = nullptr);

  int32_t columns;
  int32_t xMin;
  double stepX;  // world units between columns
  int32_t rows;
  int32_t yMin;
  double stepY;  // world units between rows
  int32_t baseHeight;
  float phase;
  std::vector<float> positions;  // x, y, z per vertex; vertex (column j, row i) is i * columns + j
  std::vector<float> normals;    // unit normal per vertex
  std::vector<WaveSample> waveTable;  // kTableSize entries, one wavelength
  std::vector<float> texCoords;  // s = column, t = row: textures repeat once per grid cell
  float wavelength;
  float directionX;  // unit vector of the wave's travel
  float directionY;
  int32_t originOffset;  // origin projected on the direction, truncated
  double tableScale;     // table entries per world unit along the direction
  std::vector<std::vector<uint32_t>> stripIndices;  // rows - 1 strips of 2 * columns indices
  std::vector<int> stripCounts;                      // each strip's size and start, as one draw call takes them
  std::vector<const void*> stripStarts;              // (the starts set when drawn)
  std::vector<float> gridInWindow;                   // see projectGrid; kept for its storage
  std::vector<int> pieceCounts;                      // drawPieces' draws, as stripCounts and stripStarts
  std::vector<const void*> pieceStarts;
  bool bumpMapOff;
  bool quadStripMode;
  unsigned int bumpTexture;        // GL texture names
  unsigned int reflectionTexture;

  // Shader layer handles, all null without shading or when start-up failed.
  ShaderContext* shaderContext = nullptr;
  ShaderProfile vertexProfile = kShaderProfileUnknown;
  ShaderProfile fragmentProfile = kShaderProfileUnknown;
  ShaderProgram* vertexProgram = nullptr;
  ShaderProgram* fragmentProgram = nullptr;
  ShaderProgram* openSeaProgram = nullptr;  // null when the source lacks it: then one program draws all
  ShaderParameter* crestParameter = nullptr;           // "t"
  ShaderParameter* modelViewProjParameter = nullptr;   // "ModelViewProj"
  ShaderParameter* colorParameter = nullptr;           // "color"
  ShaderParameter* lightParameter = nullptr;           // "licht"
  ShaderParameter* cameraParameter = nullptr;          // "kamera"
  ShaderParameter* bumpParameter = nullptr;            // "bumptextur"
  ShaderParameter* reflectionParameter = nullptr;      // "reflextextur"
  ShaderParameter* openSeaBumpParameter = nullptr;     // "bumptextur" of openSeaProgram

 private:
  // GL side, in water_shading.cpp.
  void loadBumpTexture();
  void startShading(const float* lightPosition, unsigned int reflection);
  void releaseShading();
  void drawFixedFunction();
  void drawStrips();
  void drawRuns(const std::vector<int>& counts, const std::vector<const void*>& starts);
  void drawSplit(const ReflectionCover& cover, int viewportWidth, int viewportHeight);
  void projectGrid(int viewportWidth, int viewportHeight);
  void drawPieces(const std::vector<GridPiece>& pieces);

  bool shaded;  // constructed with shading
};

// The sea of the demo, created and released by the application shell (null before start-up).
extern WaterSurface* g_water;
// Its one travelling wave, in world units, and the wave phase the idle step advances: 0..1, one
// wave cycle per 1.25 s.
extern const int g_waveLength;
extern const int g_waveAmplitude;
extern float g_wavePhase;
