// Frame-rate meter: displayed frames counted in measuring windows of just over one second. GL-free:
// the display step counts each frame, the idle step hands the rate to the script, and the text
// overlay only draws it.
#pragma once
#include <cstdint>

// The last measured frame rate; 0 until the first measuring window closes.
extern int g_framesPerSecond;

// A measuring window: frames are counted until more than 1.0 s has passed since windowStart, then
// the rate is frames / seconds, truncated.
struct FrameRateMeter {
  int framesCounted = 0;
  int64_t windowStart = 0;  // clock counts
  int framesPerSecond = 0;
};

// Counts one frame at clock value `now` (counts, `frequency` per second). Returns true when this
// frame closed the window: the rate is then updated, the count restarts at 0 and the next window
// starts at `now`. The closing frame counts in the window it closes.
bool countFrame(FrameRateMeter& meter, int64_t now, int64_t frequency);

// Start-up: the first measuring window begins at `now`.
void startFrameRateWindow(int64_t now);
// The display step: counts this frame at the clock's present value and updates g_framesPerSecond.
void countDisplayedFrame();
// A recording's frames come at a known rate: from now on g_framesPerSecond is `framesPerSecond`
// instead of a measurement (0 measures again). Keeps the firing windows at the recording's frames.
void fixFrameRate(int framesPerSecond);
