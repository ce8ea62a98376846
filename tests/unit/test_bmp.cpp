// BMP decoder: every supported layout and depth built in memory, each rejected form with its message,
// truncation at every byte, mutated files, and the mmap file reader with its open-failure message.
#include <gtest/gtest.h>

#include <unistd.h>  // Required for: getpid()

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "assets/bmp_image.h"
#include "platform/dialog.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Rgb = std::array<uint8_t, 3>;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kWhite{255, 255, 255};

const char kUnknownFormat[] = "Unknown DIB file format.";
const char kConversionError[] = "Image file conversion error.";

void putU16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A small BMP writer: fields as a file would carry them, pixel data already encoded by the test.
struct BmpFile {
  bool fileHeader = true;    // "BM" header with the pixel offset; false gives a packed bitmap
  uint32_t headerSize = 40;  // 12 (core), 40, or later sizes padded with zeros
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bitsPerPixel = 24;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  std::vector<Rgb> palette;     // red, green, blue; written blue first
  std::vector<uint32_t> masks;  // written right after the header (bit fields)
  size_t gap = 0;               // junk bytes between the colour table and the pixels
  Bytes pixels;                 // as stored

  Bytes build() const {
    Bytes info;
    putU32(info, headerSize);
    if (headerSize == 12) {
      putU16(info, static_cast<uint32_t>(width));
      putU16(info, static_cast<uint32_t>(height));
      putU16(info, 1);
      putU16(info, bitsPerPixel);
    } else {
      putU32(info, static_cast<uint32_t>(width));
      putU32(info, static_cast<uint32_t>(height));
      putU16(info, 1);
      putU16(info, bitsPerPixel);
      putU32(info, compression);
      putU32(info, static_cast<uint32_t>(pixels.size()));
      putU32(info, 2835);
      putU32(info, 2835);
      putU32(info, coloursUsed);
      putU32(info, 0);
      if (headerSize > info.size()) info.resize(headerSize, 0);  // later versions: zeros
    }
    for (uint32_t mask : masks) putU32(info, mask);
    for (const Rgb& c : palette) {
      info.push_back(c[2]);
      info.push_back(c[1]);
      info.push_back(c[0]);
      if (headerSize != 12) info.push_back(0);
    }
    info.insert(info.end(), gap, 0xEE);

    Bytes file;
    if (fileHeader) {
      const uint32_t offset = 14 + static_cast<uint32_t>(info.size());
      file = {'B', 'M'};
      putU32(file, offset + static_cast<uint32_t>(pixels.size()));
      putU32(file, 0);
      putU32(file, offset);
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
  }
};

// Rows as given, each padded with zeros to a multiple of 4 bytes.
Bytes padRows(const std::vector<Bytes>& rows) {
  Bytes out;
  for (const Bytes& row : rows) {
    out.insert(out.end(), row.begin(), row.end());
    out.resize((out.size() + 3) / 4 * 4, 0);
  }
  return out;
}

// One row of palette indices at 1, 4 or 8 bits, leftmost pixel in the high bits.
Bytes packIndices(int bitsPerPixel, const std::vector<int>& indices) {
  Bytes row((indices.size() * bitsPerPixel + 7) / 8, 0);
  const int perByte = 8 / bitsPerPixel;
  for (size_t x = 0; x < indices.size(); ++x) {
    const int shift = 8 - bitsPerPixel * (1 + static_cast<int>(x % perByte));
    row[x / perByte] |= static_cast<uint8_t>(indices[x] << shift);
  }
  return row;
}

Bytes packU16(const std::vector<uint32_t>& values) {
  Bytes row;
  for (uint32_t v : values) putU16(row, v);
  return row;
}

// Expected pixels, bottom row first, as the decoder must return them.
Bytes rgbRows(const std::vector<std::vector<Rgb>>& rows) {
  Bytes out;
  for (const auto& row : rows)
    for (const Rgb& c : row) out.insert(out.end(), c.begin(), c.end());
  return out;
}

std::unique_ptr<RgbImage> decode(const Bytes& file, std::string* message = nullptr) {
  return decodeDib(file.data(), file.size(), message);
}

std::string failureOf(const Bytes& file) {
  std::string message;
  const std::unique_ptr<RgbImage> image = decode(file, &message);
  EXPECT_EQ(image, nullptr);
  return message;
}

// A 16-entry palette whose first five colours are black, red, green, blue, white.
std::vector<Rgb> basicPalette(size_t entries) {
  std::vector<Rgb> palette(entries, Rgb{10, 20, 30});
  const Rgb first[] = {kBlack, kRed, kGreen, kBlue, kWhite};
  for (size_t i = 0; i < entries && i < 5; ++i) palette[i] = first[i];
  return palette;
}

// ---------------------------------------------------------------------------------------------
// Valid files of each form. Each is also reused by the truncation and mutation tests.

BmpFile rgb24File() {  // 3 x 2, rows padded from 9 to 12 bytes
  BmpFile f;
  f.width = 3;
  f.height = 2;
  f.pixels = padRows({{0x10, 0x20, 0x30, 0, 0, 255, 0, 255, 0},  // bottom row
                      {255, 0, 0, 255, 255, 255, 1, 2, 3}});     // top row
  return f;
}

BmpFile palette8File(uint32_t coloursUsed) {
  BmpFile f;
  f.bitsPerPixel = 8;
  f.width = 3;
  f.height = 2;
  f.coloursUsed = coloursUsed;
  f.palette = basicPalette(coloursUsed == 0 ? 256 : coloursUsed);
  f.pixels = padRows({{1, 2, 3}, {4, 0, 1}});
  return f;
}

BmpFile oneBitFile(uint32_t headerSize) {  // 10 x 2: crosses a byte boundary within a row
  BmpFile f;
  f.headerSize = headerSize;
  f.bitsPerPixel = 1;
  f.width = 10;
  f.height = 2;
  f.palette = {kBlue, kWhite};
  f.pixels = padRows({packIndices(1, {1, 0, 0, 1, 1, 1, 0, 0, 0, 1}),
                      packIndices(1, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1})});
  return f;
}

