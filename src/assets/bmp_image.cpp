// Windows BMP (DIB) decoder: file and info headers, colour table, uncompressed, RLE and bit-field pixels
// to packed RGB, plus the mmap-based file reader. No GL.
//
// Accepted layouts: an optional 14-byte file header ("BM", pixel-data offset at byte 10) or a packed
// bitmap (info header at 0, pixels right after the colour table); a 12-byte core header (3-byte colour
// entries) or a 40-byte info header (4-byte entries). Depths 1, 4, 8, 16 (5-5-5), 24, 32 uncompressed;
// RLE8 and RLE4; BI_BITFIELDS for 16 and 32 bits. Top-down files (negative height) come out bottom row
// first like every other file, with a positive height.
//
// Which message each rejected file gets (one message, null result, nothing read outside the bytes):
//
//   condition                                                            message
//   -------------------------------------------------------------------  -------------------------------
//   fewer bytes than the file header or the info header                  "Unknown DIB file format."
//   info header size other than 12 or 40 (108, 124 included)             "Unknown DIB file format."
//   width 0 or negative, height 0, either above 16384 pixels             "Unknown DIB file format."
//   more than 8192 x 8192 pixels in all                                  "Unknown DIB file format."
//   bits per pixel not one of 1, 4, 8, 16, 24, 32                        "Unknown DIB file format."
//   bit-field masks, or the colour table of a 1/4/8-bit file, cut off    "Unknown DIB file format."
//   pixel-data offset beyond the end of the file                         "Unknown DIB file format."
//   unknown compression, or one the depth cannot have (RLE8 not 8 bits,
//     RLE4 not 4 bits, bit fields not 16/32 bits, compressed top-down)   "Image file conversion error."
//   pixel rows (including their padding) cut off by the end of the file  "Image file conversion error."
//   a palette index beyond the colour table                              "Image file conversion error."
//   an RLE run, absolute run or delta leaving the picture                "Image file conversion error."
//   RLE data ending before its end-of-bitmap escape                      "Image file conversion error."
//   the output pixels or the record cannot be allocated                  "Out of memory."
//
// Header problems say the file is not a bitmap we read; pixel problems say the pixels cannot be
// turned into a picture. The planes field is not looked at.
#include "assets/bmp_image.h"

#include <fcntl.h>     // Required for: open()
#include <sys/mman.h>  // Required for: mmap(), munmap()
#include <sys/stat.h>  // Required for: fstat()
#include <unistd.h>    // Required for: close()

#include <array>
#include <new>

#include "platform/dialog.h"

namespace {

const char kUnknownFormat[] = "Unknown DIB file format.";
const char kConversionError[] = "Image file conversion error.";
const char kOutOfMemory[] = "Out of memory.";

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kBitfieldMasksSize = 12;  // red, green, blue masks after a 40-byte header
constexpr int64_t kMaxDimension = 16384;   // pixels, in either direction
// Pixels in all (8192 x 8192, 192 MB of RGB). Run-length data may stop long before the picture is
// full, so a file of a few dozen bytes can claim any size: without this bound a 64-byte file would
// make us clear 800 MB.
constexpr int64_t kMaxPixels = int64_t{1} << 26;

// Compression codes of the 40-byte header.
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitfields = 3;

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t readU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t readS32(const uint8_t* p) { return static_cast<int32_t>(readU32(p)); }

using Rgb = std::array<uint8_t, 3>;

// What the pixel decoders need to know, with every offset already checked against the file size
// except the extent of the pixel data itself, which depends on the compression.
struct DibLayout {
  uint32_t width = 0;
  uint32_t rows = 0;
  bool topDown = false;
  uint16_t bitsPerPixel = 0;
  uint32_t compression = kCompressionRgb;
  std::array<uint32_t, 3> masks{};  // red, green, blue; used for 16 and 32 bits
  std::vector<Rgb> palette;         // filled only for 1, 4 and 8 bits
  size_t pixelOffset = 0;
};

// Output row for the file's row y (file rows are bottom-up unless the file is top-down).
uint8_t* outputRow(RgbImage& image, const DibLayout& layout, uint32_t y) {
  const uint32_t row = layout.topDown ? layout.rows - 1 - y : y;
  return image.pixels.data() + static_cast<size_t>(row) * layout.width * 3;
}

// Parses and checks the headers. Returns null on success, else the message.
const char* parseHeaders(const uint8_t* bytes, size_t size, DibLayout& layout) {
  const bool hasFileHeader = size >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
  const size_t headerStart = hasFileHeader ? kFileHeaderSize : 0;
  if (size < headerStart + 4) return kUnknownFormat;
  const uint8_t* header = bytes + headerStart;
  const uint32_t headerSize = readU32(header);
  if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize) return kUnknownFormat;
  if (size - headerStart < headerSize) return kUnknownFormat;

