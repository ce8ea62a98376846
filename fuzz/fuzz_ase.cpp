// libFuzzer target of the ASE loader: any file gives a model that drawing can use without a check.
// The loader reads a path, so each input is written to an in-memory file and read back through
// /proc/self/fd; its progress lines and notes go nowhere.
#include <fcntl.h>     // Required for: open()
#include <sys/mman.h>  // Required for: memfd_create()
#include <unistd.h>    // Required for: dup2(), ftruncate(), pwrite()

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/mesh_model.h"

namespace {

int g_inputFd = -1;
std::string g_inputPath;

// Everything MeshModel promises to its drawing code, checked on whatever the loader produced.
bool drawable(const MeshModel& model) {
  for (const std::unique_ptr<GeomObject>& object : model.objects) {
    if (object == nullptr) return false;
    const GeomObject& o = *object;
    if (o.numVertex < 0 || o.numFaces < 0 || o.numTVertex < 0 || o.numTVFaces < 0) return false;
    if (o.vertices.size() != 3u * o.numVertex || o.vertexNormals.size() != 3u * o.numVertex) return false;
    if (o.faces.size() != 3u * o.numFaces) return false;
    if (o.tvertices.size() != 3u * o.numTVertex) return false;
    for (uint32_t corner : o.faces) {
      if (corner >= static_cast<uint32_t>(o.numVertex)) return false;
    }
    if (o.materialRef < -1 || o.materialRef >= static_cast<int32_t>(model.materials.size())) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  setenv("KARVOSTA_NO_DIALOGS", "1", 1);  // an unopenable file reports on stderr, never in a window
  const int devNull = open("/dev/null", O_WRONLY);
  if (devNull >= 0) {
    dup2(devNull, STDOUT_FILENO);  // the "loading ... done" lines, twice per input
    close(devNull);
  }
  g_inputFd = memfd_create("fuzz_ase_input", 0);
  if (g_inputFd < 0) {
    std::perror("memfd_create");
    std::abort();
  }
  g_inputPath = "/proc/self/fd/" + std::to_string(g_inputFd);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (ftruncate(g_inputFd, 0) != 0) std::abort();
  size_t written = 0;
  while (written < size) {
    const ssize_t n = pwrite(g_inputFd, data + written, size - written, static_cast<off_t>(written));
    if (n <= 0) std::abort();
    written += static_cast<size_t>(n);
  }
  MeshModel model;
  model.loadAse(g_inputPath.c_str());
  if (!drawable(model)) __builtin_trap();
  return 0;
}
