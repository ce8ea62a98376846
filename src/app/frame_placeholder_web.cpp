// Stand-in for the frame pass in the web build, until the scene draws through WebGL: each frame
// clears the canvas to the sky's horizon colour and counts itself, as the frame pass does, so the
// frame rate the script reads, and with it the event log, are those of the desktop.
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/scene.h"
#include "platform/clock.h"
#include "platform/gl.h"
#include "sky/sky_colours.h"

RunControl g_runControl;

bool toggleMessageVisible(int64_t now) {
  constexpr double kMessageSeconds = 2.0;
  return static_cast<double>(now - g_messageStart) / static_cast<double>(g_perfFrequency) < kMessageSeconds;
}

void drawScene() {
  glViewport(0, 0, g_windowWidth, g_windowHeight);
  glClearColor(static_cast<float>(kSkyHorizon[0]), static_cast<float>(kSkyHorizon[1]), static_cast<float>(kSkyHorizon[2]), 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void drawOverlays(bool /*withCounter*/) { countDisplayedFrame(); }

void onReshape(int width, int height) {
  g_windowWidth = width;
  g_windowHeight = height;
}

// F3's outline switch: WebGL has no polygon mode; until the scene draws through WebGL there is
// nothing to outline.
extern "C" void glPolygonMode(GLenum /*face*/, GLenum /*mode*/) {}
