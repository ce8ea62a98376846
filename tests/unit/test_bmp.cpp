// BMP decoder: one table of files built in memory with the picture or message each must give; every
// valid one cut at every byte; the size cap that fuzzing showed to be needed (scripts/fuzz.sh mutates).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../test_support.h"
#include "assets/bmp_image.h"

namespace {

using test::BmpFile;
using test::Bytes;
using test::Rgb;

constexpr Rgb K{0, 0, 0}, R{255, 0, 0}, G{0, 255, 0}, B{0, 0, 255}, W{255, 255, 255};
const char kUnknown[] = "Unknown DIB file format.";
const char kConversion[] = "Image file conversion error.";

// Expected pixels, bottom row first.
Bytes rows(const std::vector<std::vector<Rgb>>& picture) {
  Bytes out;
  for (const auto& row : picture)
    for (const Rgb& c : row) out.insert(out.end(), c.begin(), c.end());
  return out;
}

// Rows of stored bytes, each padded to a multiple of 4.
Bytes padded(const std::vector<Bytes>& stored) {
  Bytes out;
  for (const Bytes& row : stored) {
    out.insert(out.end(), row.begin(), row.end());
    out.resize((out.size() + 3) / 4 * 4, 0);
  }
  return out;
}

Bytes u16(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t v : values) test::putLe(out, v, 2);
  return out;
}

// A palette whose first five entries are black, red, green, blue, white.
std::vector<Rgb> palette(size_t entries) {
  std::vector<Rgb> p(entries, Rgb{10, 20, 30});
  const Rgb first[] = {K, R, G, B, W};
  for (size_t i = 0; i < entries && i < 5; ++i) p[i] = first[i];
  return p;
}

BmpFile with(BmpFile f, void (*change)(BmpFile&)) {
  change(f);
  return f;
}

BmpFile rgb24() {  // 3 x 2: each row padded from 9 to 12 bytes
  return test::bmp24(3, 2, {{0x30, 0x20, 0x10}, R, G, B, W, {3, 2, 1}});
}
BmpFile palette8(uint32_t used) {
  BmpFile f;
  f.bitsPerPixel = 8;
  f.width = 3;
  f.height = 2;
  f.coloursUsed = used;
  f.palette = palette(used == 0 ? 256 : used);
  f.pixels = padded({{1, 2, 3}, {4, 0, 1}});
  return f;
}
BmpFile oneBit(uint32_t headerSize) {  // 10 x 2: a row crosses a byte boundary
  BmpFile f;
  f.headerSize = headerSize;
  f.bitsPerPixel = 1;
  f.width = 10;
  f.height = 2;
  f.palette = {B, W};
  f.pixels = padded({{0x9C, 0x40}, {0x00, 0xC0}});
  return f;
}
BmpFile rle8() {  // 6 x 4, every escape: runs, absolute runs with and without pad, delta, ends
  BmpFile f;
  f.bitsPerPixel = 8;
  f.compression = 1;
  f.width = 6;
  f.height = 4;
  f.palette = palette(256);
  f.pixels = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 2, 4, 0, 2, 2, 1, 2, 3, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1};
  return f;
}
BmpFile rle4() {  // 7 x 3, every escape
  BmpFile f;
  f.bitsPerPixel = 4;
  f.compression = 2;
  f.width = 7;
  f.height = 3;
  f.palette = palette(16);
  f.pixels = {2, 0x34, 0, 5, 0x12, 0x34, 0x10, 0, 0, 0, 0, 2, 3, 1, 4, 0x41, 0, 1};
  return f;
}
BmpFile bitfields565() {
  BmpFile f;
  f.bitsPerPixel = 16;
  f.compression = 3;
  f.width = 3;
  f.height = 2;
  f.masks = {0xF800, 0x07E0, 0x001F};
  f.pixels = padded({u16({0xF800, 0x07E0, 0x001F}), u16({0xFFFF, 0x0000, 0xFFFF})});
  return f;
}

struct Case {
  const char* what;
  BmpFile file;
  Bytes picture;        // expected pixels of a valid file
  const char* message;  // or the rejection's message
};

const Bytes kRgb24 = rows({{{0x30, 0x20, 0x10}, R, G}, {B, W, {3, 2, 1}}});
const Bytes kIndexed = rows({{R, G, B}, {W, K, R}});
const Bytes kOneBit = rows({{W, B, B, W, W, W, B, B, B, W}, {B, B, B, B, B, B, B, B, W, W}});