// Palette 0 black, 1 red, 2 green, 3 blue, 4 white; 6 x 4 picture using every RLE8 escape.
BmpFile rle8File() {
  BmpFile f;
  f.bitsPerPixel = 8;
  f.compression = 1;
  f.width = 6;
  f.height = 4;
  f.palette = basicPalette(256);
  f.pixels = {
      3, 1,              // row 0: red x3
      0, 3, 2, 3, 4, 0,  // absolute green, blue, white + pad byte
      0, 0,              // end of line
      2, 4,              // row 1: white x2
      0, 2, 2, 1,        // delta: 2 right, 1 up -> row 2, x = 4
      2, 3,              // blue x2
      0, 0,              // end of line -> row 3
      0, 4, 1, 2, 3, 4,  // absolute red, green, blue, white (even: no pad)
      0, 1,              // end of bitmap, rest of row 3 untouched
  };
  return f;
}

// 7 x 3 picture using every RLE4 escape.
BmpFile rle4File() {
  BmpFile f;
  f.bitsPerPixel = 4;
  f.compression = 2;
  f.width = 7;
  f.height = 3;
  f.palette = basicPalette(16);
  f.pixels = {
      2, 0x34,                      // row 0: blue, white
      0, 5, 0x12, 0x34, 0x10, 0,    // absolute red, green, blue, white, red: 3 bytes + pad
      0, 0,                         // end of line
      0, 2, 3, 1,                   // delta: 3 right, 1 up -> row 2, x = 3
      4, 0x41,                      // white, red, white, red
      0, 1,                         // end of bitmap
  };
  return f;
}

