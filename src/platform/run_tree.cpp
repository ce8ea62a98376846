// Run-time tree: the change to the executable's directory when "../" paths do not resolve.
#include "platform/run_tree.h"

#include <sys/stat.h>  // Required for: stat
#include <unistd.h>    // Required for: chdir, getcwd, readlink

#include <cerrno>
#include <climits>  // Required for: PATH_MAX
#include <cstdio>
#include <cstring>

namespace {

bool isDirectory(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool exists(const char* path) {
  struct stat info;
  return stat(path, &info) == 0;
}

}  // namespace

bool enterRunTimeTree() {
  // The shader source, not merely a "bin" directory: a home directory often has ../bin and ../data
  // of its own.
  if (exists("../bin/wave.cg") && isDirectory("../data")) return true;
  char exe[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) {
    std::fprintf(stderr, "karvosta: cannot find the program's own directory: %s\n", std::strerror(errno));
    return false;
  }
  exe[length] = '\0';
  char* slash = std::strrchr(exe, '/');
  if (slash == nullptr) return false;
  *slash = '\0';
  if (chdir(exe[0] != '\0' ? exe : "/") != 0) {
    std::fprintf(stderr, "karvosta: cannot change to %s: %s\n", exe, std::strerror(errno));
    return false;
  }
  return true;
}

std::string absolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}
