// Screen text: drawText with its state changes, the frame counter and the title lines.
#include "app/text_overlay.h"

#include <cstdio>  // Required for: snprintf()

#include "app/globals.h"
#include "app/scroll_text.h"
#include "assets/gl_state.h"
#include "platform/clock.h"
#include "platform/gl.h"
#include "sim/world.h"

int g_framesPerSecond = 0;

namespace {

FrameRateMeter g_frameRateMeter;
int g_fixedFrameRate = 0;  // frames per second; 0: measured

constexpr int kFrameRateX = 20;  // pixels from the left edge
constexpr int kFrameRateY = 23;  // baseline, pixels from the top edge

void* bitmapFont(int font) {
  if (font == 0) return GLUT_BITMAP_HELVETICA_18;
  if (font == 1) return GLUT_BITMAP_TIMES_ROMAN_24;
  return nullptr;
}

}  // namespace

bool countFrame(FrameRateMeter& meter, int64_t now, int64_t frequency) {
  meter.framesCounted += 1;
  if (frequency <= 0) return false;
  const double seconds = static_cast<double>(now - meter.windowStart) / static_cast<double>(frequency);
  if (!(seconds > 1.0)) return false;
  meter.framesPerSecond = static_cast<int>(meter.framesCounted / seconds);
  meter.framesCounted = 0;
  meter.windowStart = now;
  return true;
}

void startFrameRateWindow(int64_t now) {
  g_frameRateMeter = FrameRateMeter{};
  g_frameRateMeter.windowStart = now;
  g_framesPerSecond = 0;
}

void fixFrameRate(int framesPerSecond) {
  g_fixedFrameRate = framesPerSecond;
  if (framesPerSecond > 0) g_framesPerSecond = framesPerSecond;
}

void drawText(const char* text, int x, int y, int font) {
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
  // The window restarts at a fresh read of the clock, after the rate has been worked out.
  if (countFrame(g_frameRateMeter, readCounter(), g_perfFrequency)) g_frameRateMeter.windowStart = readCounter();
  g_framesPerSecond = g_fixedFrameRate > 0 ? g_fixedFrameRate : g_frameRateMeter.framesPerSecond;

  char line[32];
  std::snprintf(line, sizeof(line), "frames/sec: %d", g_framesPerSecond);
  drawText(line, kFrameRateX, kFrameRateY, 0);
}

void drawScrollTexts() {
  for (const ScrollText* line : g_scrollTexts) {
    drawText(line->text, static_cast<int>(line->x), static_cast<int>(line->y), 0);
  }
}