BmpFile bitfield565File() {
  BmpFile f;
  f.bitsPerPixel = 16;
  f.compression = 3;
  f.width = 3;
  f.height = 2;
  f.masks = {0xF800, 0x07E0, 0x001F};
  f.pixels = padRows({packU16({0xF800, 0x07E0, 0x001F}), packU16({0xFFFF, 0x0000, 0x0841})});
  return f;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TEST(BmpDecode, Rgb24DropsRowPaddingAndKeepsBottomRowFirst) {
  std::string message;
  const auto image = decode(rgb24File().build(), &message);
  ASSERT_NE(image, nullptr) << message;
  EXPECT_EQ(image->width, 3);
  EXPECT_EQ(image->height, 2);
  ASSERT_EQ(image->pixels.size(), 18u);
  EXPECT_EQ(image->pixels, rgbRows({{{0x30, 0x20, 0x10}, kRed, kGreen}, {kBlue, kWhite, {3, 2, 1}}}));
}

TEST(BmpDecode, StoredBlueGreenRedComesOutRedGreenBlue) {
  BmpFile f;
  f.pixels = padRows({{0x10, 0x20, 0x30}});
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels, (Bytes{0x30, 0x20, 0x10}));
}

TEST(BmpDecode, Palette8WithColoursUsedZeroReadsAllEntries) {
  BmpFile f = palette8File(0);
  f.palette[200] = {7, 8, 9};
  f.pixels = padRows({{1, 200, 3}, {4, 0, 1}});
  f.fileHeader = false;  // packed: pixels must be found after 256 entries
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels, rgbRows({{kRed, {7, 8, 9}, kBlue}, {kWhite, kBlack, kRed}}));
}

TEST(BmpDecode, Palette8WithColoursUsedFiveReadsFiveEntries) {
  for (bool fileHeader : {true, false}) {
    BmpFile f = palette8File(5);
    f.fileHeader = fileHeader;
    std::string message;
    const auto image = decode(f.build(), &message);
    ASSERT_NE(image, nullptr) << message;
    EXPECT_EQ(image->pixels, rgbRows({{kRed, kGreen, kBlue}, {kWhite, kBlack, kRed}}));
  }
}

TEST(BmpDecode, CoreHeaderOneBitLoadsLikeInfoHeader) {
  const auto core = decode(oneBitFile(12).build());
  const auto info = decode(oneBitFile(40).build());
  ASSERT_NE(core, nullptr);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(core->width, 10);
  EXPECT_EQ(core->height, 2);
  EXPECT_EQ(core->pixels, info->pixels);
  const Rgb b = kBlue, w = kWhite;
  EXPECT_EQ(core->pixels, rgbRows({{w, b, b, w, w, w, b, b, b, w}, {b, b, b, b, b, b, b, b, w, w}}));
}

TEST(BmpDecode, CoreHeaderPackedBitmapUsesThreeByteEntries) {
  BmpFile f = oneBitFile(12);
  f.fileHeader = false;
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels, decode(oneBitFile(40).build())->pixels);
}

TEST(BmpDecode, PackedBitmapTakesPixelsAfterColourTable) {
  BmpFile rgb = rgb24File();
  rgb.fileHeader = false;
  const auto image = decode(rgb.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels, decode(rgb24File().build())->pixels);

  BmpFile indexed = palette8File(0);
  indexed.fileHeader = false;
  const auto indexedImage = decode(indexed.build());
  ASSERT_NE(indexedImage, nullptr);
  EXPECT_EQ(indexedImage->pixels, rgbRows({{kRed, kGreen, kBlue}, {kWhite, kBlack, kRed}}));
}

TEST(BmpDecode, PixelOffsetIsHonouredAcrossAGap) {
  BmpFile f = palette8File(5);
  f.gap = 6;  // junk bytes 0xEE would be read as pixels if the offset were ignored
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels, rgbRows({{kRed, kGreen, kBlue}, {kWhite, kBlack, kRed}}));
}

