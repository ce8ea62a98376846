// Screen text: drawText with its state changes, the frame counter and the title lines.
#include "app/text_overlay.h"

#include <cstdio>  // Required for: snprintf()

#include "app/frame_rate.h"
#include "app/globals.h"
#include "assets/gl_state.h"
#include "platform/gfx.h"
#include "platform/gl.h"
#include "sim/world.h"

namespace {

constexpr int kFrameRateX = 20;  // pixels from the left edge
constexpr int kFrameRateY = 23;  // baseline, pixels from the top edge


}  // namespace

void drawText(const char* text, int x, int y, Font font) {
  gfxDisable(GL_LIGHT0);
  gfxDisable(GL_LIGHTING);
  gfxDisable(GL_TEXTURE_2D);
  gfxColor3f(0.0f, 0.7f, 0.0f);  // every text is green, and the colour stays current

  gfxMatrixMode(GL_MODELVIEW);
  gfxPushMatrix();
  gfxLoadIdentity();
  gfxMatrixMode(GL_PROJECTION);
  gfxPushMatrix();
  gfxLoadIdentity();
  // Window pixels with y growing downwards: y = 0 is the top edge. The depth test stays as it is.
  gfxOrtho2D(0, g_windowWidth, 0, g_windowHeight);
  gfxScalef(1.0f, -1.0f, 1.0f);
  gfxTranslatef(0.0f, static_cast<GLfloat>(-g_windowHeight), 0.0f);

  gfxRasterPos2i(x, y);
  // A value outside the enumeration draws nothing.
  const bool known = font == Font::Helvetica18 || font == Font::TimesRoman24;
  if (known && text != nullptr) {
    for (const char* c = text; *c != '\0'; ++c) gfxBitmapCharacter(static_cast<int>(font), static_cast<unsigned char>(*c));
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
  drawText(line, kFrameRateX, kFrameRateY, Font::Helvetica18);
}

void drawScrollTexts() {
  for (const ScrollText* line : g_scrollTexts) {
    drawText(line->text, static_cast<int>(line->x), static_cast<int>(line->y), Font::Helvetica18);
  }
}
