// Keyboard: quitting, and the render toggles for inspection, each confirmed by a 2-second text.
#include <cstdio>
#include <cstdlib>

#include "app/globals.h"
#include "app/scene.h"
#include "assets/mesh_model.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "effects/effects.h"
#include "platform/clock.h"
#include "sim/entity_draw.h"  // Required for: g_frustumCulling
#include "water/water_surface.h"

namespace {

constexpr unsigned char kEscape = 27;

void setMessage(const char* text) { std::snprintf(g_messageText, kMessageTextSize, "%s", text); }

void toggleWireframe() {
  g_wireframe = !g_wireframe;
  gfxPolygonMode(GL_FRONT_AND_BACK, g_wireframe ? GL_LINE : GL_FILL);
  setMessage(g_wireframe ? "Wireframe-Modus  ON" : "Wireframe-Modus  OFF");
}

void toggleBumpMap() {
  if (g_water != nullptr) g_water->toggleBumpMap(g_messageText);
}

void toggleCulling() {
  g_frustumCulling = !g_frustumCulling;
  setMessage(g_frustumCulling ? "View Frustum Culling  ON" : "View Frustum Culling  OFF");
}

void toggleStripMode() {
  if (g_water != nullptr) g_water->toggleStripMode(g_messageText);
}

void cycleRenderPath() {
  // Display lists -> DrawElements -> immediate polygons -> display lists.
  struct PathStep {
    RenderPath from, to;
    const char* text;
  };
  static const PathStep kCycle[] = {
      {RenderPath::DisplayList, RenderPath::DrawElements, "3D-Objekte - DrawElements"},
      {RenderPath::DrawElements, RenderPath::Immediate, "3D-Objekte - glBegin/glEnd"},
      {RenderPath::Immediate, RenderPath::DisplayList, "3D-Objekte - Display Lists"},
  };
  for (const PathStep& step : kCycle) {
    if (step.from == g_renderPath) {
      g_renderPath = step.to;
      setMessage(step.text);
      return;
    }
  }
}

void toggleEffects() {
  setEffectsOn(!g_effectsOn);
  setMessage(g_effectsOn ? "Effekte ON" : "Effekte OFF");
}

struct ToggleKey {
  int key;  // GLUT special-key code
  void (*action)();
};

const ToggleKey kToggleKeys[] = {
    {GLUT_KEY_F3, toggleWireframe}, {GLUT_KEY_F4, toggleBumpMap},   {GLUT_KEY_F5, toggleCulling},
    {GLUT_KEY_F6, toggleStripMode}, {GLUT_KEY_F7, cycleRenderPath}, {GLUT_KEY_F8, toggleEffects},
};

}  // namespace

void onKeyboard(unsigned char key, int, int) {
  if (key == kEscape || key == 'x' || key == 'X') std::exit(0);
}

void onSpecialKey(int key, int, int) {
  for (const ToggleKey& toggle : kToggleKeys) {
    if (toggle.key == key) {
      toggle.action();
      g_messageStart = readCounter();
      return;
    }
  }
}
