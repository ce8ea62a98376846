// Sea shading: the bump texture, the shader start-up of the sea, its per-frame draw and the bump
// map switch. Needs a current GL context; the GL-free grid is in water_surface.cpp.
#include "water/water_surface.h"

#include <array>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "assets/gl_state.h"
#include "assets/texture.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "drawing/matrix4.h"
#include "platform/dialog.h"
#include "sky/sky_colours.h"
#include "water/reflection_cover.h"

namespace {

const char* const kShaderSourcePath = "../bin/wave.cg";
const char* const kBumpMapPath = "../data/textures/bumpversion_nm.bmp";
constexpr float kWaterColor[3] = {0.05f, 0.31f, 0.92f};
// Texture units the reflection lookup moves per unit of the bumped normal's x or y (each at most 1).
constexpr float kRipple = 0.025f;
// How far from an object's outline on the reflection image the sea may still show it, in normalised
// device units: the ripples' reach (texture units count double there), plus the filter's
// neighbouring texel with room to spare for images down to 200 pixels.
constexpr float kMirroredReach = 2.0f * kRipple + 0.01f;
// Cells per piece of a strip in the split sea's draws: a scissored draw still sets up every triangle
// it is given, and a browser's software renderer pays more for that than for the pixels. 7 divides
// the demo's 49 cells a strip.
constexpr int kCellsPerPiece = 7;

// A compiler argument that defines `name` as the colour: the sky's colours, which every program of
// the sea reflects or hazes toward, are constants in them. A software renderer folds constants away,
// where it reads a parameter again for each pixel.
std::string colourDefinition(const char* name, const double (&colour)[3]) {
  char text[96];
  std::snprintf(text, sizeof text, "-D%s=vec3(%.6f, %.6f, %.6f)", name, colour[0], colour[1], colour[2]);
  return text;
}

}  // namespace

void WaterSurface::loadBumpTexture() {
  glGenTextures(1, &bumpTexture);
  gfxBindTexture(GL_TEXTURE_2D, bumpTexture);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  loadBmpTexture(kBumpMapPath);

  // A texture without an image reads as black in a shader, which decodes to a normal pointing
  // down and away: give it one flat normal instead (the loader has already said what went wrong).
  int width = 0, height = 0, format = 0;
  gfxTextureSize(&width, &height, &format);
  if (width == 0) {
    const GLubyte flat[3] = {128, 128, 255};
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, flat);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  }
}

// Every failure shows its message and start-up goes on with what exists: without a vertex program
// the sea is drawn by the fixed pipeline, without a fragment program it runs with the bump map off.
void WaterSurface::startShading(const float* lightPosition, unsigned int reflection) {
  quadStripMode = true;
  bumpMapOff = false;

  shaderContext = shaderCreateContext();
  if (shaderContext == nullptr) showErrorDialog("Error", "konnte keinen cgContext erstellen!!!");

  fragmentProfile = shaderLatestProfile(kShaderFragmentStage);
  if (fragmentProfile == kShaderProfileUnknown) {
    showErrorDialog("Error", "kein cg-F-Profile gefunden!!!");
    bumpMapOff = true;
  }
  vertexProfile = shaderLatestProfile(kShaderVertexStage);
  if (vertexProfile == kShaderProfileUnknown) showErrorDialog("Error", "kein cg-V-Profile gefunden!!!");

  const std::string horizon = colourDefinition("SKY_HORIZON", kSkyHorizon);
  const std::string zenith = colourDefinition("SKY_ZENITH", kSkyZenith);
  const char* const sky[] = {horizon.c_str(), zenith.c_str(), nullptr};
  vertexProgram =
      shaderCreateProgramFromFile(shaderContext, kShaderSourcePath, vertexProfile, "vertexshader", sky);
  if (vertexProgram == nullptr) showErrorDialog("Error Vertexprogram", shaderLastError());
  if (!bumpMapOff) {
    fragmentProgram =
        shaderCreateProgramFromFile(shaderContext, kShaderSourcePath, fragmentProfile, "fragmentshader", sky);
    if (fragmentProgram == nullptr) showErrorDialog("Error Fragmentprogram", shaderLastError());
  }
  // Only a saving: a source without this entry still draws the whole sea with fragmentshader, and a
  // broken source has already said so above.
  if (fragmentProgram != nullptr) {
    openSeaProgram =
        shaderCreateProgramFromFile(shaderContext, kShaderSourcePath, fragmentProfile, "openseashader", sky);
  }

  crestParameter = shaderGetNamedParameter(vertexProgram, "t");
  modelViewProjParameter = shaderGetNamedParameter(vertexProgram, "ModelViewProj");
  colorParameter = shaderGetNamedParameter(vertexProgram, "color");
  lightParameter = shaderGetNamedParameter(vertexProgram, "licht");
  cameraParameter = shaderGetNamedParameter(vertexProgram, "kamera");
  if (!bumpMapOff) {
    bumpParameter = shaderGetNamedParameter(fragmentProgram, "bumptextur");
    reflectionParameter = shaderGetNamedParameter(fragmentProgram, "reflextextur");
    shaderSetTextureParameter(bumpParameter, bumpTexture);
    shaderSetTextureParameter(reflectionParameter, reflection);
    shaderSetParameter1f(shaderGetNamedParameter(fragmentProgram, "ripple"), kRipple);
    openSeaBumpParameter = shaderGetNamedParameter(openSeaProgram, "bumptextur");
    shaderSetTextureParameter(openSeaBumpParameter, bumpTexture);
  }
  shaderSetParameter3f(colorParameter, kWaterColor[0], kWaterColor[1], kWaterColor[2]);
  reflectionTexture = reflection;
  const float overhead[3] = {0.0f, 0.0f, 1000.0f};  // for a caller without a light
  const float* light = lightPosition != nullptr ? lightPosition : overhead;
  shaderSetParameter3f(lightParameter, light[0], light[1], light[2]);
}

