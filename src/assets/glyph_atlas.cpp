// Glyph atlas metrics: reading and writing the plain metrics file, measuring and laying out strings.
// No GL, no files: loading is in glyph_atlas_file.cpp, so the asset generator can share this one.
#include "assets/glyph_atlas.h"

#include <charconv>  // Required for: from_chars/to_chars (the same digits in every locale)
#include <cerrno>
#include <cmath>
#include <cstdio>   // Required for: std::snprintf() (the web build)
#include <cstdlib>  // Required for: std::strtof() (the web build)
#include <string_view>

namespace {

constexpr int kMaxImageSide = 16384;  // pixels, as for every bitmap we read
constexpr int kMaxEm = 1024;          // picture pixels per em
constexpr int kMaxSpread = 128;       // beyond it one step of the field is less than one byte
constexpr int kMaxOffset = 4096;      // a box's LEFT and TOP, picture pixels

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

bool wholeNumber(std::string_view word, int low, int high, int& out) {
  int value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || value < low || value > high) return false;
  out = value;
  return true;
}

// The web build's C++ library has no floating-point from_chars and to_chars: there strtof, locale-free
// there, reads the word whole (hexadecimal refused, as from_chars refuses it), and nine digits write a
// float that reads back.
bool decimal(std::string_view word, float low, float high, float& out) {
  float value = 0.0f;
#if defined(__cpp_lib_to_chars)
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  const bool whole = ec == std::errc() && end == word.data() + word.size();
#else
  const std::string text(word);
  char* stop = nullptr;
  errno = 0;
  value = std::strtof(text.c_str(), &stop);
  const bool whole = !text.empty() && stop == text.c_str() + text.size() && errno == 0 &&
                     text.find_first_of("xX") == std::string::npos;
#endif
  if (!whole || !std::isfinite(value) || value < low || value > high) return false;
  out = value;
  return true;
}

std::string number(float value) {
  char text[32];
#if defined(__cpp_lib_to_chars)
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);  // shortest form that reads back
  return ec == std::errc() ? std::string(text, end) : "0";
#else
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
#endif
}

// The glyph of byte `c`, or null outside the atlas.
const GlyphBox* glyphOf(const GlyphAtlas& atlas, char c) {
  const int code = static_cast<unsigned char>(c);
  return code >= kFirstGlyph && code <= kLastGlyph ? &atlas.glyphs[code - kFirstGlyph] : nullptr;
}

}  // namespace

bool GlyphBox::operator==(const GlyphBox& o) const {
  return x == o.x && y == o.y && width == o.width && height == o.height && left == o.left && top == o.top &&
         advance == o.advance;
}

bool parseGlyphMetrics(const std::string& text, GlyphAtlas& atlas, std::string& error) {
  atlas = GlyphAtlas{};
  bool seenImage = false, seenEm = false, seenSpread = false, seenCount = false, seenEnd = false;
  std::array<bool, kGlyphCount> seenGlyph{};
  int glyphLines = 0;
  int lineNumber = 0;
  size_t start = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(lineNumber) + ": " + why;
    return false;
  };
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++lineNumber;
    const std::vector<std::string_view> w = words(line);
    if (w.empty() || w[0][0] == '#') continue;
    if (seenEnd) return fail("more after the end line");
    const std::string_view key = w[0];
    int count = 0;
    if (key == "image") {
      if (seenImage) return fail("a second image line");
      if (w.size() != 4 || w[1].find('/') != std::string_view::npos ||
          !wholeNumber(w[2], 1, kMaxImageSide, atlas.imageWidth) ||
          !wholeNumber(w[3], 1, kMaxImageSide, atlas.imageHeight)) {
        return fail("image takes a file name in this folder and its width and height (1 to 16384 pixels)");
      }
      atlas.image = std::string(w[1]);
      seenImage = true;
    } else if (key == "em") {
      if (seenEm) return fail("a second em line");
      if (w.size() != 2 || !wholeNumber(w[1], 1, kMaxEm, atlas.emPixels)) return fail("em takes 1 to 1024 pixels");
      seenEm = true;
    } else if (key == "spread") {
      if (seenSpread) return fail("a second spread line");
      if (w.size() != 2 || !wholeNumber(w[1], 1, kMaxSpread, atlas.spread)) return fail("spread takes 1 to 128 pixels");
      seenSpread = true;
    } else if (key == "glyphs") {
      if (seenCount) return fail("a second glyphs line");
      if (w.size() != 2 || !wholeNumber(w[1], kGlyphCount, kGlyphCount, count)) {
        return fail("glyphs takes the count " + std::to_string(kGlyphCount) + " (codes 32 to 126)");
      }
      seenCount = true;
    } else if (key == "glyph") {
      if (!seenImage || !seenEm || !seenSpread || !seenCount) return fail("glyph before the image, em, spread and glyphs lines");
      int code = 0;
      GlyphBox box;
      if (w.size() != 9 || !wholeNumber(w[1], kFirstGlyph, kLastGlyph, code) ||
          !wholeNumber(w[2], 0, atlas.imageWidth, box.x) || !wholeNumber(w[3], 0, atlas.imageHeight, box.y) ||
          !wholeNumber(w[4], 0, atlas.imageWidth - box.x, box.width) ||
          !wholeNumber(w[5], 0, atlas.imageHeight - box.y, box.height) ||
          !wholeNumber(w[6], -kMaxOffset, kMaxOffset, box.left) || !wholeNumber(w[7], -kMaxOffset, kMaxOffset, box.top) ||
          !decimal(w[8], 0.0f, static_cast<float>(4 * atlas.emPixels), box.advance)) {
        return fail("glyph takes a code from 32 to 126, a box inside the image, its offsets and an advance of 0 to 4 em");
      }
      if ((box.width == 0) != (box.height == 0)) return fail("glyph " + std::to_string(code) + " has a box of no area");
      if (seenGlyph[code - kFirstGlyph]) return fail("glyph " + std::to_string(code) + " a second time");
      seenGlyph[code - kFirstGlyph] = true;
      atlas.glyphs[code - kFirstGlyph] = box;
      ++glyphLines;
    } else if (key == "end" && w.size() == 1) {
      seenEnd = true;
    } else {
      return fail("unknown word \"" + std::string(key) + "\"");
    }
  }
  if (!seenImage || !seenEm || !seenSpread || !seenCount) {
    error = "the image, em, spread or glyphs line is missing";
    return false;
  }
  if (glyphLines != kGlyphCount || !seenEnd) {
    error = "ends after " + std::to_string(glyphLines) + " of " + std::to_string(kGlyphCount) + " glyphs" +
            (glyphLines == kGlyphCount ? " without its end line" : "");
    return false;
  }
  return true;
}

