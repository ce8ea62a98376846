// Which font the screen texts take and at what scale: the designed bitmap font at 800 x 600, the glyph
// atlas scaled by the picture's height wherever else, or what --text asks for. No GL.
#pragma once

enum class TextMode {
  Auto,    // the atlas wherever the picture is not 800 x 600
  Atlas,   // --text atlas: always the atlas
  Bitmap,  // --text bitmap: always the designed bitmap font, at its designed places and speed
};

struct TextRule {
  bool atlas = false;  // draw from the glyph atlas (else the bitmap font)
  float scale = 1.0f;  // picture pixels per designed pixel: positions, type size, the titles' speed
};

// The rule for a picture `width` x `height` pixels. Without a usable atlas it is always the bitmap
// font at scale 1; where the drawing has no bitmap fonts (GL ES), the atlas is taken whatever the mode.
TextRule textRule(TextMode mode, int width, int height, bool atlasReady, bool bitmapFonts);

// Pixels per em at which the atlas's sans stands in for GLUT's 18-pixel Helvetica, times the scale: the
// bitmap font's hinted glyphs come out about 4 % wider and taller than the outline at 18, and at this
// size the designed texts keep their widths within 5 % (so the designed offsets still centre them).
constexpr float kHelvetica18Em = 18.7f;
constexpr float kTimesRoman24Em = 24.0f;

// A designed position of the texts (pixels of the 800 x 600 window, origin top left) in a picture.
struct TextPlace {
  int x, y;
};
constexpr TextPlace kCounterPlace = {20, 23};   // "frames/sec: N", left end of its baseline
constexpr TextPlace kMessagePlace = {300, 23};  // a toggle key's message
TextPlace scaledPlace(TextPlace designed, const TextRule& rule);
