// libFuzzer target of the BMP decoder: any bytes give either a well-formed picture or one message.
#include <cstdint>
#include <memory>
#include <string>

#include "assets/bmp_image.h"

namespace {

// Largest picture the decoder may hand on: 8192 x 8192 pixels in all, 3 bytes each.
constexpr uint64_t kMaxPixelBytes = 8192ull * 8192ull * 3ull;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string message;
  const std::unique_ptr<RgbImage> image = decodeDib(data, size, &message);
  if (image == nullptr) {
    // Every rejection says why, in one of the decoder's four texts.
    if (message != "Unknown DIB file format." && message != "Image file conversion error." &&
        message != "Out of memory.") {
      __builtin_trap();
    }
    return 0;
  }
  // What glTexImage2D will be told must match the buffer it reads.
  if (image->width <= 0 || image->height <= 0) __builtin_trap();
  const uint64_t expected = static_cast<uint64_t>(image->width) * static_cast<uint64_t>(image->height) * 3;
  if (expected > kMaxPixelBytes || image->pixels.size() != expected) __builtin_trap();
  return 0;
}