  int64_t width = 0;
  int64_t height = 0;
  uint32_t colourCount = 0;
  size_t entrySize = 0;
  if (headerSize == kCoreHeaderSize) {
    width = readU16(header + 4);
    height = readU16(header + 6);
    layout.bitsPerPixel = readU16(header + 10);
    entrySize = 3;
  } else {
    width = readS32(header + 4);
    height = readS32(header + 8);
    layout.bitsPerPixel = readU16(header + 14);
    layout.compression = readU32(header + 16);
    colourCount = readU32(header + 32) & 0xFFFFu;  // colours used: only its low 16 bits count
    entrySize = 4;
  }
  if (colourCount == 0) {
    switch (layout.bitsPerPixel) {
      case 1: colourCount = 2; break;
      case 4: colourCount = 16; break;
      case 8: colourCount = 256; break;
      default: break;
    }
  }

  if (width <= 0 || width > kMaxDimension) return kUnknownFormat;
  if (height == 0 || height > kMaxDimension || height < -kMaxDimension) return kUnknownFormat;
  if (width * (height < 0 ? -height : height) > kMaxPixels) return kUnknownFormat;
  switch (layout.bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return kUnknownFormat;
  }
  layout.width = static_cast<uint32_t>(width);
  layout.topDown = height < 0;
  layout.rows = static_cast<uint32_t>(height < 0 ? -height : height);

  // Bit-field masks sit between the 40-byte header and the colour table.
  size_t tableStart = headerStart + headerSize;
  if (layout.compression == kCompressionBitfields) {
    if (size - tableStart < kBitfieldMasksSize) return kUnknownFormat;
    for (int i = 0; i < 3; ++i) layout.masks[i] = readU32(bytes + tableStart + 4 * i);
    tableStart += kBitfieldMasksSize;
  } else if (layout.bitsPerPixel == 16) {
    layout.masks = {0x7C00u, 0x03E0u, 0x001Fu};
  } else if (layout.bitsPerPixel == 32) {
    layout.masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
  }
  const size_t tableSize = static_cast<size_t>(colourCount) * entrySize;

  // Deeper pixels never look a colour up; their table (if colours-used names one) only moves the
  // pixels of a packed bitmap, so it need not be inside the file.
  if (layout.bitsPerPixel <= 8) {
    if (size - tableStart < tableSize) return kUnknownFormat;
    layout.palette.resize(colourCount);
    const uint8_t* entry = bytes + tableStart;
    for (Rgb& colour : layout.palette) {
      colour = {entry[2], entry[1], entry[0]};  // stored blue, green, red
      entry += entrySize;
    }
  }

  layout.pixelOffset = hasFileHeader ? readU32(bytes + 10) : tableStart + tableSize;
  if (layout.pixelOffset > size) return kUnknownFormat;

