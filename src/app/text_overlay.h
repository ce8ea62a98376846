// Screen text: green bitmap-font lines in window pixels (origin top left, y downwards): the frame
// counter, the toggle message and the rising title lines.
#pragma once
// Bitmap fonts of the screen texts.
enum class Font { Helvetica18 = 0, TimesRoman24 = 1 };

// GL. Draws `text` with its baseline's left end at (x, y) in `font`. Lighting, light 0 and
// texturing are switched on afterwards and both matrices restored; the current colour stays the
// text green.
void drawText(const char* text, int x, int y, Font font);
// GL. Draws "frames/sec: N" at the top left, N being g_framesPerSecond.
void drawFrameRate();
// GL. Draws every line of g_scrollTexts at its current position.
void drawScrollTexts();
