// The demo script: timed orders to the ships and the camera, the rising titles, and the restart of
// the scenario every 71 seconds. GL-free and clock-free: the idle step hands it the time and the
// window it needs.
#pragma once
#include <cstdint>

// Clock value (counts of platform/clock.h) at which the current demo run began: set by the shell
// before the main loop, and by the script's restart.
extern int64_t g_timelineStart;

// What one idle step hands the script.
struct TimelineInput {
  double elapsed;       // seconds since g_timelineStart
  int64_t now;          // clock value of this idle step: a restart begins the new run here
  int framesPerSecond;  // the last measured rate; a firing window is 2 frames either side of its time
  int windowWidth;      // pixels: title lines are placed about the centre...
  int windowHeight;     // ...and start on the bottom edge
  float textScale;      // picture pixels per designed pixel of the title lines (1: as designed)
};

// Tests every event of the script against the run time and performs those whose firing window
// holds it, and once, in script order, those whose whole window lay between the last step and this
// one. Does nothing until a frame rate is known. True when this step restarted the scenario,
// which completes one run of the script.
bool runTimeline(const TimelineInput& input);