std::string formatGlyphMetrics(const GlyphAtlas& atlas, const std::string& comment) {
  std::string out;
  for (size_t start = 0; start < comment.size();) {
    size_t end = comment.find('\n', start);
    if (end == std::string::npos) end = comment.size();
    out += "# " + comment.substr(start, end - start) + "\n";
    start = end + 1;
  }
  out += "image " + atlas.image + " " + std::to_string(atlas.imageWidth) + " " + std::to_string(atlas.imageHeight) + "\n";
  out += "em " + std::to_string(atlas.emPixels) + "\n";
  out += "spread " + std::to_string(atlas.spread) + "\n";
  out += "glyphs " + std::to_string(kGlyphCount) + "\n";
  out += "# glyph CODE X Y WIDTH HEIGHT LEFT TOP ADVANCE\n";
  for (int i = 0; i < kGlyphCount; ++i) {
    const GlyphBox& g = atlas.glyphs[i];
    out += "glyph";
    for (int value : {kFirstGlyph + i, g.x, g.y, g.width, g.height, g.left, g.top}) out += " " + std::to_string(value);
    out += " " + number(g.advance) + "\n";
  }
  return out + "end\n";
}

float textWidth(const GlyphAtlas& atlas, const char* text, float pixelSize) {
  if (text == nullptr || atlas.emPixels <= 0) return 0.0f;
  const float scale = pixelSize / static_cast<float>(atlas.emPixels);
  const GlyphBox& blank = atlas.glyphs[0];
  float pen = 0.0f;
  for (const char* c = text; *c != '\0'; ++c) {
    const GlyphBox* glyph = glyphOf(atlas, *c);
    pen += (glyph != nullptr ? glyph->advance : blank.advance) * scale;
  }
  return pen;
}

void layoutText(const GlyphAtlas& atlas, const char* text, float x, float y, float pixelSize,
                std::vector<TextVertex>& out) {
  if (text == nullptr || atlas.emPixels <= 0 || atlas.imageWidth <= 0 || atlas.imageHeight <= 0) return;
  const float scale = pixelSize / static_cast<float>(atlas.emPixels);
  const float du = 1.0f / static_cast<float>(atlas.imageWidth), dv = 1.0f / static_cast<float>(atlas.imageHeight);
  const GlyphBox& blank = atlas.glyphs[0];
  float pen = x;
  for (const char* c = text; *c != '\0'; ++c) {
    const GlyphBox* glyph = glyphOf(atlas, *c);
    if (glyph == nullptr) {
      pen += blank.advance * scale;
      continue;
    }
    if (glyph->width > 0) {
      const float left = pen + static_cast<float>(glyph->left) * scale;
      const float top = y - static_cast<float>(glyph->top) * scale;  // screen y grows downwards
      const float right = left + static_cast<float>(glyph->width) * scale;
      const float bottom = top + static_cast<float>(glyph->height) * scale;
      // The picture's rows count from its top, GL's t from its bottom row.
      const float u0 = static_cast<float>(glyph->x) * du, u1 = static_cast<float>(glyph->x + glyph->width) * du;
      const float vTop = 1.0f - static_cast<float>(glyph->y) * dv;
      const float vBottom = 1.0f - static_cast<float>(glyph->y + glyph->height) * dv;
      const TextVertex topLeft{left, top, u0, vTop}, topRight{right, top, u1, vTop};
      const TextVertex bottomLeft{left, bottom, u0, vBottom}, bottomRight{right, bottom, u1, vBottom};
      out.insert(out.end(), {topLeft, bottomLeft, bottomRight, topLeft, bottomRight, topRight});
    }
    pen += glyph->advance * scale;
  }
}

float fieldStepPerPixel(const GlyphAtlas& atlas, float pixelSize) {
  if (atlas.spread <= 0 || pixelSize <= 0.0f) return 0.0f;
  // 128 / spread levels of 255 per picture pixel; emPixels / pixelSize picture pixels per screen pixel.
  const float perPicturePixel = 128.0f / static_cast<float>(atlas.spread) / 255.0f;
  return perPicturePixel * static_cast<float>(atlas.emPixels) / pixelSize;
}
