// The idle step: the heartbeat that moves the clock, the script, the sea, the world and the camera.
#include <algorithm>
#include <chrono>
#include <thread>  // Required for: sleep_for() while a fixed-clock run waits for its frame

#include "app/frame_profile.h"
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/scene.h"
#include "app/text_overlay.h"  // Required for: screenTextRule() (the titles' scale)
#include "app/wave_phase.h"
#include "camera/camera_rig.h"
#include "drawing/gl.h"
#include "effects/effects.h"
#include "platform/clock.h"
#include "sim/simulation.h"
#include "timeline/timeline.h"
#include "water/water_surface.h"

bool advanceWorld() {
  // Update: one named step per line, in this order; the timeline runs before this turn's delta
  // exists and does not use it.
  advanceFixedClock();
  const int64_t previous = g_frameCounter;
  g_frameCounter = readCounter();
  // A stall moves the demo on by the longest frame and resumes where it stood, as after a pause: the
  // rest of the gap is dropped from the run's time, so that no ball is flung across the map and no
  // title leaps off the screen. The frame-rate meter drops the gap too (countFrame).
  const int64_t longest = longestFrameGap();
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
  // On the fixed clock each step follows a shown frame: frame N of --frames shows the world after
  // N - 1 steps. GLUT keeps calling the idle step while the window is not yet mapped or wholly
  // covered, and shows no frame then; a step taken meanwhile would move the run on unseen, by as
  // many steps as the machine had time for. Real time moves on whatever is shown.
  if (fixedClockStep() > 0 && g_runControl.stepsTaken >= g_runControl.framesDrawn) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // not a busy wait while hidden
    return;
  }
  ++g_runControl.stepsTaken;
  if (advanceWorld()) ++g_runControl.loopsDone;
  glutPostRedisplay();
}
