// A title line rising over the screen: window pixels, origin top left, y growing downwards.
// GL-free record; drawn by the text overlay, moved and removed by the simulation step.
#pragma once

struct ScrollText {
  ScrollText(float x, const char* text);  // starts on the bottom edge: y = g_windowHeight
  float x;           // left end of the baseline, pixels
  float y;           // baseline, pixels from the top edge
  int speed;         // pixels per 1/25 s; always 2
  const char* text;  // not owned
};
