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
  int64_t lastFrame = 0;    // clock counts of the frame counted last (or of the window's start)
  int framesPerSecond = 0;
};

// Counts one frame at clock value `now` (counts, `frequency` per second). Returns true when this
// frame closed the window: the rate is then updated, the count restarts at 0 and the next window
// starts at `now`. The closing frame counts in the window it closes.
// A frame more than `longestGap` counts after the last one comes after a stall (see
// longestFrameGap): counted over the gap, the rate would be a fraction of the true one, and the
// script's firing windows, two frames either side of a row, seconds wide. The window starts again
// at `now` instead, and the last rate stands until the new window closes.
bool countFrame(FrameRateMeter& meter, int64_t now, int64_t frequency, int64_t longestGap);

// Clock counts: the longest gap between two idle steps, or two frames, that is still a frame: a
// quarter of a second, or the fixed clock's step where that is longer (it is never cut). A longer
// gap is a stall: a suspend, a debugger, a busy machine, a dragged window, a hidden browser tab.
int64_t longestFrameGap();

// Start-up: the first measuring window begins at `now`; until it closes the rate is 0, and the
// script waits (its first row lies 10 s into the run).
void startFrameRateWindow(int64_t now);
// The display step: counts this frame at the clock's present value and updates g_framesPerSecond.
void countDisplayedFrame();
// A recording's frames come at a known rate: from now on g_framesPerSecond is `framesPerSecond`
// instead of a measurement (0 measures again). Keeps the firing windows at the recording's frames.
void fixFrameRate(int framesPerSecond);
