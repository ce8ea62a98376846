// PNG output for screenshots.
#pragma once
#include <cstdint>

// rgb: width * height * 3 bytes, rows from the top of the picture down. On failure: false,
// errno says why, and no file is left at `path`.
bool writePng(const char* path, int width, int height, const uint8_t* rgb);
