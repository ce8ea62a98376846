// Headless runs: the idle step alone on the fixed clock, for a span of demo time; no window, GL or sound.
#include <cmath>

#include "app/frame_profile.h"
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/scene.h"
#include "platform/clock.h"
#include "timeline/timeline.h"

int runHeadless(const Options& options) {
  initScene(options, false);
  g_windowWidth = 800;  // title lines are placed and rise as in the window the demo opens
  g_windowHeight = 600;
  g_framesPerSecond = static_cast<int>(std::lround(1.0 / options.fixedDt));  // no frame pass measures it
  g_timelineStart = readCounter();
  const long steps = std::lround(options.seconds / options.fixedDt);
  for (long step = 0; step < steps; ++step) advanceWorld();
  shutdownScene(false);
  printFrameProfile();
  return 0;
}
