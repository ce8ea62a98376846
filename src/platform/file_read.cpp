#include "platform/file_read.h"

#include <cstdio>

bool readWholeFile(const char* path, std::string& bytes) {
  bytes.clear();
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  char chunk[1 << 16];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}
