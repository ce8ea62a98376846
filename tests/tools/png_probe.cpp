// Test tool: counts the pixels of a colour class inside a rectangle of a PNG screenshot, so the
// whole-program tests can check what a viewer would see.
// Usage: png_probe FILE X0 Y0 X1 Y1 CLASS   (pixel rectangle, top-left origin, X1/Y1 exclusive)
// CLASS: green (overlay text), brown (ship timber), white (sails, ducks), smoke (smoke, foam and white
// water: light and nearly grey), grey (light and nearly neutral: sails mirrored in the blue-green sea),
// sky (light blue above the horizon), sea (the sea's deep blue-green, bump-mapped or plainly lit).
// Prints the count.
#include <png.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool inClass(const char* name, int r, int g, int b) {
  if (std::strcmp(name, "green") == 0) return g >= 120 && r < 90 && b < 90;
  if (std::strcmp(name, "brown") == 0) return r >= 80 && r > b + 30 && g > b;
  if (std::strcmp(name, "white") == 0) return r > 190 && g > 190 && b > 190;
  if (std::strcmp(name, "grey") == 0) return r > 120 && b < r + 40;
  if (std::strcmp(name, "smoke") == 0) return r > 110 && g > 110 && b > 110 && b < r + 90;
  if (std::strcmp(name, "sky") == 0) return b > 150 && r > 60 && g > 100;
  return std::strcmp(name, "sea") == 0 && r < 80 && b >= 40 && b > r + 30 && g >= r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: png_probe FILE X0 Y0 X1 Y1 CLASS\n");
    return 2;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, argv[1])) {
    std::fprintf(stderr, "png_probe: cannot read %s\n", argv[1]);
    return 2;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    std::fprintf(stderr, "png_probe: cannot decode %s\n", argv[1]);
    return 2;
  }
  const int width = static_cast<int>(image.width), height = static_cast<int>(image.height);
  const int x0 = std::max(0, std::atoi(argv[2])), y0 = std::max(0, std::atoi(argv[3]));
  const int x1 = std::min(width, std::atoi(argv[4])), y1 = std::min(height, std::atoi(argv[5]));
  long count = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const png_byte* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
      if (inClass(argv[6], p[0], p[1], p[2])) ++count;
    }
  }
  std::printf("%ld\n", count);
  return 0;
}
