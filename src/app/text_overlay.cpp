// Screen text: drawText with its state changes, from the bitmap font or the glyph atlas; the frame
// counter, the toggle message and the title lines.
#include "app/text_overlay.h"

#include <cstdio>  // Required for: snprintf()
#include <vector>

#include "app/frame_rate.h"
#include "app/globals.h"
#include "assets/gl_state.h"
#include "assets/glyph_atlas.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "drawing/shader_layer.h"
#include "platform/dialog.h"
#include "sim/world.h"

namespace {

const char* const kAtlasPath = "../data/fonts/sans.txt";
const char* const kProgramPath = "../bin/text.cg";
constexpr float kTextGreen[3] = {0.0f, 0.7f, 0.0f};  // every text, as designed
// A soft dark edge round the letters, from the same distance field: over the foam and the smoke the
// green strokes would otherwise dissolve; over the open sea it does not show, and a stronger or wider
// one makes the letters look heavy against the sky. Field units: the field drops by 0.5 over its spread.
constexpr float kShadeReach = 0.2f;    // 3.2 atlas pixels: a fifteenth of an em (8 pixels of spread in 48)
constexpr float kShadeOpacity = 0.4f;  // next to the letter, fading to nothing at its reach

// What drawing from the atlas needs; `ready` only when all of it was made.
struct AtlasText {
  TextMode mode = TextMode::Auto;
  bool ready = false;
  GlyphAtlas atlas;
  GLuint texture = 0;
  ShaderContext* context = nullptr;
  ShaderProgram* vertexProgram = nullptr;
  ShaderProgram* fragmentProgram = nullptr;
  ShaderParameter* modelViewProj = nullptr;
  ShaderParameter* edgeWidth = nullptr;
  std::vector<TextVertex> quads;  // reused: no allocation per line once it has grown
};
AtlasText g_text;

// Pixels per em of a bitmap font's stand-in from the atlas; 0 for a value outside the enumeration.
float atlasPixelSize(Font font) {
  switch (font) {
    case Font::Helvetica18: return kHelvetica18Em;
    case Font::TimesRoman24: return kTimesRoman24Em;
  }
  return 0.0f;
}

bool makeAtlasPrograms() {
  const ShaderProfile vertexProfile = shaderLatestProfile(kShaderVertexStage);
  const ShaderProfile fragmentProfile = shaderLatestProfile(kShaderFragmentStage);
  if (vertexProfile == kShaderProfileUnknown || fragmentProfile == kShaderProfileUnknown) return false;  // no GLSL
  g_text.context = shaderCreateContext();
  g_text.vertexProgram = shaderCreateProgramFromFile(g_text.context, kProgramPath, vertexProfile, "textvertex");
  if (g_text.vertexProgram == nullptr) {
    showErrorDialog("Error Textprogram", shaderLastError());
    return false;
  }
  g_text.fragmentProgram = shaderCreateProgramFromFile(g_text.context, kProgramPath, fragmentProfile, "textfragment");
  if (g_text.fragmentProgram == nullptr) {
    showErrorDialog("Error Textprogram", shaderLastError());
    return false;
  }
  g_text.modelViewProj = shaderGetNamedParameter(g_text.vertexProgram, "ModelViewProj");
  g_text.edgeWidth = shaderGetNamedParameter(g_text.fragmentProgram, "edgeWidth");
  shaderSetTextureParameter(shaderGetNamedParameter(g_text.fragmentProgram, "atlas"), g_text.texture);
  shaderSetParameter3f(shaderGetNamedParameter(g_text.fragmentProgram, "color"), kTextGreen[0], kTextGreen[1],
                       kTextGreen[2]);
  shaderSetParameter1f(shaderGetNamedParameter(g_text.fragmentProgram, "shadeReach"), kShadeReach);
  shaderSetParameter1f(shaderGetNamedParameter(g_text.fragmentProgram, "shadeOpacity"), kShadeOpacity);
  return true;
}

void makeAtlasTexture() {
  glGenTextures(1, &g_text.texture);
  const unsigned int previous = gfxBoundTexture();
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  gfxBindTexture(GL_TEXTURE_2D, g_text.texture);
  // Linear filtering of a distance field keeps the outline sharp when magnified; without mipmaps the
  // smallest sizes (a quarter of the atlas's) still read, the edge's fade covering the steps.
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gfxTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, g_text.atlas.imageWidth, g_text.atlas.imageHeight, 0, GL_ALPHA,
                GL_UNSIGNED_BYTE, g_text.atlas.field.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  gfxBindTexture(GL_TEXTURE_2D, previous);
}

// The text's glyph quads through the atlas's programs, over everything drawn so far (no depth test,
// filled even under F3's outlines, blended); every state it touches is put back. The caller has set
// the window-pixel matrices.
void drawFromAtlas(const char* text, int x, int y, float pixelSize) {
  g_text.quads.clear();
  layoutText(g_text.atlas, text, static_cast<float>(x), static_cast<float>(y), pixelSize, g_text.quads);
  if (g_text.quads.empty()) return;
  gfxPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
  gfxDisable(GL_DEPTH_TEST);
  gfxDisable(GL_CULL_FACE);
  gfxPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  gfxEnable(GL_BLEND);
  gfxBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);  // the programs' colour is premultiplied

