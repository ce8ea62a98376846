// Glyph atlas: the metrics of a distance-field font picture (a plain text file), measuring a string and
// laying it out into textured quads at any pixel size. No GL: a renderer draws the quads its own way.
//
// Metrics file, one item per line, words separated by blanks, '#' lines are comments:
//   image NAME WIDTH HEIGHT    the picture beside this file (an 8-bit BMP), its size in pixels
//   em PIXELS                  picture pixels per em: the size the glyphs were drawn at
//   spread PIXELS              the distance field's reach either side of the outline (below)
//   glyphs COUNT               how many glyph lines follow: one for every code from 32 to 126
//   glyph CODE X Y WIDTH HEIGHT LEFT TOP ADVANCE
//   end                        the last line: a file cut short anywhere is refused
// A glyph's box is the rectangle X, Y (top-left corner, rows counted from the picture's top), WIDTH x
// HEIGHT of the picture; LEFT is its left edge to the right of the pen and TOP its top edge above the
// baseline, both whole picture pixels; ADVANCE how far the pen moves on (a decimal number). A blank has
// an empty box. The picture holds the signed distance to the outline: 128 on it, 128 / spread more for
// each pixel inside, as much less for each pixel outside, clamped to 0..255.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kFirstGlyph = 32;   // the blank
constexpr int kLastGlyph = 126;   // '~': the atlas holds printable ASCII
constexpr int kGlyphCount = kLastGlyph - kFirstGlyph + 1;

struct GlyphBox {
  int x = 0, y = 0;           // picture pixels, from its top-left corner
  int width = 0, height = 0;  // picture pixels; 0 x 0 for a glyph without ink
  int left = 0, top = 0;      // box's left edge right of the pen, its top edge above the baseline
  float advance = 0.0f;       // picture pixels the pen moves on
  bool operator==(const GlyphBox& other) const;
};

struct GlyphAtlas {
  std::string image;  // file name of the picture, in the metrics file's folder
  int imageWidth = 0, imageHeight = 0;
  int emPixels = 0;   // picture pixels per em
  int spread = 0;     // picture pixels from the outline to a field value of 0 or 255
  std::array<GlyphBox, kGlyphCount> glyphs;  // code kFirstGlyph + i at i
  // The distance field, one byte per pixel, bottom row first (the order of GL's t = 0); filled by
  // loadGlyphAtlas, empty after parsing alone.
  std::vector<uint8_t> field;
};

// One corner of a glyph's quad: screen pixels (origin top left, y downwards) and picture coordinates
// (u from the left edge, v from the bottom row, both 0..1).
struct TextVertex {
  float x, y, u, v;
};

// Fills `atlas` (not its field) from the metrics text. False with `error` ("line N: why", or what is
// missing at the end) when anything is malformed, out of range, repeated or missing.
bool parseGlyphMetrics(const std::string& text, GlyphAtlas& atlas, std::string& error);
// The metrics text of `atlas`, which parseGlyphMetrics reads back to the same values.
std::string formatGlyphMetrics(const GlyphAtlas& atlas, const std::string& comment);

// Reads the metrics file and its picture. On failure shows one error dialog (caption "Error"), as the
// other loaders do, and returns false.
bool loadGlyphAtlas(const char* metricsPath, GlyphAtlas& atlas);

// Width in pixels of `text` drawn at `pixelSize` pixels per em: the sum of its advances. A byte outside
// the atlas moves the pen by a blank.
float textWidth(const GlyphAtlas& atlas, const char* text, float pixelSize);
// Appends two triangles (six vertices) for every inked glyph of `text`, the baseline's left end at
// (x, y) screen pixels, at `pixelSize` pixels per em.
void layoutText(const GlyphAtlas& atlas, const char* text, float x, float y, float pixelSize,
                std::vector<TextVertex>& out);
// How much the field (0..1) changes from one screen pixel to the next at `pixelSize`: the width over
// which a renderer fades the edge, so it stays one pixel soft at every size.
float fieldStepPerPixel(const GlyphAtlas& atlas, float pixelSize);
