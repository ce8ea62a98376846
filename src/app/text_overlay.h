// Screen text: green lines in window pixels (origin top left, y downwards): the frame counter, the
// toggle message and the rising title lines. The designed bitmap font at 800 x 600; elsewhere text
// from the glyph atlas, in proportion to the picture (app/text_rule.h).
#pragma once
#include "app/text_rule.h"

// Bitmap fonts of the screen texts; the atlas stands in for them at the sizes of app/text_rule.h.
enum class Font { Helvetica18 = 0, TimesRoman24 = 1 };

// GL. Start-up: reads the glyph atlas (../data/fonts/sans.txt and its picture), makes its texture and
// the text's programs (../bin/text.cg). Whatever fails shows its message, and the texts keep the bitmap
// font. `mode` is what --text asks for.
void startScreenText(TextMode mode);
// Releases the atlas's texture and programs; only the records once the GL context is gone.
void stopScreenText();
// The rule for the window's current size. No GL.
TextRule screenTextRule();

// GL. Draws `text` with its baseline's left end at (x, y) in `font`. Lighting, light 0 and
// texturing are switched on afterwards and both matrices restored; the current colour stays the
// text green.
void drawText(const char* text, int x, int y, Font font);
// GL. Draws "frames/sec: N" at the top left, N being g_framesPerSecond.
void drawFrameRate();
// GL. Draws the toggle key's message beside the counter.
void drawToggleMessage();
// GL. Draws every line of g_scrollTexts at its current position.
void drawScrollTexts();
