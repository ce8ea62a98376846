// The screen texts' glyph atlas: FreeType draws each printable ASCII glyph of the font as a signed
// distance field, the boxes are packed row by row into one grey picture, and the metrics file gives
// each glyph's box, offsets and advance.
#include "font_atlas.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H  // Required for: FT_Property_Set (the distance field's spread)

#include <algorithm>
#include <cstdio>

#include "assets/glyph_atlas.h"
#include "image.h"

namespace {

// 48 picture pixels per em: crisp from about 12 to 200 screen pixels. The field reaches 8 pixels
// either side of the outline (a sixth of an em), room for a soft edge around the letters.
constexpr int kEmPixels = 48;
constexpr int kSpread = 8;
constexpr int kPictureWidth = 512;  // pixels; the height is the power of two the rows need
constexpr int kGap = 1;             // pixels between boxes: filtering at a box's edge reads no neighbour

struct Rendered {
  int code = 0;
  GlyphBox box;
  std::vector<uint8_t> field;  // box.width * box.height, top row first
};

bool renderGlyph(FT_Face face, int code, Rendered& out) {
  out.code = code;
  if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  out.box.advance = static_cast<float>(slot->advance.x) / 64.0f;  // 26.6 fixed point: exact in a float
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_contours == 0) return true;  // a blank
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_SDF) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  out.box.width = static_cast<int>(bitmap.width);
  out.box.height = static_cast<int>(bitmap.rows);
  out.box.left = slot->bitmap_left;
  out.box.top = slot->bitmap_top;
  out.field.resize(static_cast<size_t>(out.box.width) * out.box.height);
  for (int row = 0; row < out.box.height; ++row) {
    const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    std::copy_n(source, out.box.width, &out.field[static_cast<size_t>(row) * out.box.width]);
  }
  return true;
}

}  // namespace

bool makeFontAtlas(const std::string& fontPath, const std::string& pictureName, FontAtlasFiles& files) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "assetgen: FreeType does not start\n");
    return false;
  }
  FT_Face face = nullptr;
  bool ok = true;
  const FT_Int spread = kSpread;
  if (FT_Property_Set(library, "sdf", "spread", &spread) != 0) {
    std::fprintf(stderr, "assetgen: this FreeType draws no distance fields (2.11 or later does)\n");
    ok = false;
  } else if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, kEmPixels) != 0) {
    std::fprintf(stderr, "assetgen: cannot read the font %s\n", fontPath.c_str());
    ok = false;
  }
  std::vector<Rendered> glyphs(kGlyphCount);
  for (int code = kFirstGlyph; ok && code <= kLastGlyph; ++code) {
    ok = renderGlyph(face, code, glyphs[code - kFirstGlyph]);
    if (!ok) std::fprintf(stderr, "assetgen: FreeType cannot draw glyph %d of %s\n", code, fontPath.c_str());
  }
  std::string family = face != nullptr && face->family_name != nullptr ? face->family_name : "";
  if (face != nullptr && face->style_name != nullptr) family += std::string(" ") + face->style_name;
  if (face != nullptr) FT_Done_Face(face);
  FT_Done_FreeType(library);
  if (!ok) return false;

  // Rows of boxes, tallest first (ties by code, so the order never depends on the sort).
  std::vector<Rendered*> order;
  for (Rendered& glyph : glyphs) order.push_back(&glyph);
  std::sort(order.begin(), order.end(), [](const Rendered* a, const Rendered* b) {
    return a->box.height != b->box.height ? a->box.height > b->box.height : a->code < b->code;
  });
  int x = kGap, y = kGap, rowHeight = 0;
  for (Rendered* glyph : order) {
    if (glyph->box.width == 0) continue;
    if (x + glyph->box.width + kGap > kPictureWidth) {
      x = kGap;
      y += rowHeight + kGap;
      rowHeight = 0;
    }
    glyph->box.x = x;
    glyph->box.y = y;
    x += glyph->box.width + kGap;
    rowHeight = std::max(rowHeight, glyph->box.height);
  }
  int height = 1;
  while (height < y + rowHeight + kGap) height *= 2;

  GlyphAtlas atlas;
  atlas.image = pictureName;
  atlas.imageWidth = kPictureWidth;
  atlas.imageHeight = height;
  atlas.emPixels = kEmPixels;
  atlas.spread = kSpread;
  std::vector<uint8_t> grey(static_cast<size_t>(kPictureWidth) * height, 0);  // 0: far outside every outline
  for (const Rendered& glyph : glyphs) {
    atlas.glyphs[glyph.code - kFirstGlyph] = glyph.box;
    for (int row = 0; row < glyph.box.height; ++row) {
      const int pictureRow = height - 1 - (glyph.box.y + row);  // the BMP's rows go bottom-up
      std::copy_n(&glyph.field[static_cast<size_t>(row) * glyph.box.width], glyph.box.width,
                  &grey[static_cast<size_t>(pictureRow) * kPictureWidth + glyph.box.x]);
    }
  }
  const size_t slash = fontPath.rfind('/');
  files.picture = encodeGreyBmp(kPictureWidth, height, grey);
  files.metrics = formatGlyphMetrics(
      atlas, "Glyph atlas of the screen texts: " + family + " (" + fontPath.substr(slash + 1) +
                 ") as signed distance fields,\nmade by the asset generator with FreeType. Layout: src/assets/glyph_atlas.h");
  return true;
}
