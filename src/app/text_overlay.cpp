// Screen text: drawText with its state changes, the frame counter and the title lines.
#include "app/text_overlay.h"

#include <cstdio>  // Required for: snprintf()

#include "app/frame_rate.h"
#include "app/globals.h"
#include "assets/gl_state.h"
#include "platform/gl.h"
#include "sim/world.h"

namespace {

constexpr int kFrameRateX = 20;  // pixels from the left edge
constexpr int kFrameRateY = 23;  // baseline, pixels from the top edge

void* bitmapFont(Font font) {
  switch (font) {
    case Font::Helvetica18: return GLUT_BITMAP_HELVETICA_18;
    case Font::TimesRoman24: return GLUT_BITMAP_TIMES_ROMAN_24;
  }
  return nullptr;  // a value outside the enumeration draws nothing
}

}  // namespace

void drawText(const char* text, int x, int y, Font font) {
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glColor3f(0.0f, 0.7f, 0.0f);  // every text is green, and the colour stays current

  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  // Window pixels with y growing downwards: y = 0 is the top edge. The depth test stays as it is.
  gluOrtho2D(0, g_windowWidth, 0, g_windowHeight);
  glScalef(1.0f, -1.0f, 1.0f);
  glTranslatef(0.0f, static_cast<GLfloat>(-g_windowHeight), 0.0f);

  glRasterPos2i(x, y);
  if (void* glutFont = bitmapFont(font); glutFont != nullptr && text != nullptr) {
    for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(glutFont, static_cast<unsigned char>(*c));
  }

  glEnable(GL_TEXTURE_2D);
  resetTextureWrap();

  glPopMatrix();  // projection
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();

  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_TEXTURE_2D);
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
