// The idle step: the heartbeat that moves the clock, the script, the sea, the world and the camera.
#include <algorithm>
#include <cmath>

#include "app/frame_profile.h"
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/scene.h"
#include "app/text_overlay.h"  // Required for: screenTextRule() (the titles' scale)
#include "app/wave_phase.h"
#include "camera/camera_rig.h"
#include "effects/effects.h"
#include "platform/clock.h"
#include "platform/gl.h"
#include "sim/simulation.h"
#include "timeline/timeline.h"
#include "water/water_surface.h"

namespace {

// Seconds: the most one idle step moves the demo on. Frames here take 5 to 60 ms; a longer gap is a
// stall (a suspend, a debugger, a busy machine, a dragged window, a hidden browser tab). The demo then
// moves on by this much and resumes where it stood, as after a pause: the rest of the gap is dropped
// from the run's time, so that no ball is flung across the map and no title leaps off the screen. A
// fixed clock's step, up to 1 s, is never cut.
constexpr double kLongestStep = 0.25;

}  // namespace

bool advanceWorld() {
  // Update: one named step per line, in this order; the timeline runs before this turn's delta
  // exists and does not use it.
  advanceFixedClock();
  const int64_t previous = g_frameCounter;
  g_frameCounter = readCounter();
  const int64_t longest = std::max(std::llround(kLongestStep * static_cast<double>(g_perfFrequency)),
                                   static_cast<long long>(fixedClockStep()));
  if (g_frameCounter - previous > longest) g_timelineStart += g_frameCounter - previous - longest;
  const double elapsed = static_cast<double>(g_frameCounter - g_timelineStart) / static_cast<double>(g_perfFrequency);
  const bool restarted = runTimeline(
      {elapsed, g_frameCounter, g_framesPerSecond, g_windowWidth, g_windowHeight, screenTextRule().scale});
  g_frameDelta = static_cast<double>(std::min<int64_t>(g_frameCounter - previous, longest)) /
                 static_cast<double>(g_perfFrequency);
  g_wavePhase = advanceWavePhase(g_wavePhase, g_frameDelta);
  const double seaStart = beginPhase();
  if (g_water != nullptr) g_water->setPhase(g_wavePhase);
  endPhase(FramePhase::SeaUpdate, seaStart);
  const double worldStart = beginPhase();
  updateEntities(g_frameDelta);
  updateEffects(g_frameDelta);
  if (g_camera != nullptr) integrateCamera(*g_camera, g_frameDelta);
  endPhase(FramePhase::WorldStep, worldStart);
  return restarted;
}

void onIdle() {
  if (advanceWorld()) ++g_runControl.loopsDone;
  glutPostRedisplay();
}
