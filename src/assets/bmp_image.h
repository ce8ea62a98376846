// Windows BMP (DIB) reader: decodes any supported bitmap file into tightly packed 24-bit RGB. No GL.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A decoded picture, ready for glTexImage2D(GL_RGB, GL_UNSIGNED_BYTE) with an unpack alignment of 1.
struct RgbImage {
  int32_t width = 0;            // pixels per row, as in the file's header
  int32_t height = 0;           // number of rows; always positive (top-down files are turned over)
  std::vector<uint8_t> pixels;  // width * height * 3 bytes: red, green, blue; first row = bottom row; no padding
};

// Reads the file in place through a read-only mapping. On failure shows one error dialog
// (caption "Error") and returns null; never throws.
std::unique_ptr<RgbImage> loadDib(const char* path);

// The same decoding over bytes in memory, for tests and fuzzing: no dialog. On failure returns null
// and, if message is not null, stores the text the dialog would show.
std::unique_ptr<RgbImage> decodeDib(const uint8_t* bytes, size_t size, std::string* message);