void WaterSurface::releaseShading() {
  shaderDestroyContext(shaderContext);
  shaderContext = nullptr;
  vertexProgram = fragmentProgram = openSeaProgram = nullptr;
  crestParameter = modelViewProjParameter = colorParameter = lightParameter = cameraParameter = nullptr;
  bumpParameter = reflectionParameter = openSeaBumpParameter = nullptr;
  if (bumpTexture != 0 && glContextCurrent()) gfxDeleteTexture(bumpTexture);
  bumpTexture = 0;
}

void WaterSurface::toggleBumpMap(char* message) {
  bumpMapOff = !bumpMapOff;
  std::strcpy(message, bumpMapOff ? "Shader - Bump Map OFF" : "Shader - Bump Map ON");
}

void WaterSurface::drawStrips() {
  for (size_t i = 0; i < stripIndices.size(); ++i) stripStarts[i] = stripIndices[i].data();  // a copy's own
  drawRuns(stripCounts, stripStarts);
}

// Runs of strip indices, `counts[i]` from `starts[i]`, in one draw call.
void WaterSurface::drawRuns(const std::vector<int>& counts, const std::vector<const void*>& starts) {
  if (starts.empty()) return;
  gfxMultiDrawElements(quadStripMode ? GL_QUAD_STRIP : GL_TRIANGLE_STRIP, counts.data(), GL_UNSIGNED_INT,
                       starts.data(), static_cast<int>(starts.size()));
}

// The grid's vertices in window pixels through GL's current matrices (NaN where a vertex is at or
// behind the eye's plane), for piecesInRect.
void WaterSurface::projectGrid(int viewportWidth, int viewportHeight) {
  Matrix4 projection{}, modelview{};
  gfxGetMatrix(GL_PROJECTION_MATRIX, projection.data());
  gfxGetMatrix(GL_MODELVIEW_MATRIX, modelview.data());
  const Matrix4 clip = multiply(projection, modelview);
  const size_t vertexCount = positions.size() / 3;
  gridInWindow.resize(2 * vertexCount);
  for (size_t v = 0; v < vertexCount; ++v) {
    const std::array<float, 4> p = transform(clip, {positions[3 * v], positions[3 * v + 1], positions[3 * v + 2], 1.0f});
    if (!(p[3] > 0.0f)) {
      gridInWindow[2 * v] = gridInWindow[2 * v + 1] = std::nanf("");
      continue;
    }
    gridInWindow[2 * v] = (p[0] / p[3] + 1.0f) * 0.5f * static_cast<float>(viewportWidth);
    gridInWindow[2 * v + 1] = (p[1] / p[3] + 1.0f) * 0.5f * static_cast<float>(viewportHeight);
  }
}

// The same strips as drawStrips, only the pieces given: a piece starts on a strip's even index, so
// its triangles, their order and their winding are those of the whole strip.
void WaterSurface::drawPieces(const std::vector<GridPiece>& pieces) {
  pieceCounts.clear();
  pieceStarts.clear();
  for (const GridPiece& piece : pieces) {
    pieceStarts.push_back(stripIndices[static_cast<size_t>(piece.strip)].data() + 2 * piece.firstCell);
    pieceCounts.push_back(2 * (piece.cells + 1));
  }
  drawRuns(pieceCounts, pieceStarts);
}

// The sea without programs (no or a broken wave.cg): lit, untextured, in the water's colour.
void WaterSurface::drawFixedFunction() {
  gfxPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT);
  gfxDisable(GL_TEXTURE_2D);
  gfxDisable(GL_COLOR_MATERIAL);
  gfxEnable(GL_LIGHTING);
  const GLfloat ambientAndDiffuse[4] = {kWaterColor[0], kWaterColor[1], kWaterColor[2], 1.0f};
  const GLfloat specular[4] = {0.4f, 0.4f, 0.4f, 1.0f};
  gfxMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, ambientAndDiffuse);
  gfxMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  gfxMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 40.0f);
  gfxColor3fv(kWaterColor);

  gfxEnableClientState(GL_VERTEX_ARRAY);
  gfxVertexPointer(3, GL_FLOAT, 0, positions.data());
  gfxEnableClientState(GL_NORMAL_ARRAY);
  gfxNormalPointer(GL_FLOAT, 0, normals.data());
  drawStrips();
  gfxDisableClientState(GL_VERTEX_ARRAY);
  gfxDisableClientState(GL_NORMAL_ARRAY);
  gfxPopAttrib();
}

