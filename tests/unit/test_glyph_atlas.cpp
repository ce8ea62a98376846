// Glyph atlas: the generated metrics read back to the same values and agree with the picture (letters
// on one baseline, caps of one height, boxes apart); damaged and cut-short metrics files are refused
// with the line and the reason; laid-out quads grow with the type size about the line's start.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../test_support.h"
#include "assets/glyph_atlas.h"
#include "platform/file_read.h"

namespace {

const std::string kMetricsPath = std::string(KARVOSTA_RUNTIME_DIR) + "/data/fonts/sans.txt";

std::string generatedMetrics() {
  std::string text;
  EXPECT_TRUE(readWholeFile(kMetricsPath.c_str(), text)) << kMetricsPath;
  return text;
}

const GlyphBox& glyph(const GlyphAtlas& atlas, char c) { return atlas.glyphs[static_cast<unsigned char>(c) - kFirstGlyph]; }

// Rows of a glyph's ink (field at or above the outline's 128), counted from its box's top; -1 if none.
std::pair<int, int> inkRows(const GlyphAtlas& atlas, const GlyphBox& box) {
  int first = -1, last = -1;
  for (int row = 0; row < box.height; ++row) {
    const int pictureRow = atlas.imageHeight - 1 - (box.y + row);  // the field's rows go bottom-up
    for (int col = 0; col < box.width; ++col) {
      if (atlas.field[static_cast<size_t>(pictureRow) * atlas.imageWidth + box.x + col] >= 128) {
        if (first < 0) first = row;
        last = row;
      }
    }
  }
  return {first, last};
}

TEST(GlyphMetrics, TheGeneratedAtlasReadsBackAndItsLettersStandOnOneBaseline) {
  GlyphAtlas atlas;
  const test::Console said = test::captured([&] { EXPECT_TRUE(loadGlyphAtlas(kMetricsPath.c_str(), atlas)); });
  EXPECT_EQ(said.err, "");
  ASSERT_EQ(atlas.field.size(), static_cast<size_t>(atlas.imageWidth) * atlas.imageHeight);

  // Written and read again: advance, offsets and box of every glyph, and the header.
  GlyphAtlas again;
  std::string error;
  ASSERT_TRUE(parseGlyphMetrics(formatGlyphMetrics(atlas, "again"), again, error)) << error;
  EXPECT_EQ(formatGlyphMetrics(again, "again"), formatGlyphMetrics(atlas, "again"));
  for (int i = 0; i < kGlyphCount; ++i) EXPECT_TRUE(again.glyphs[i] == atlas.glyphs[i]) << "glyph " << kFirstGlyph + i;

  // The ink of each glyph lies inside its own box, clear of its border, and no two boxes overlap.
  for (int i = 0; i < kGlyphCount; ++i) {
    const GlyphBox& a = atlas.glyphs[i];
    if (a.width == 0) {
      EXPECT_TRUE(kFirstGlyph + i == ' ') << "glyph " << kFirstGlyph + i << " has no ink";
      continue;
    }
    const auto [first, last] = inkRows(atlas, a);
    EXPECT_TRUE(first > 0 && last < a.height - 1) << "glyph " << kFirstGlyph + i << " touches its box's edge";
    for (int j = i + 1; j < kGlyphCount; ++j) {
      const GlyphBox& b = atlas.glyphs[j];
      const bool apart = b.width == 0 || a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                         b.y + b.height <= a.y;
      EXPECT_TRUE(apart) << "glyphs " << kFirstGlyph + i << " and " << kFirstGlyph + j << " overlap";
    }
  }
  // Heights above the baseline, picture pixels: letters without descenders end on it (round ones
  // overshoot it by less than a pixel), descenders go a fifth of an em below, capitals share a top.
  auto inkBottom = [&](char c) { return glyph(atlas, c).top - inkRows(atlas, glyph(atlas, c)).second - 1; };
  auto inkTop = [&](char c) { return glyph(atlas, c).top - inkRows(atlas, glyph(atlas, c)).first; };
  for (char c : std::string("HEKAVxzo1")) EXPECT_NEAR(inkBottom(c), 0, 1) << c;
  for (char c : std::string("gpqy")) EXPECT_LT(inkBottom(c), -atlas.emPixels / 6) << c;
  for (char c : std::string("EKARVST")) EXPECT_NEAR(inkTop(c), inkTop('H'), 1) << c;
  EXPECT_NEAR(inkTop('H'), 0.69 * atlas.emPixels, 1.5);  // Helvetica's cap height
  EXPECT_NEAR(inkTop('x'), 0.52 * atlas.emPixels, 1.5);  // and its x-height
}

// The generated text with the first line that begins with `prefix` replaced.
std::string withLine(const std::string& text, const std::string& prefix, const std::string& replacement) {
  const size_t at = text.find("\n" + prefix) + 1;
  const size_t end = text.find('\n', at);
  return text.substr(0, at) + replacement + text.substr(end);
}

TEST(GlyphMetrics, DamagedFilesAreRefusedWithTheLineAndTheReason) {
  const std::string good = generatedMetrics();
  const struct {
    const char* prefix;
    const char* replacement;
    const char* says;
  } rows[] = {
      {"em ", "em 0", "em takes 1 to 1024 pixels"},
      {"em ", "em 48\nem 48", "a second em line"},
      {"spread ", "spread 8.5", "spread takes"},
      {"spread ", "bold 1", "unknown word \"bold\""},
      {"image ", "image ../sans.bmp 512 512", "image takes a file name in this folder"},
      {"image ", "image sans.bmp 512", "image takes"},
      {"image ", "# no image", "glyph before the image"},
      {"glyphs ", "glyphs 94", "glyphs takes the count 95"},
      {"glyph 65 ", "glyph 65 500 0 100 10 0 0 10", "a box inside the image"},
      {"glyph 65 ", "glyph 65 1 1 -5 5 0 0 10", "a box inside the image"},
      {"glyph 65 ", "glyph 65 1 1 5 5 0 0 nan", "an advance of 0 to 4 em"},
      {"glyph 65 ", "glyph 65 1 1 5 5 0 0 1e30", "an advance of 0 to 4 em"},
      {"glyph 65 ", "glyph 65 1 1 5 5 0 0", "glyph takes"},
      {"glyph 65 ", "glyph 127 1 1 5 5 0 0 10", "a code from 32 to 126"},
      {"glyph 65 ", "glyph 65 1 1 0 5 0 0 10", "glyph 65 has a box of no area"},
      {"glyph 66 ", "glyph 65 1 1 5 5 0 0 10", "glyph 65 a second time"},
      {"glyph 66 ", "# glyph 66 left out", "ends after 94 of 95 glyphs"},
      {"end", "end\nglyph 66 1 1 5 5 0 0 10", "more after the end line"},
  };
  for (const auto& row : rows) {
    GlyphAtlas atlas;
    std::string error;
    const std::string text = withLine(good, row.prefix, row.replacement);
    EXPECT_FALSE(parseGlyphMetrics(text, atlas, error)) << row.replacement;
    EXPECT_NE(error.find(row.says), std::string::npos) << row.replacement << ": " << error;
  }
}

TEST(GlyphMetrics, AFileCutShortAnywhereIsRefusedAndTheLoaderSaysSo) {
  const std::string good = generatedMetrics();
  const size_t complete = good.rfind("end") + 3;  // a cut after this drops only the last line break
  GlyphAtlas atlas;
  std::string error;
  for (size_t cut = 0; cut < complete; ++cut) {
    ASSERT_FALSE(parseGlyphMetrics(good.substr(0, cut), atlas, error)) << "cut after " << cut << " bytes";
  }
  EXPECT_TRUE(parseGlyphMetrics(good.substr(0, complete), atlas, error)) << error;

  // Through the loader: one message naming the file for a picture of another size or none at all.
  // (A missing or cut metrics file in the program is test_missing_files'.)
  const test::ScratchDir dir;
  const std::string resized = dir.write("resized.txt", withLine(good, "image ", "image sans.bmp 1024 1024"));
  test::BmpFile onePixel;
  onePixel.pixels = {0, 0, 0, 0};  // one black pixel, its row padded to 4 bytes
  dir.write("sans.bmp", onePixel.build());
  const std::string lonely = dir.write("lonely.txt", withLine(good, "image ", "image gone.bmp 512 512"));
  const struct {
    std::string path;
    std::string says;
  } loads[] = {
      {resized, "Error: Font file " + resized + ": its picture " + dir.path() + "/sans.bmp is 1x1 pixels, not 1024x1024.\n"},
      {lonely, "Error: Failed to open DIB file " + dir.path() + "/gone.bmp.\n"},
  };
  for (const auto& load : loads) {
    bool loaded = true;
    const test::Console said = test::captured([&] { loaded = loadGlyphAtlas(load.path.c_str(), atlas); });
    EXPECT_FALSE(loaded) << load.path;
    EXPECT_EQ(said.err.rfind(load.says, 0), 0u) << said.err;
    EXPECT_EQ(std::count(said.err.begin(), said.err.end(), '\n'), 1) << said.err;
  }
}

TEST(GlyphLayout, QuadsGrowWithTheTypeSizeAboutTheLinesStart) {
  GlyphAtlas atlas;
  std::string error;
  ASSERT_TRUE(parseGlyphMetrics(generatedMetrics(), atlas, error)) << error;
  const char* title = "KARVOSTA";
  std::vector<TextVertex> small, large;
  layoutText(atlas, title, 100.0f, 200.0f, 18.0f, small);
  layoutText(atlas, title, 100.0f, 200.0f, 18.0f * 1.8f, large);
  ASSERT_EQ(small.size(), 6u * 8);
  ASSERT_EQ(large.size(), small.size());
  for (size_t i = 0; i < small.size(); ++i) {
    EXPECT_NEAR(large[i].x - 100.0f, 1.8f * (small[i].x - 100.0f), 1e-3f);
    EXPECT_NEAR(large[i].y - 200.0f, 1.8f * (small[i].y - 200.0f), 1e-3f);
    EXPECT_EQ(large[i].u, small[i].u);
    EXPECT_EQ(large[i].v, small[i].v);
    EXPECT_TRUE(small[i].u >= 0.0f && small[i].u <= 1.0f && small[i].v >= 0.0f && small[i].v <= 1.0f);
  }
  EXPECT_NEAR(textWidth(atlas, title, 18.0f * 1.8f), 1.8f * textWidth(atlas, title, 18.0f), 1e-3f);
  // The capitals stand on the baseline: their quads reach below it only by the field's reach and the
  // round letters' overshoot (a picture pixel).
  for (const TextVertex& corner : small) EXPECT_LE(corner.y, 200.0f + 18.0f * (atlas.spread + 1) / atlas.emPixels) << corner.x;

  // A blank and a byte outside the atlas move the pen by a blank's advance and add no quad.
  for (const char* spaced : {"A A", "A\xe4" "A", "A\nA"}) {
    std::vector<TextVertex> two;
    layoutText(atlas, spaced, 0.0f, 0.0f, 48.0f, two);
    ASSERT_EQ(two.size(), 12u) << spaced;
    EXPECT_NEAR(two[6].x - two[0].x, textWidth(atlas, "A ", 48.0f), 1e-3f) << spaced;
    EXPECT_NEAR(textWidth(atlas, spaced, 48.0f), textWidth(atlas, "A A", 48.0f), 1e-3f) << spaced;
  }
}

}  // namespace