const std::vector<Case>& validFiles() {
  static const std::vector<Case> cases = {
      {"24 bits, padded rows", rgb24(), kRgb24, nullptr},
      {"24 bits, packed", with(rgb24(), [](BmpFile& f) { f.fileHeader = false; }), kRgb24, nullptr},
      {"8 bits, 5 colours", palette8(5), kIndexed, nullptr},
      {"8 bits, all 256 colours, packed", with(palette8(0), [](BmpFile& f) { f.fileHeader = false; }), kIndexed, nullptr},
      {"8 bits, pixel offset past a gap", with(palette8(5), [](BmpFile& f) { f.gap = 6; }), kIndexed, nullptr},
      {"8 bits, top-down", with(palette8(5), [](BmpFile& f) { f.height = -2; }), rows({{W, K, R}, {R, G, B}}), nullptr},
      {"1 bit, core header", oneBit(12), kOneBit, nullptr},
      {"1 bit, core header, packed", with(oneBit(12), [](BmpFile& f) { f.fileHeader = false; }), kOneBit, nullptr},
      {"1 bit, info header", oneBit(40), kOneBit, nullptr},
      {"4 bits, odd width",
       with(palette8(0), [](BmpFile& f) { f.bitsPerPixel = 4, f.width = 5, f.palette = palette(16),
                                         f.pixels = padded({{0x12, 0x34, 0x00}, {0x00, 0x01, 0x20}}); }),
       rows({{R, G, B, W, K}, {K, K, K, R, G}}), nullptr},
      {"16 bits 5-5-5, top bit unused",
       with(BmpFile{}, [](BmpFile& f) { f.bitsPerPixel = 16, f.width = 3, f.height = 2,
                                       f.pixels = padded({u16({0x7C00, 0x03E0, 0x001F}), u16({0x7FFF, 0x8000, 0xFFFF})}); }),
       rows({{R, G, B}, {W, K, W}}), nullptr},
      {"32 bits, fourth byte ignored",
       with(BmpFile{}, [](BmpFile& f) { f.bitsPerPixel = 32, f.width = 2, f.pixels = {1, 2, 3, 0xFF, 4, 5, 6, 0}; }),
       Bytes{3, 2, 1, 6, 5, 4}, nullptr},
      {"bit fields 5-6-5", bitfields565(), rows({{R, G, B}, {W, K, W}}), nullptr},
      {"bit fields 5-6-5, packed", with(bitfields565(), [](BmpFile& f) { f.fileHeader = false; }),
       rows({{R, G, B}, {W, K, W}}), nullptr},
      {"bit fields 10-10-10, wider than a byte",
       with(BmpFile{}, [](BmpFile& f) { f.bitsPerPixel = 32, f.compression = 3,
                                       f.masks = {0x3FF00000, 0x000FFC00, 0x000003FF}, f.pixels = {0, 0xFE, 0xFF, 0x3F}; }),
       Bytes{255, 255, 128}, nullptr},
      {"RLE8, every escape", rle8(),
       rows({{R, R, R, G, B, W}, {W, W, K, K, K, K}, {K, K, K, K, B, B}, {R, G, B, W, K, K}}), nullptr},
      {"RLE4, every escape", rle4(), rows({{B, W, R, G, B, W, R}, {K, K, K, K, K, K, K}, {K, K, K, W, R, W, R}}), nullptr},
  };
  return cases;
}

