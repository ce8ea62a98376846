// PNG writer over libpng.
#include "assets/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>  // Required for: std::fopen(), std::remove()

bool writePng(const char* path, int width, int height, const uint8_t* rgb) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row) {
      png_write_row(png, const_cast<uint8_t*>(rgb + static_cast<size_t>(row) * width * 3));
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    const int reason = errno;  // the write's, not the removal's
    std::remove(path);  // a cut-off picture is no picture
    errno = reason;
  }
  return ok;
}