TEST(BmpDecode, FourBitOddWidth) {
  BmpFile f;
  f.bitsPerPixel = 4;
  f.width = 5;
  f.height = 2;
  f.palette = basicPalette(16);
  f.palette[15] = {1, 1, 1};
  f.pixels = padRows({packIndices(4, {1, 2, 3, 4, 15}), packIndices(4, {0, 15, 0, 1, 2})});
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  const Rgb g = {1, 1, 1};
  EXPECT_EQ(image->pixels, rgbRows({{kRed, kGreen, kBlue, kWhite, g}, {kBlack, g, kBlack, kRed, kGreen}}));
}

TEST(BmpDecode, Sixteen555ReachesFullScale) {
  BmpFile f;
  f.bitsPerPixel = 16;
  f.width = 3;
  f.height = 2;
  f.pixels = padRows({packU16({0x7C00, 0x03E0, 0x001F}), packU16({0x7FFF, 0x8000, 0x4210})});
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->pixels.size(), 18u);
  // The top bit is unused; 16 of 31 is about half brightness.
  EXPECT_EQ(rgbRows({{kRed, kGreen, kBlue}, {kWhite, kBlack}}), Bytes(image->pixels.begin(), image->pixels.begin() + 15));
  for (int i = 15; i < 18; ++i) {
    EXPECT_GE(image->pixels[i], 128);
    EXPECT_LE(image->pixels[i], 135);
  }
}

TEST(BmpDecode, ThirtyTwoBitIgnoresFourthByte) {
  BmpFile f;
  f.bitsPerPixel = 32;
  f.width = 2;
  f.height = 1;
  f.pixels = {0x10, 0x20, 0x30, 0xFF, 0x01, 0x02, 0x03, 0x00};
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels, (Bytes{0x30, 0x20, 0x10, 0x03, 0x02, 0x01}));
}

TEST(BmpDecode, Bitfields565) {
  const auto image = decode(bitfield565File().build());
  ASSERT_NE(image, nullptr);
  // 0x0841: one step of red and blue (of 31), two of green (of 63): all about 8.
  EXPECT_EQ(image->pixels, rgbRows({{kRed, kGreen, kBlue}, {kWhite, kBlack, {8, 8, 8}}}));
}

TEST(BmpDecode, BitfieldsPackedBitmapFindsPixelsAfterTheMasks) {
  BmpFile f = bitfield565File();
  f.fileHeader = false;
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels, decode(bitfield565File().build())->pixels);
}

TEST(BmpDecode, Bitfields32InAnyOrderAndWiderThanEightBits) {
  BmpFile f;
  f.bitsPerPixel = 32;
  f.compression = 3;
  f.width = 2;
  f.height = 1;
  f.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // stored red, green, blue, unused
  f.pixels = {0x11, 0x22, 0x33, 0x44};
  // 10-10-10: red at the top, blue at the bottom; all channels full except blue at 0x200 (half).
  BmpFile wide = f;
  wide.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
  f.pixels.insert(f.pixels.end(), {0, 0, 0, 0});
  wide.pixels = Bytes();
  putU32(wide.pixels, 0x3FFFFE00);
  putU32(wide.pixels, 0);
  const auto image = decode(f.build());
  const auto wideImage = decode(wide.build());
  ASSERT_NE(image, nullptr);
  ASSERT_NE(wideImage, nullptr);
  EXPECT_EQ(image->pixels, (Bytes{0x11, 0x22, 0x33, 0, 0, 0}));
  EXPECT_EQ(wideImage->pixels, (Bytes{255, 255, 128, 0, 0, 0}));
}

TEST(BmpDecode, Rle8EveryEscape) {
  std::string message;
  const auto image = decode(rle8File().build(), &message);
  ASSERT_NE(image, nullptr) << message;
  const Rgb k = kBlack;
  EXPECT_EQ(image->pixels, rgbRows({{kRed, kRed, kRed, kGreen, kBlue, kWhite},
                                    {kWhite, kWhite, k, k, k, k},
                                    {k, k, k, k, kBlue, kBlue},
                                    {kRed, kGreen, kBlue, kWhite, k, k}}));
}

