// BMP decoder regressions from fuzzing: files whose few bytes claim pictures far larger than
// anything they could describe pixel by pixel.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "assets/bmp_image.h"

namespace {

using Bytes = std::vector<uint8_t>;

void putU16(Bytes& out, uint32_t v) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void putU32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// "BM" file of an RLE8 picture with a two-colour table whose data is `rle` (end-of-bitmap escape
// included by the caller).
Bytes rle8File(int32_t width, int32_t height, const Bytes& rle) {
  constexpr uint32_t kPixelOffset = 14 + 40 + 2 * 4;
  Bytes out = {'B', 'M'};
  putU32(out, kPixelOffset + static_cast<uint32_t>(rle.size()));
  putU32(out, 0);
  putU32(out, kPixelOffset);
  putU32(out, 40);
  putU32(out, static_cast<uint32_t>(width));
  putU32(out, static_cast<uint32_t>(height));
  putU16(out, 1);  // planes
  putU16(out, 8);  // bits per pixel
  putU32(out, 1);  // RLE8
  putU32(out, 0);
  putU32(out, 0);
  putU32(out, 0);
  putU32(out, 2);  // colours used
  putU32(out, 0);
  putU32(out, 0x00000000);  // black
  putU32(out, 0x00FFFFFF);  // white
  out.insert(out.end(), rle.begin(), rle.end());
  return out;
}

const Bytes kEndOfBitmap = {0x00, 0x01};

std::string rejection(const Bytes& file) {
  std::string message;
  const std::unique_ptr<RgbImage> image = decodeDib(file.data(), file.size(), &message);
  EXPECT_EQ(image, nullptr);
  return message;
}

}  // namespace

// 64 bytes claiming 16384 x 16384 pixels took 800 MB and over a second to clear to black.
TEST(BmpRegression, TinyRunLengthFileCannotClaimAHugePicture) {
  const Bytes tiny = {
      0x42, 0x4d, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3e, 0x00, 0x00, 0x00, 0x28, 0x00,
      0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x01, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
  EXPECT_EQ(rejection(tiny), "Unknown DIB file format.");
  EXPECT_EQ(rejection(rle8File(16384, 4097, kEndOfBitmap)), "Unknown DIB file format.");
  EXPECT_EQ(rejection(rle8File(4097, 16384, kEndOfBitmap)), "Unknown DIB file format.");
  // Top-down pictures are measured by their number of rows, whatever the sign.
  Bytes topDown = rle8File(8193, -8192, kEndOfBitmap);
  topDown[30] = 0;  // uncompressed instead: the size test comes before the compression test
  EXPECT_EQ(rejection(topDown), "Unknown DIB file format.");
}

// The largest picture in all still decodes; the pixels the run-length data never reaches are black.
TEST(BmpRegression, LargestPictureInAllStillDecodes) {
  const Bytes file = rle8File(8192, 8192, {0x03, 0x01, 0x00, 0x01});  // three white, then the end
  std::string message;
  const std::unique_ptr<RgbImage> image = decodeDib(file.data(), file.size(), &message);
  ASSERT_NE(image, nullptr) << message;
  EXPECT_EQ(image->width, 8192);
  EXPECT_EQ(image->height, 8192);
  ASSERT_EQ(image->pixels.size(), 8192u * 8192u * 3u);
  const std::vector<uint8_t> firstFour(image->pixels.begin(), image->pixels.begin() + 12);
  EXPECT_EQ(firstFour, (std::vector<uint8_t>{255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0}));
  EXPECT_EQ(image->pixels.back(), 0);
}
