// Screen text: green bitmap-font lines in window pixels (origin top left, y downwards), the frame
// counter with its measuring window, and the rising title lines.
#pragma once
#include <cstdint>

// The last measured frame rate; 0 until the first measuring window closes. The timeline sizes its
// firing windows by it.
extern int g_framesPerSecond;

// A measuring window of just over one second: frames are counted until more than 1.0 s has passed
// since windowStart, then the rate is frames / seconds, truncated. GL-free.
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
// A recording's frames come at a known rate: from now on g_framesPerSecond is `framesPerSecond`
// instead of a measurement (0 measures again). Keeps the firing windows at the recording's frames.
void fixFrameRate(int framesPerSecond);

// GL. Draws `text` with its baseline's left end at (x, y): font 0 Helvetica 18, font 1 Times Roman
// 24, any other font draws nothing. Lighting, light 0 and texturing are switched on afterwards and
// both matrices restored; the current colour stays the text green.
void drawText(const char* text, int x, int y, int font);
// GL. Counts this frame, updates g_framesPerSecond and draws "frames/sec: N" at the top left.
void drawFrameRate();
// GL. Draws every line of g_scrollTexts at its current position.
void drawScrollTexts();