TEST(BmpDecode, Rle4EveryEscape) {
  std::string message;
  const auto image = decode(rle4File().build(), &message);
  ASSERT_NE(image, nullptr) << message;
  const Rgb k = kBlack;
  EXPECT_EQ(image->pixels, rgbRows({{kBlue, kWhite, kRed, kGreen, kBlue, kWhite, kRed},
                                    {k, k, k, k, k, k, k},
                                    {k, k, k, kWhite, kRed, kWhite, kRed}}));
}

TEST(BmpDecode, RleEndOfLineAfterLastRowThenEndOfBitmap) {
  BmpFile f = rle8File();
  f.height = 1;
  f.width = 2;
  f.pixels = {2, 1, 0, 0, 0, 1};
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels, rgbRows({{kRed, kRed}}));
}

TEST(BmpDecode, TopDownRowsComeOutBottomFirstWithPositiveHeight) {
  BmpFile f = rgb24File();
  f.height = -2;  // same bytes, so the first stored row is now the top row
  const auto image = decode(f.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->height, 2);
  EXPECT_EQ(image->pixels, rgbRows({{kBlue, kWhite, {3, 2, 1}}, {{0x30, 0x20, 0x10}, kRed, kGreen}}));

  BmpFile indexed = palette8File(5);
  indexed.height = -2;
  const auto indexedImage = decode(indexed.build());
  ASSERT_NE(indexedImage, nullptr);
  EXPECT_EQ(indexedImage->pixels, rgbRows({{kWhite, kBlack, kRed}, {kRed, kGreen, kBlue}}));
}

TEST(BmpDecode, LargestAcceptedDimensions) {
  BmpFile wide;
  wide.width = 16384;
  wide.pixels.assign(16384 * 3, 0x7F);
  const auto image = decode(wide.build());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels.size(), 16384u * 3);

  BmpFile tall;
  tall.bitsPerPixel = 8;
  tall.height = -16384;
  tall.palette = basicPalette(256);
  tall.pixels.assign(16384 * 4, 1);
  const auto tallImage = decode(tall.build());
  ASSERT_NE(tallImage, nullptr);
  EXPECT_EQ(tallImage->height, 16384);
}

// ---------------------------------------------------------------------------------------------
// Rejected files: one message each, null result.

TEST(BmpReject, LaterHeaderVersionsAndOddSizes) {
  for (uint32_t size : {108u, 124u, 64u}) {
    BmpFile f = rgb24File();
    f.headerSize = size;
    EXPECT_EQ(failureOf(f.build()), kUnknownFormat) << "header size " << size;
  }
  // A 40-byte header whose size field lies.
  for (uint32_t size : {0u, 4u, 16u, 39u, 41u, 0x80000028u, 0xFFFFFFFFu}) {
    Bytes file = rgb24File().build();
    for (int i = 0; i < 4; ++i) file[14 + i] = static_cast<uint8_t>(size >> (8 * i));
    EXPECT_EQ(failureOf(file), kUnknownFormat) << "header size " << size;
  }
}

TEST(BmpReject, TooShortForAnyHeader) {
  EXPECT_EQ(failureOf({}), kUnknownFormat);
  EXPECT_EQ(failureOf({'B'}), kUnknownFormat);
  EXPECT_EQ(failureOf({'B', 'M'}), kUnknownFormat);
  EXPECT_EQ(decodeDib(nullptr, 0, nullptr), nullptr);  // no message wanted, still no crash
}

