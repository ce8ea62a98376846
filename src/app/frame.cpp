// The frame pass: the reflection into its texture, then the main view, then the overlays.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>  // Required for: std::strerror()
#include <vector>

#include "app/frame_profile.h"
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/reflection_target.h"
#include "app/scene.h"
#include "app/text_overlay.h"
#include "assets/png_writer.h"
#include "camera/view.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "effects/effects.h"
#include "platform/clock.h"
#include "sim/entity_draw.h"
#include "sim/world.h"  // Required for: the title lines, fitted to a new picture size
#include "sky/sky_dome.h"
#include "water/reflection_cover.h"
#include "water/water_surface.h"

RunControl g_runControl;

namespace {

// What the latest reflection pass drew, for the sea to read the image only there (on a path that
// spares unseen work).
ReflectionCover g_reflectionCover;

}  // namespace

void drawReflectionPass() {
  const bool intoTexture = bindReflectionTarget(g_reflectionTexture);
  glViewport(0, 0, kReflectionSize, kReflectionSize);
  glClear(GL_COLOR_BUFFER_BIT);
  glClear(GL_DEPTH_BUFFER_BIT);
  setupView(ViewPass::Reflection);
  g_reflectionCover.clear();
  // Objects only: the reflection shows them on black with alpha 0, where the sea mirrors its sky.
  ReflectionCover* const cover = gfxSparesUnseenWork() ? &g_reflectionCover : nullptr;
  drawEntities(ViewPass::Reflection, cover);
  drawEffects(ViewPass::Reflection, cover);
  gfxEnable(GL_TEXTURE_2D);
  gfxBindTexture(GL_TEXTURE_2D, g_reflectionTexture);
  // Without the off-screen target the picture is in the back buffer and is copied from there.
  if (!intoTexture) glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, kReflectionSize, kReflectionSize, 0);
  unbindReflectionTarget();
}

void beginMainPass() {
  glViewport(0, 0, g_windowWidth, g_windowHeight);
  glClear(GL_COLOR_BUFFER_BIT);
  glClear(GL_DEPTH_BUFFER_BIT);
  setupView(ViewPass::Main);
}

void drawSky() {
  if (g_skyList == 0) return;
  gfxPushMatrix();
  gfxTranslatef(g_viewEye.x, g_viewEye.y, 0.0f);  // the dome travels with the eye
  gfxCallList(g_skyList);
  gfxPopMatrix();
}

// Without a cover the sea reads the reflection image everywhere, in whole strips.
void drawSea() {
  if (g_water == nullptr) return;
  g_water->draw(&g_viewEye.x, g_windowWidth, g_windowHeight, gfxSparesUnseenWork() ? &g_reflectionCover : nullptr);
}

namespace {

void drawMainPass() {
  beginMainPass();
  drawSky();
  drawEntities(ViewPass::Main);
  drawSea();
  drawEffects(ViewPass::Main);  // blended over the finished scene, sea included
}

void writeScreenshot(const std::string& path) {
  const int width = g_windowWidth, height = g_windowHeight;
  if (width <= 0 || height <= 0) return;
  // RGBA is the one layout every GL (GL ES 2.0 too) reads back; the back buffer is the default.
  std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<uint8_t> topDown(static_cast<size_t>(width) * height * 3);
  for (int row = 0; row < height; ++row) {
    const uint8_t* from = &bottomUp[static_cast<size_t>(row) * width * 4];
    uint8_t* to = &topDown[static_cast<size_t>(height - 1 - row) * width * 3];
    for (int x = 0; x < width; ++x, from += 4, to += 3) std::copy_n(from, 3, to);
  }
  if (writePng(path.c_str(), width, height, topDown.data())) {
    std::printf("screenshot written to %s\n", path.c_str());
  } else {
    std::fprintf(stderr, "could not write screenshot %s: %s\n", path.c_str(), std::strerror(errno));
  }
}

}  // namespace

bool toggleMessageVisible(int64_t now) {
  constexpr double kMessageSeconds = 2.0;  // how long a toggle key's status text stays
  return static_cast<double>(now - g_messageStart) / static_cast<double>(g_perfFrequency) < kMessageSeconds;
}

void drawOverlays(bool withCounter) {
  if (withCounter && toggleMessageVisible(readCounter())) drawToggleMessage();
  drawScrollTexts();
  countDisplayedFrame();
  if (withCounter) drawFrameRate();
}

void drawScene() {
  // Draw: reflection, then the main view.
  gfxMatrixMode(GL_MODELVIEW);
  double start = beginPhase();
  drawReflectionPass();
  endPhase(FramePhase::ReflectionPass, start);
  start = beginPhase();
  drawMainPass();
  endPhase(FramePhase::MainPass, start);
}

void onDisplay() {
  drawScene();
  const double start = beginPhase();
  drawOverlays(true);

  ++g_runControl.framesDrawn;
  const bool lastFrame = (g_runControl.frameLimit > 0 && g_runControl.framesDrawn >= g_runControl.frameLimit) ||
                         (g_runControl.loopLimit > 0 && g_runControl.loopsDone >= g_runControl.loopLimit);
  if (lastFrame && !g_runControl.screenshotPath.empty()) writeScreenshot(g_runControl.screenshotPath);
  glutSwapBuffers();
  glFlush();
  endPhase(FramePhase::Overlays, start);
  markFrameEnd();
  if (lastFrame) glutLeaveMainLoop();
}

void onReshape(int width, int height) {
  glViewport(0, 0, width, height);
  g_windowWidth = width;
  g_windowHeight = height;
  // Rising title lines keep their place in the picture: centred, as far up, as fast across.
  const float scale = screenTextRule().scale;
  for (ScrollText* line : g_scrollTexts) fitScrollText(*line, width, height, scale);
}