  switch (layout.compression) {
    case kCompressionRgb: break;
    case kCompressionRle8: if (layout.bitsPerPixel != 8 || layout.topDown) return kConversionError; break;
    case kCompressionRle4: if (layout.bitsPerPixel != 4 || layout.topDown) return kConversionError; break;
    case kCompressionBitfields:
      if (layout.bitsPerPixel != 16 && layout.bitsPerPixel != 32) return kConversionError;
      break;
    default: return kConversionError;
  }
  return nullptr;
}

// One colour channel of a 16- or 32-bit pixel, widened to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;  // position of the mask's lowest bit
  int bits = 0;   // bit length of the mask above that position

  explicit Channel(uint32_t m) : mask(m) {
    if (mask == 0) return;
    while (((mask >> shift) & 1u) == 0) ++shift;
    while (bits < 32 - shift && (mask >> (shift + bits)) != 0) ++bits;
  }

  // Fewer than 8 bits are scaled so that full scale stays full scale (5-bit 31 -> 255); more than
  // 8 bits keep their top 8.
  uint8_t extract(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    const uint32_t fullScale = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + fullScale / 2) / fullScale);
  }
};

const char* decodeUncompressed(const uint8_t* bytes, size_t size, const DibLayout& layout,
                               RgbImage& image) {
  const size_t stride = ((static_cast<size_t>(layout.bitsPerPixel) * layout.width + 31) / 32) * 4;
  if ((size - layout.pixelOffset) / stride < layout.rows) return kConversionError;

  const uint32_t width = layout.width;
  const uint32_t colourCount = static_cast<uint32_t>(layout.palette.size());
  const Channel red(layout.masks[0]);
  const Channel green(layout.masks[1]);
  const Channel blue(layout.masks[2]);
  for (uint32_t y = 0; y < layout.rows; ++y) {
    const uint8_t* src = bytes + layout.pixelOffset + y * stride;
    uint8_t* dst = outputRow(image, layout, y);
    switch (layout.bitsPerPixel) {
      case 1: case 4: case 8: {
        const int depth = layout.bitsPerPixel;
        const int perByte = 8 / depth;
        const uint32_t indexMask = (1u << depth) - 1;
        for (uint32_t x = 0; x < width; ++x) {
          const int shift = 8 - depth * (1 + static_cast<int>(x % perByte));  // leftmost pixel in the high bits
          const uint32_t index = (src[x / perByte] >> shift) & indexMask;
          if (index >= colourCount) return kConversionError;
          const Rgb& colour = layout.palette[index];
          dst[0] = colour[0];
          dst[1] = colour[1];
          dst[2] = colour[2];
          dst += 3;
        }
        break;
      }
      case 24:
        for (uint32_t x = 0; x < width; ++x) {
          dst[0] = src[2];
          dst[1] = src[1];
          dst[2] = src[0];
          src += 3;
          dst += 3;
        }
        break;
      default: {  // 16 and 32 bits through their masks
        const size_t pixelBytes = layout.bitsPerPixel / 8;
        for (uint32_t x = 0; x < width; ++x) {
          const uint32_t pixel = pixelBytes == 2 ? readU16(src) : readU32(src);
          dst[0] = red.extract(pixel);
          dst[1] = green.extract(pixel);
          dst[2] = blue.extract(pixel);
          src += pixelBytes;
          dst += 3;
        }
        break;
      }
    }
  }
  return nullptr;
}