TEST(BmpReject, DimensionsOutOfRange) {
  const std::pair<int32_t, int32_t> sizes[] = {{0, 1},      {1, 0},          {-1, 1},    {16385, 1},
                                               {1, 16385},  {1, -16385},     {INT32_MIN, 1},
                                               {1, INT32_MIN}, {INT32_MAX, INT32_MAX}};
  for (const auto& [width, height] : sizes) {
    BmpFile f = rgb24File();
    f.width = width;
    f.height = height;
    EXPECT_EQ(failureOf(f.build()), kUnknownFormat) << width << " x " << height;
  }
  BmpFile core = oneBitFile(12);
  core.width = 0;
  EXPECT_EQ(failureOf(core.build()), kUnknownFormat);
  core.width = 40000;
  EXPECT_EQ(failureOf(core.build()), kUnknownFormat);
}

TEST(BmpReject, UndefinedBitDepths) {
  for (uint16_t depth : {0, 2, 3, 7, 12, 15, 48, 64, 0xFFFF}) {
    BmpFile f = rgb24File();
    f.bitsPerPixel = depth;
    EXPECT_EQ(failureOf(f.build()), kUnknownFormat) << "depth " << depth;
  }
}

TEST(BmpReject, UnknownOrMismatchedCompression) {
  for (uint32_t compression : {4u, 5u, 6u, 11u, 0x80000000u}) {
    BmpFile f = rgb24File();
    f.compression = compression;
    EXPECT_EQ(failureOf(f.build()), kConversionError) << "compression " << compression;
  }
  BmpFile rle8OnFourBits = rle4File();
  rle8OnFourBits.compression = 1;
  EXPECT_EQ(failureOf(rle8OnFourBits.build()), kConversionError);
  BmpFile rle4OnEightBits = rle8File();
  rle4OnEightBits.compression = 2;
  EXPECT_EQ(failureOf(rle4OnEightBits.build()), kConversionError);
  BmpFile bitfields24 = rgb24File();
  bitfields24.compression = 3;
  bitfields24.masks = {0xFF0000, 0xFF00, 0xFF};
  EXPECT_EQ(failureOf(bitfields24.build()), kConversionError);
  BmpFile topDownRle = rle8File();
  topDownRle.height = -4;
  EXPECT_EQ(failureOf(topDownRle.build()), kConversionError);
}

