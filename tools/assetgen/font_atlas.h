// The screen texts' glyph atlas: printable ASCII of a TrueType font as signed distance fields
// (FreeType), packed into one grey picture, with the metrics file the program reads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct FontAtlasFiles {
  std::vector<uint8_t> picture;  // 8-bit grey BMP
  std::string metrics;           // the plain metrics file (src/assets/glyph_atlas.h)
};

// Rasterises the font at `fontPath`; the metrics name the picture `pictureName`. False with a message
// on stderr when the font cannot be read or a glyph not drawn.
bool makeFontAtlas(const std::string& fontPath, const std::string& pictureName, FontAtlasFiles& files);