const std::vector<Case>& rejectedFiles() {
  static const std::vector<Case> cases = {
      {"header size 39", with(rgb24(), [](BmpFile& f) { f.headerSize = 39; }), {}, kUnknown},
      {"124-byte header", with(rgb24(), [](BmpFile& f) { f.headerSize = 124; }), {}, kUnknown},
      {"width 0", with(rgb24(), [](BmpFile& f) { f.width = 0; }), {}, kUnknown},
      {"width 16385", with(rgb24(), [](BmpFile& f) { f.width = 16385; }), {}, kUnknown},
      {"height INT32_MIN", with(rgb24(), [](BmpFile& f) { f.height = INT32_MIN; }), {}, kUnknown},
      // A few bytes of run-length data once claimed 16384 x 16384 pixels: 800 MB cleared to black.
      {"8193 x 8192 in all", with(rle8(), [](BmpFile& f) { f.width = 8193, f.height = 8192, f.pixels = {0, 1}; }), {}, kUnknown},
      {"top-down 8192 x 8193 in all", with(rgb24(), [](BmpFile& f) { f.width = 8192, f.height = -8193; }), {}, kUnknown},
      {"7 bits per pixel", with(rgb24(), [](BmpFile& f) { f.bitsPerPixel = 7; }), {}, kUnknown},
      {"pixel offset past the end", with(rgb24(), [](BmpFile& f) { f.offsetShift = 0xFFFF; }), {}, kUnknown},
      {"colour table past the end", with(palette8(5), [](BmpFile& f) { f.fileHeader = false, f.coloursUsed = 0xFFFF; }), {}, kUnknown},
      {"bit-field masks cut off", with(bitfields565(), [](BmpFile& f) { f.fileHeader = false, f.masks.clear(), f.pixels.resize(8); }), {}, kUnknown},
      {"compression 4", with(rgb24(), [](BmpFile& f) { f.compression = 4; }), {}, kConversion},
      {"RLE8 on 4 bits", with(rle4(), [](BmpFile& f) { f.compression = 1; }), {}, kConversion},
      {"bit fields on 24 bits", with(rgb24(), [](BmpFile& f) { f.compression = 3, f.masks = {0xFF0000, 0xFF00, 0xFF}; }), {}, kConversion},
      {"top-down RLE", with(rle8(), [](BmpFile& f) { f.height = -4; }), {}, kConversion},
      {"last row's padding missing", with(rgb24(), [](BmpFile& f) { f.pixels.pop_back(); }), {}, kConversion},
      {"palette index past the table", with(palette8(5), [](BmpFile& f) { f.pixels[1] = 5; }), {}, kConversion},
      {"RLE palette index past the table", with(rle8(), [](BmpFile& f) { f.coloursUsed = 4, f.palette.resize(4); }), {}, kConversion},
      {"RLE run longer than the row", with(rle8(), [](BmpFile& f) { f.pixels = {7, 1, 0, 1}; }), {}, kConversion},
      {"RLE absolute run longer than the row", with(rle8(), [](BmpFile& f) { f.pixels = {0, 7, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1}; }), {}, kConversion},
      {"RLE delta past the top", with(rle8(), [](BmpFile& f) { f.pixels = {0, 2, 0, 5, 0, 1}; }), {}, kConversion},
      {"RLE ends of line past the top", with(rle8(), [](BmpFile& f) { f.pixels = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}; }), {}, kConversion},
      {"RLE without end of bitmap", with(rle8(), [](BmpFile& f) { f.pixels = {2, 1, 0, 0}; }), {}, kConversion},
      {"RLE4 run longer than the row", with(rle4(), [](BmpFile& f) { f.pixels = {8, 0x11, 0, 1}; }), {}, kConversion},
  };
  return cases;
}

// Decodes from a heap copy of exactly the given bytes, so that AddressSanitizer sees any read past them.
std::unique_ptr<RgbImage> decode(const Bytes& file, size_t size, std::string& message) {
  const std::unique_ptr<uint8_t[]> copy(new uint8_t[size > 0 ? size : 1]);
  std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size), copy.get());
  message.clear();
  return decodeDib(copy.get(), size, &message);
}

TEST(Bmp, EachFileGivesItsPictureOrItsMessage) {
  for (const std::vector<Case>* table : {&validFiles(), &rejectedFiles()}) {
    for (const Case& c : *table) {
      SCOPED_TRACE(c.what);
      const Bytes file = c.file.build();
      std::string message;
      const std::unique_ptr<RgbImage> image = decode(file, file.size(), message);
      if (c.message != nullptr) {
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(message, c.message);
        continue;
      }
      ASSERT_NE(image, nullptr) << message;
      EXPECT_EQ(image->pixels, c.picture);
      EXPECT_EQ(image->pixels.size(), static_cast<size_t>(image->width) * image->height * 3);
    }
  }
}

TEST(Bmp, EveryValidFileCutAtEveryByteIsRejectedWithAMessage) {
  for (const Case& c : validFiles()) {
    const Bytes file = c.file.build();
    for (size_t cut = 0; cut < file.size(); ++cut) {
      std::string message;
      EXPECT_EQ(decode(file, cut, message), nullptr) << c.what << " cut at " << cut;
      EXPECT_FALSE(message.empty()) << c.what << " cut at " << cut;
    }
  }
}

// The cap still lets the largest picture through; what the run-length data never reaches is black.
TEST(Bmp, TheLargestPictureInAllStillDecodes) {
  const Bytes file = with(rle8(), [](BmpFile& f) { f.width = 8192, f.height = 8192, f.pixels = {3, 4, 0, 1}; }).build();
  std::string message;
  const std::unique_ptr<RgbImage> image = decode(file, file.size(), message);
  ASSERT_NE(image, nullptr) << message;
  ASSERT_EQ(image->pixels.size(), 8192u * 8192u * 3u);
  EXPECT_EQ(Bytes(image->pixels.begin(), image->pixels.begin() + 12), rows({{W, W, W, K}}));
  EXPECT_EQ(image->pixels.back(), 0);
}

}  // namespace