TEST(BmpReject, OffsetsAndTablesBeyondTheFile) {
  Bytes offsetPastEnd = rgb24File().build();
  offsetPastEnd[10] = 0xFF;
  offsetPastEnd[11] = 0xFF;
  EXPECT_EQ(failureOf(offsetPastEnd), kUnknownFormat);

  Bytes offsetHuge = rgb24File().build();
  offsetHuge[13] = 0xFF;
  EXPECT_EQ(failureOf(offsetHuge), kUnknownFormat);

  // Colours-used promising more entries than the file holds.
  BmpFile bigTable = palette8File(5);
  bigTable.fileHeader = false;
  bigTable.coloursUsed = 0xFFFF;
  EXPECT_EQ(failureOf(bigTable.build()), kUnknownFormat);

  BmpFile masksCut = bitfield565File();
  masksCut.fileHeader = false;
  masksCut.masks.clear();
  masksCut.pixels.clear();
  masksCut.pixels = {0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(failureOf(masksCut.build()), kUnknownFormat);

  // A deep packed bitmap whose unused table would push the pixels past the end.
  BmpFile deep = rgb24File();
  deep.fileHeader = false;
  deep.coloursUsed = 1000;
  EXPECT_EQ(failureOf(deep.build()), kUnknownFormat);
}

TEST(BmpReject, PixelRowsCutShort) {
  Bytes file = rgb24File().build();
  file.pop_back();  // only the last row's padding is missing
  EXPECT_EQ(failureOf(file), kConversionError);

  BmpFile tall = rgb24File();
  tall.height = 3;  // claims a row that is not there
  EXPECT_EQ(failureOf(tall.build()), kConversionError);
}

TEST(BmpReject, PaletteIndexBeyondTheTable) {
  BmpFile f = palette8File(5);
  f.pixels = padRows({{1, 5, 3}, {4, 0, 1}});
  EXPECT_EQ(failureOf(f.build()), kConversionError);

  // colours-used 0x10000: its low 16 bits are 0, so the count comes from the depth (256).
  BmpFile wrapped = palette8File(0);
  wrapped.coloursUsed = 0x10000;
  EXPECT_NE(decode(wrapped.build()), nullptr);

  BmpFile rle = rle8File();
  rle.coloursUsed = 4;
  rle.palette.resize(4);  // the stream uses index 4 (white)
  EXPECT_EQ(failureOf(rle.build()), kConversionError);

  BmpFile rle4 = rle4File();
  rle4.coloursUsed = 3;
  rle4.palette.resize(3);
  EXPECT_EQ(failureOf(rle4.build()), kConversionError);
}

TEST(BmpReject, RleRunsLeavingThePicture) {
  const std::vector<Bytes> streams = {
      {7, 1, 0, 1},                          // encoded run longer than the row
      {3, 1, 4, 1, 0, 1},                    // second run crosses the right edge
      {0, 7, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1},  // absolute run longer than the row
      {0, 2, 7, 0, 0, 1},                    // delta past the right edge
      {0, 2, 0, 5, 0, 1},                    // delta past the top
      {0, 2, 0, 4, 1, 1, 0, 1},              // delta to the row past the top, then a pixel there
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // five ends-of-line in four rows
      {2, 1, 0, 0},                          // no end of bitmap
      {2, 1, 0, 2, 1},                       // delta cut short
      {0, 3, 1, 2, 3},                       // absolute run without its pad byte
  };
  for (const Bytes& stream : streams) {
    BmpFile f = rle8File();
    f.pixels = stream;
    EXPECT_EQ(failureOf(f.build()), kConversionError) << "stream of " << stream.size() << " bytes";
  }
  BmpFile f4 = rle4File();
  f4.pixels = {8, 0x11, 0, 1};  // 8 nibbles in a 7-pixel row
  EXPECT_EQ(failureOf(f4.build()), kConversionError);
  f4.pixels = {0, 3, 0x12};  // absolute run of 3 nibbles needs 2 bytes
  EXPECT_EQ(failureOf(f4.build()), kConversionError);
}

// Every proper prefix of a valid file must be rejected cleanly: no crash, no read past the cut.
TEST(BmpReject, ValidFilesCutAtEveryByte) {
  BmpFile packed8 = palette8File(0);
  packed8.fileHeader = false;
  BmpFile packedCore = oneBitFile(12);
  packedCore.fileHeader = false;
  const std::vector<std::pair<const char*, Bytes>> files = {
      {"rgb24", rgb24File().build()},        {"palette8", palette8File(5).build()},
      {"packed8", packed8.build()},          {"core1", oneBitFile(12).build()},
      {"packedCore", packedCore.build()},    {"rle8", rle8File().build()},
      {"rle4", rle4File().build()},          {"bitfields", bitfield565File().build()},
  };
  for (const auto& [name, file] : files) {
    ASSERT_NE(decode(file), nullptr) << name;
    for (size_t cut = 0; cut < file.size(); ++cut) {
      // A heap copy of exactly `cut` bytes, so that ASan sees any read past the end.
      const std::unique_ptr<uint8_t[]> prefix(new uint8_t[cut > 0 ? cut : 1]);
      std::copy(file.begin(), file.begin() + cut, prefix.get());
      std::string message;
      EXPECT_EQ(decodeDib(prefix.get(), cut, &message), nullptr) << name << " cut at " << cut;
      EXPECT_FALSE(message.empty()) << name << " cut at " << cut;
    }
  }
}

// Random byte changes must never crash or read outside the bytes; the high bytes of width and
// height are left alone so that no mutation asks for a gigabyte picture.
TEST(BmpReject, MutatedFilesNeverCrash) {
  const std::vector<Bytes> seeds = {rgb24File().build(), palette8File(5).build(), oneBitFile(12).build(),
                                    rle8File().build(), rle4File().build(), bitfield565File().build()};
  std::mt19937 generator(12345);
  int decoded = 0;
  for (const Bytes& seed : seeds) {
    for (int round = 0; round < 3000; ++round) {
      Bytes file = seed;
      const int changes = 1 + static_cast<int>(generator() % 4);
      for (int i = 0; i < changes; ++i) {
        const size_t at = generator() % file.size();
        if ((at >= 19 && at <= 21) || (at >= 23 && at <= 25)) continue;
        file[at] = static_cast<uint8_t>(generator());
      }
      const std::unique_ptr<uint8_t[]> copy(new uint8_t[file.size()]);
      std::copy(file.begin(), file.end(), copy.get());
      std::string message;
      const auto image = decodeDib(copy.get(), file.size(), &message);
      if (image != nullptr) {
        ++decoded;
        EXPECT_EQ(image->pixels.size(), static_cast<size_t>(image->width) * image->height * 3);
      } else {
        EXPECT_FALSE(message.empty());
      }
    }
  }
  EXPECT_GT(decoded, 0);  // the mutations are not all rejected, so decoding paths ran too
}

// ---------------------------------------------------------------------------------------------
// The file reader.

class BmpFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("karvosta_bmp_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(directory_);
    setDialogsEnabled(false);  // messages go to standard error
  }
  void TearDown() override {
    setDialogsEnabled(true);
    std::filesystem::remove_all(directory_);
  }

  std::string write(const char* name, const Bytes& bytes) {
    const std::string path = (directory_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Loads the path and returns what the dialog said (standard error).
  std::string loadCapturing(const std::string& path, std::unique_ptr<RgbImage>* image) {
    ::testing::internal::CaptureStderr();
    *image = loadDib(path.c_str());
    return ::testing::internal::GetCapturedStderr();
  }

  std::filesystem::path directory_;
};

TEST_F(BmpFileTest, LoadsAWrittenFile) {
  const std::string path = write("picture.bmp", rle8File().build());
  std::unique_ptr<RgbImage> image;
  const std::string said = loadCapturing(path, &image);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(said, "");
  EXPECT_EQ(image->pixels, decode(rle8File().build())->pixels);
}

TEST_F(BmpFileTest, MissingFileNamesThePath) {
  const std::string path = (directory_ / "no_such.bmp").string();
  std::unique_ptr<RgbImage> image;
  const std::string said = loadCapturing(path, &image);
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(said, "Error: Failed to open DIB file " + path + ".\n");
}

TEST_F(BmpFileTest, EmptyFileAndDirectoryFailLikeUnopenable) {
  const std::string empty = write("empty.bmp", {});
  std::unique_ptr<RgbImage> image;
  EXPECT_EQ(loadCapturing(empty, &image), "Error: Failed to open DIB file " + empty + ".\n");
  EXPECT_EQ(image, nullptr);
  const std::string folder = directory_.string();
  EXPECT_EQ(loadCapturing(folder, &image), "Error: Failed to open DIB file " + folder + ".\n");
  EXPECT_EQ(image, nullptr);
}

TEST_F(BmpFileTest, BadContentShowsItsMessage) {
  BmpFile later = rgb24File();
  later.headerSize = 124;
  std::unique_ptr<RgbImage> image;
  EXPECT_EQ(loadCapturing(write("v5.bmp", later.build()), &image), "Error: Unknown DIB file format.\n");
  EXPECT_EQ(image, nullptr);
  Bytes cut = rgb24File().build();
  cut.resize(cut.size() - 5);
  EXPECT_EQ(loadCapturing(write("cut.bmp", cut), &image), "Error: Image file conversion error.\n");
  EXPECT_EQ(image, nullptr);
}