  shaderSetModelViewProjectionParameter(g_text.modelViewProj);
  shaderSetParameter1f(g_text.edgeWidth, fieldStepPerPixel(g_text.atlas, pixelSize));
  shaderBindProgram(g_text.vertexProgram);
  shaderBindProgram(g_text.fragmentProgram);
  shaderEnableProfile(kShaderProfileGlslVertex);
  shaderEnableProfile(kShaderProfileGlslFragment);
  ShaderParameter* atlas = shaderGetNamedParameter(g_text.fragmentProgram, "atlas");
  shaderEnableTextureParameter(atlas);

  gfxEnableClientState(GL_VERTEX_ARRAY);
  gfxEnableClientState(GL_TEXTURE_COORD_ARRAY);
  gfxVertexPointer(2, GL_FLOAT, sizeof(TextVertex), &g_text.quads[0].x);
  gfxTexCoordPointer(2, GL_FLOAT, sizeof(TextVertex), &g_text.quads[0].u);
  gfxDrawArrays(GL_TRIANGLES, 0, static_cast<int>(g_text.quads.size()));
  gfxDisableClientState(GL_TEXTURE_COORD_ARRAY);
  gfxDisableClientState(GL_VERTEX_ARRAY);

  shaderDisableTextureParameter(atlas);
  shaderDisableProfile(kShaderProfileGlslFragment);
  shaderDisableProfile(kShaderProfileGlslVertex);
  gfxPolygonMode(GL_FRONT_AND_BACK, g_wireframe ? GL_LINE : GL_FILL);
  gfxPopAttrib();
}

}  // namespace

void startScreenText(TextMode mode) {
  g_text.mode = mode;
  g_text.ready = false;
  if (!loadGlyphAtlas(kAtlasPath, g_text.atlas)) return;  // the loader has said why
  makeAtlasTexture();
  g_text.ready = makeAtlasPrograms();
  g_text.atlas.field = {};  // GL keeps its copy
}

void stopScreenText() {
  if (glContextCurrent() && g_text.texture != 0) gfxDeleteTexture(g_text.texture);
  shaderDestroyContext(g_text.context);
  const TextMode mode = g_text.mode;
  g_text = AtlasText{};
  g_text.mode = mode;
}

TextRule screenTextRule() {
  return textRule(g_text.mode, g_windowWidth, g_windowHeight, g_text.ready, gfxHasBitmapFonts());
}

void drawText(const char* text, int x, int y, Font font) {
  const TextRule rule = screenTextRule();
  gfxDisable(GL_LIGHT0);
  gfxDisable(GL_LIGHTING);
  gfxDisable(GL_TEXTURE_2D);
  gfxColor3f(kTextGreen[0], kTextGreen[1], kTextGreen[2]);  // and the colour stays current

  gfxMatrixMode(GL_MODELVIEW);
  gfxPushMatrix();
  gfxLoadIdentity();
  gfxMatrixMode(GL_PROJECTION);
  gfxPushMatrix();
  gfxLoadIdentity();
  // Window pixels with y growing downwards: y = 0 is the top edge. The bitmap font's depth test stays
  // as it is.
  gfxOrtho2D(0, g_windowWidth, 0, g_windowHeight);
  gfxScalef(1.0f, -1.0f, 1.0f);
  gfxTranslatef(0.0f, static_cast<GLfloat>(-g_windowHeight), 0.0f);

  if (rule.atlas) {
    if (text != nullptr && atlasPixelSize(font) > 0.0f) drawFromAtlas(text, x, y, atlasPixelSize(font) * rule.scale);
  } else {
    gfxRasterPos2i(x, y);
    // A value outside the enumeration draws nothing.
    const bool known = font == Font::Helvetica18 || font == Font::TimesRoman24;
    if (known && text != nullptr) {
      for (const char* c = text; *c != '\0'; ++c) gfxBitmapCharacter(static_cast<int>(font), static_cast<unsigned char>(*c));
    }
  }

  gfxEnable(GL_TEXTURE_2D);
  resetTextureWrap();

  gfxPopMatrix();  // projection
  gfxMatrixMode(GL_MODELVIEW);
  gfxPopMatrix();

  gfxEnable(GL_LIGHTING);
  gfxEnable(GL_LIGHT0);
  gfxEnable(GL_TEXTURE_2D);
}

void drawFrameRate() {
  char line[32];
  std::snprintf(line, sizeof(line), "frames/sec: %d", g_framesPerSecond);
  const TextPlace place = scaledPlace(kCounterPlace, screenTextRule());
  drawText(line, place.x, place.y, Font::Helvetica18);
}

void drawToggleMessage() {
  const TextPlace place = scaledPlace(kMessagePlace, screenTextRule());
  drawText(g_messageText, place.x, place.y, Font::Helvetica18);
}

void drawScrollTexts() {
  for (const ScrollText* line : g_scrollTexts) {
    drawText(line->text, static_cast<int>(line->x), static_cast<int>(line->y), Font::Helvetica18);
  }
}