// The mirrored rectangles through fragmentProgram, each clipped by the scissor, then the rest of the
// sea through openSeaProgram. A strict depth test turns away every pixel the first draws gave the
// sea: the same grid through the same vertex program lands at the same depth, and nothing nearer is
// left to draw there. A software renderer may still run the program on those pixels before it
// tests their depth, so the rest leaves out the pieces that lie within a rectangle.
void WaterSurface::drawSplit(const ReflectionCover& cover, int viewportWidth, int viewportHeight) {
  const std::vector<PixelRect> mirrored = mirroredRects(cover, kMirroredReach, viewportWidth, viewportHeight);
  projectGrid(viewportWidth, viewportHeight);
  if (!mirrored.empty()) {
    const GLboolean scissoring = gfxIsEnabled(GL_SCISSOR_TEST);
    gfxEnable(GL_SCISSOR_TEST);
    for (const PixelRect& rect : mirrored) {
      glScissor(rect.x, rect.y, rect.width, rect.height);
      drawPieces(piecesInRect(gridInWindow, columns, rows, rect, kCellsPerPiece));
    }
    if (!scissoring) gfxDisable(GL_SCISSOR_TEST);
  }
  const unsigned int depthFunction = gfxGetDepthFunc();
  gfxDepthFunc(GL_LESS);
  // Both programs read the bump map on the same unit, which stays bound until draw's end.
  shaderBindProgram(openSeaProgram);
  shaderEnableTextureParameter(openSeaBumpParameter);
  const PixelRect window{0, 0, viewportWidth, viewportHeight};
  drawPieces(piecesOutside(gridInWindow, columns, rows, window, mirrored, kCellsPerPiece));
  gfxDepthFunc(depthFunction);
}

void WaterSurface::draw(const float cameraXY[2], int viewportWidth, int viewportHeight, const ReflectionCover* cover) {
  assert(shaded && "draw on a sea constructed without shading");
  if (vertexProgram == nullptr) {
    drawFixedFunction();
    return;
  }

  // Stages and per-frame parameters.
  shaderEnableProfile(vertexProfile);
  shaderBindProgram(vertexProgram);
  if (!bumpMapOff) shaderEnableProfile(fragmentProfile);
  if (fragmentProgram != nullptr) shaderBindProgram(fragmentProgram);
  shaderSetModelViewProjectionParameter(modelViewProjParameter);
  shaderSetParameter2f(cameraParameter, cameraXY[0], cameraXY[1]);

  // Wrapping: the bump map tiles mirrored cell by cell; the reflection must not wrap around the
  // picture's edge onto the other side.
  gfxBindTexture(GL_TEXTURE_2D, bumpTexture);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
  gfxBindTexture(GL_TEXTURE_2D, reflectionTexture);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

  gfxEnableClientState(GL_VERTEX_ARRAY);
  gfxVertexPointer(3, GL_FLOAT, 0, positions.data());
  gfxEnableClientState(GL_NORMAL_ARRAY);
  gfxNormalPointer(GL_FLOAT, 0, normals.data());
  gfxEnableClientState(GL_TEXTURE_COORD_ARRAY);
  gfxTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());

  if (!bumpMapOff) shaderEnableTextureParameter(bumpParameter);
  if (fragmentProgram != nullptr) shaderEnableTextureParameter(reflectionParameter);

  // With the vertex program alone GL's fixed fragment stage colours the sea; it must take the
  // program's colour as it is, not modulated by whatever texture unit 0 holds.
  const GLboolean texturing = gfxIsEnabled(GL_TEXTURE_2D);
  gfxDisable(GL_TEXTURE_2D);
  // The split needs the depth buffer to tell which pixels the sea already has.
  const bool split = cover != nullptr && !bumpMapOff && fragmentProgram != nullptr && openSeaProgram != nullptr &&
                     gfxIsEnabled(GL_DEPTH_TEST) && gfxGetDepthMask();
  if (split) {
    drawSplit(*cover, viewportWidth, viewportHeight);
  } else {
    drawStrips();
  }

  // The texture-coordinate array goes off too: later vertex-array draws must not read ours.
  gfxDisableClientState(GL_VERTEX_ARRAY);
  gfxDisableClientState(GL_NORMAL_ARRAY);
  gfxDisableClientState(GL_TEXTURE_COORD_ARRAY);
  if (texturing) gfxEnable(GL_TEXTURE_2D);

  shaderDisableProfile(vertexProfile);
  if (!bumpMapOff) {
    shaderDisableProfile(fragmentProfile);
    shaderDisableTextureParameter(bumpParameter);
    shaderDisableTextureParameter(openSeaBumpParameter);
  }
  shaderDisableTextureParameter(reflectionParameter);

  // Still bound on unit 0: the reflection texture, back to the wrapping everyone else expects.
  resetTextureWrap();
}
