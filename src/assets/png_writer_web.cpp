// PNG output in the web build: none. A page has no files to write a screenshot to (the program
// refuses --screenshot there); whoever compares pictures reads the canvas instead.
#include "assets/png_writer.h"

#include <cerrno>

bool writePng(const char* /*path*/, int /*width*/, int /*height*/, const uint8_t* /*rgb*/) {
  errno = ENOTSUP;
  return false;
}