// RLE8 and RLE4. Pixels the stream never reaches (end-of-line, delta, early end-of-bitmap) stay black.
const char* decodeRle(const uint8_t* bytes, size_t size, const DibLayout& layout, RgbImage& image) {
  const bool fourBit = layout.compression == kCompressionRle4;
  const uint32_t colourCount = static_cast<uint32_t>(layout.palette.size());
  const uint8_t* p = bytes + layout.pixelOffset;
  const uint8_t* const end = bytes + size;
  uint32_t x = 0;
  uint32_t y = 0;

  auto put = [&](uint32_t index) {
    if (index >= colourCount) return false;
    const Rgb& colour = layout.palette[index];
    uint8_t* dst = outputRow(image, layout, y) + static_cast<size_t>(x) * 3;
    dst[0] = colour[0];
    dst[1] = colour[1];
    dst[2] = colour[2];
    ++x;
    return true;
  };

  for (;;) {
    if (end - p < 2) return kConversionError;
    const uint32_t count = p[0];
    const uint32_t value = p[1];
    p += 2;
    if (count > 0) {  // encoded run: one index, or two alternating nibbles for RLE4
      if (y >= layout.rows || count > layout.width - x) return kConversionError;
      for (uint32_t i = 0; i < count; ++i) {
        const uint32_t index = !fourBit ? value : (i % 2 == 0 ? value >> 4 : value & 0x0Fu);
        if (!put(index)) return kConversionError;
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        if (y >= layout.rows) return kConversionError;
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return nullptr;
      case 2: {  // delta: move right and up
        if (end - p < 2) return kConversionError;
        const uint32_t dx = p[0];
        const uint32_t dy = p[1];
        p += 2;
        if (dx > layout.width - x || dy > layout.rows - y) return kConversionError;
        x += dx;
        y += dy;
        break;
      }
      default: {  // absolute run of `value` indices, padded to a 16-bit boundary
        const uint32_t dataBytes = fourBit ? (value + 1) / 2 : value;
        const uint32_t paddedBytes = dataBytes + (dataBytes & 1u);
        if (static_cast<size_t>(end - p) < paddedBytes) return kConversionError;
        if (y >= layout.rows || value > layout.width - x) return kConversionError;
        for (uint32_t i = 0; i < value; ++i) {
          const uint32_t index = !fourBit ? p[i] : (i % 2 == 0 ? p[i / 2] >> 4 : p[i / 2] & 0x0Fu);
          if (!put(index)) return kConversionError;
        }
        p += paddedBytes;
        break;
      }
    }
  }
}

}  // namespace

std::unique_ptr<RgbImage> decodeDib(const uint8_t* bytes, size_t size, std::string* message) {
  const char* failure = nullptr;
  std::unique_ptr<RgbImage> image;
  try {
    DibLayout layout;
    failure = parseHeaders(bytes, size, layout);
    if (failure == nullptr) {
      image = std::make_unique<RgbImage>();
      image->width = static_cast<int32_t>(layout.width);
      image->height = static_cast<int32_t>(layout.rows);
      image->pixels.resize(static_cast<size_t>(layout.width) * layout.rows * 3);  // zero: black
      failure = layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4
                    ? decodeRle(bytes, size, layout, *image)
                    : decodeUncompressed(bytes, size, layout, *image);
    }
  } catch (const std::bad_alloc&) {
    failure = kOutOfMemory;
  }
  if (failure != nullptr) {
    if (message != nullptr) *message = failure;
    return nullptr;
  }
  return image;
}

std::unique_ptr<RgbImage> loadDib(const char* path) {
  // An empty file cannot be mapped, so it reads as one that cannot be opened.
  const int fd = path != nullptr ? open(path, O_RDONLY | O_CLOEXEC) : -1;
  struct stat info {};
  void* mapping = MAP_FAILED;
  size_t size = 0;
  if (fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    size = static_cast<size_t>(info.st_size);
    mapping = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  }
  if (fd >= 0) close(fd);  // the mapping keeps the file's bytes
  if (mapping == MAP_FAILED) {
    const std::string text =
        std::string("Failed to open DIB file ") + (path != nullptr ? path : "") + ".\n";
    showErrorDialog("Error", text.c_str());
    return nullptr;
  }

  std::string message;
  std::unique_ptr<RgbImage> image = decodeDib(static_cast<const uint8_t*>(mapping), size, &message);
  munmap(mapping, size);
  if (image == nullptr) showErrorDialog("Error", message.c_str());
  return image;
}
