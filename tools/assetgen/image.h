// RGB pictures of the asset generator: the record, colour helpers, and the BMP and PNG writers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Color {
  double r = 0.0, g = 0.0, b = 0.0;  // linear 0..1 as written (no gamma handling anywhere)
};

Color operator+(Color a, Color b);
Color operator-(Color a, Color b);
Color operator*(Color a, double k);
Color operator*(Color a, Color b);
Color mixColor(Color a, Color b, double t);

// Pixels row by row, row 0 at the bottom: the order of a bottom-up BMP and of GL's t = 0.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3

  Image() = default;
  Image(int w, int h);
  void set(int x, int y, Color c);  // clamps to 0..1, rounds to bytes
  Color get(int x, int y) const;
  // Bilinear lookup with wrap-around, u and v in texture units (1 = whole picture).
  Color sample(double u, double v) const;
};

// Windows BMP: 14-byte file header, 40-byte info header, 24 bits, bottom-up rows padded to 4 bytes.
std::vector<uint8_t> encodeBmp(const Image& image);
// The same with 8 bits per pixel and a grey palette: `grey` holds width * height levels, bottom row first.
std::vector<uint8_t> encodeGreyBmp(int width, int height, const std::vector<uint8_t>& grey);
// PNG (for previews only); false with a message on stderr when writing fails.
bool writePng(const std::string& path, const Image& image);
// Writes bytes to a file; false with a message on stderr on failure.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool writeFile(const std::string& path, const std::string& text);
