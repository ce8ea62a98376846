// RGB pictures: byte packing, bilinear sampling, BMP encoding and PNG preview output.
#include "image.h"

#include <png.h>  // Required for: preview PNG files

#include <cmath>
#include <cstdio>

#include "det_math.h"

Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Color operator-(Color a, Color b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
Color operator*(Color a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
Color mixColor(Color a, Color b, double t) { return a + (b - a) * t; }

Image::Image(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}

namespace {

uint8_t toByte(double v) {
  // Exact rounding of a clamped value: floor(v * 255 + 0.5) is the same on every IEEE machine.
  return static_cast<uint8_t>(std::floor(dm::clamp(v, 0.0, 1.0) * 255.0 + 0.5));
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

int wrapIndex(int i, int n) {
  const int m = i % n;
  return m < 0 ? m + n : m;
}

}  // namespace

void Image::set(int x, int y, Color c) {
  uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  p[0] = toByte(c.r);
  p[1] = toByte(c.g);
  p[2] = toByte(c.b);
}

Color Image::get(int x, int y) const {
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
}

Color Image::sample(double u, double v) const {
  const double fx = u * width - 0.5, fy = v * height - 0.5;
  const double x0 = std::floor(fx), y0 = std::floor(fy);
  const double tx = fx - x0, ty = fy - y0;
  const int ix = static_cast<int>(x0), iy = static_cast<int>(y0);
  const Color a = get(wrapIndex(ix, width), wrapIndex(iy, height));
  const Color b = get(wrapIndex(ix + 1, width), wrapIndex(iy, height));
  const Color c = get(wrapIndex(ix, width), wrapIndex(iy + 1, height));
  const Color d = get(wrapIndex(ix + 1, width), wrapIndex(iy + 1, height));
  return mixColor(mixColor(a, b, tx), mixColor(c, d, tx), ty);
}

namespace {

// File and 40-byte info header of an uncompressed, bottom-up BMP with `colours` palette entries.
std::vector<uint8_t> bmpHeaders(int width, int height, int bitsPerPixel, uint32_t colours, uint32_t pixelBytes) {
  const uint32_t headersSize = 14 + 40 + 4 * colours;
  std::vector<uint8_t> out;
  out.reserve(headersSize + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  put32(out, headersSize + pixelBytes);  // file size
  put32(out, 0);                         // two reserved words
  put32(out, headersSize);               // offset of the pixels
  put32(out, 40);                        // info header size
  put32(out, static_cast<uint32_t>(width));
  put32(out, static_cast<uint32_t>(height));  // positive: bottom-up rows
  put16(out, 1);                              // planes
  put16(out, static_cast<uint32_t>(bitsPerPixel));
  put32(out, 0);  // uncompressed
  put32(out, pixelBytes);
  put32(out, 2835);  // 72 dpi, in pixels per metre
  put32(out, 2835);
  put32(out, colours);  // colours used
  put32(out, 0);        // important colours
  return out;
}

}  // namespace

std::vector<uint8_t> encodeBmp(const Image& image) {
  const uint32_t stride = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
  std::vector<uint8_t> out = bmpHeaders(image.width, image.height, 24, 0, stride * static_cast<uint32_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = &image.rgb[static_cast<size_t>(y) * image.width * 3];
    for (int x = 0; x < image.width; ++x) {
      out.push_back(row[x * 3 + 2]);
      out.push_back(row[x * 3 + 1]);
      out.push_back(row[x * 3 + 0]);
    }
    for (uint32_t pad = static_cast<uint32_t>(image.width) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> encodeGreyBmp(int width, int height, const std::vector<uint8_t>& grey) {
  const uint32_t stride = (static_cast<uint32_t>(width) + 3) & ~3u;
  std::vector<uint8_t> out = bmpHeaders(width, height, 8, 256, stride * static_cast<uint32_t>(height));
  for (uint32_t level = 0; level < 256; ++level) put32(out, level * 0x010101u);  // blue, green, red, 0
  for (int y = 0; y < height; ++y) {
    out.insert(out.end(), &grey[static_cast<size_t>(y) * width], &grey[static_cast<size_t>(y) * width] + width);
    for (uint32_t pad = static_cast<uint32_t>(width); pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

bool writePng(const std::string& path, const Image& image) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::fprintf(stderr, "assetgen: PNG encoding failed for %s\n", path.c_str());
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // PNG rows go top-down; ours are bottom-up.
  for (int y = image.height - 1; y >= 0; --y) {
    png_write_row(png, &image.rgb[static_cast<size_t>(y) * image.width * 3]);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return true;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return false;
  }
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  const bool closed = std::fclose(file) == 0;
  const bool ok = written == bytes.size() && closed;
  if (!ok) std::fprintf(stderr, "assetgen: short write on %s\n", path.c_str());
  return ok;
}

bool writeFile(const std::string& path, const std::string& text) {
  return writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}
