// Run-time tree: the change to the executable's directory when "../" paths do not resolve, and the
// checks of output paths before any work is done for them.
#include "platform/run_tree.h"

#include <sys/stat.h>  // Required for: stat
#include <unistd.h>    // Required for: access, chdir, getcwd, readlink

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

bool makeAbsolute(std::string& path, std::string& error) {
  if (path.empty() || path[0] == '/') return true;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) {
    error = path + " is a relative path, but the working directory cannot be found: " + std::strerror(errno);
    return false;
  }
  path = std::string(cwd) + "/" + path;
  return true;
}

std::string outputFileProblem(const std::string& path) {
  const std::string folder = path.substr(0, path.find_last_of('/') + 1);
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return "cannot write " + path + ": " + std::strerror(EISDIR);
    if (access(path.c_str(), W_OK) != 0) return "cannot write " + path + ": " + std::strerror(errno);
  } else if (stat(folder.c_str(), &info) != 0 || access(folder.c_str(), W_OK | X_OK) != 0) {
    return "cannot write " + path + ": " + std::strerror(errno);
  }
  return "";
}
