// ASE loading speed in MB/s: a large synthetic model written by the bench, and the largest of the
// program's generated models when they exist.
#include <benchmark/benchmark.h>

#include <fcntl.h>   // Required for: open (standard output is parked on /dev/null while loading)
#include <unistd.h>  // Required for: dup, dup2, getpid

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "assets/mesh_model.h"

namespace {

namespace fs = std::filesystem;

// Grid mesh in the exporters' layout: per-face normals with three vertex normals each, texture
// vertices one per vertex, smoothing groups and material ids on every face line.
std::string syntheticModel(int side) {
  const int vertices = side * side;
  const int faces = 2 * (side - 1) * (side - 1);
  std::string text = "*3DSMAX_ASCIIEXPORT\t200\n*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n";
  text += "\t*MATERIAL 0 {\n\t\t*MATERIAL_AMBIENT 0.1000\t0.1000\t0.1000\n";
  text += "\t\t*BITMAP NONE\n\t}\n}\n";
  text += "*RADIUS 90\n*BRENNWEITE 60\n*GEOMOBJECT {\n\t*NODE_NAME \"Grid\"\n\t*MESH {\n";
  text += "\t\t*MESH_NUMVERTEX " + std::to_string(vertices) + "\n";
  text += "\t\t*MESH_NUMFACES " + std::to_string(faces) + "\n\t\t*MESH_VERTEX_LIST {\n";
  char line[256];
  for (int v = 0; v < vertices; ++v) {
    std::snprintf(line, sizeof line, "\t\t\t*MESH_VERTEX %5d\t%.4f\t%.4f\t%.4f\n", v,
                  (v % side) * 1.25, (v / side) * 1.25, (v % 7) * 0.1);
    text += line;
  }
  text += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
  int face = 0;
  for (int y = 0; y + 1 < side; ++y) {
    for (int x = 0; x + 1 < side; ++x) {
      const int a = y * side + x;
      const int quad[2][3] = {{a, a + 1, a + side + 1}, {a, a + side + 1, a + side}};
      for (const auto& f : quad) {
        std::snprintf(line, sizeof line,
                      "\t\t\t*MESH_FACE %5d:    A: %5d B: %5d C: %5d AB:    1 BC:    1 CA:    0"
                      "\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0\n",
                      face++, f[0], f[1], f[2]);
        text += line;
      }
    }
  }
  text += "\t\t}\n\t\t*MESH_NUMTVERTEX " + std::to_string(vertices) + "\n\t\t*MESH_TVERTLIST {\n";
  for (int v = 0; v < vertices; ++v) {
    std::snprintf(line, sizeof line, "\t\t\t*MESH_TVERT %d\t%.4f\t%.4f\t0.0000\n", v,
                  (v % side) / double(side), (v / side) / double(side));
    text += line;
  }
  text += "\t\t}\n\t\t*MESH_NORMALS {\n";
  for (int f = 0; f < faces; ++f) {
    std::snprintf(line, sizeof line, "\t\t\t*MESH_FACENORMAL %d\t0.0000\t0.0000\t1.0000\n", f);
    text += line;
    for (int k = 0; k < 3; ++k) {
      std::snprintf(line, sizeof line, "\t\t\t\t*MESH_VERTEXNORMAL %d\t0.0000\t0.0000\t1.0000\n",
                    (f / 2 + k) % vertices);
      text += line;
    }
  }
  text += "\t\t}\n\t}\n\t*MATERIAL_REF 0\n\t*WIREFRAME_COLOR 0.5\t0.5\t0.5\n}\n";
  return text;
}

// Loads the file once per iteration with standard output parked, since every load prints its
// progress line.
void loadRepeatedly(benchmark::State& state, const std::string& path) {
  const auto bytes = static_cast<int64_t>(fs::file_size(path));
  std::fflush(stdout);
  const int savedStdout = dup(1);
  const int devNull = open("/dev/null", O_WRONLY);
  dup2(devNull, 1);
  size_t faces = 0;
  for (auto _ : state) {
    MeshModel model;
    model.loadAse(path.c_str());
    faces = model.objects.empty() ? 0 : static_cast<size_t>(model.objects[0]->numFaces);
    benchmark::DoNotOptimize(model.objects.data());
  }
  std::fflush(stdout);
  dup2(savedStdout, 1);
  close(savedStdout);
  close(devNull);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["faces"] = static_cast<double>(faces);
}

// Written on first use, removed when the program ends (the benchmark runs its function several
// times while it settles the iteration count).
struct SyntheticFile {
  std::string path;
  SyntheticFile() {
    path = (fs::temp_directory_path() / ("karvosta_bench_" + std::to_string(getpid()) + ".ase"))
               .string();
    std::ofstream(path, std::ios::binary) << syntheticModel(200);  // 40000 vertices, 79202 faces
  }
  ~SyntheticFile() {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
};

void BM_LoadSyntheticModel(benchmark::State& state) {
  static const SyntheticFile file;
  loadRepeatedly(state, file.path);
}
BENCHMARK(BM_LoadSyntheticModel)->Unit(benchmark::kMillisecond);

void BM_LoadLargestGeneratedModel(benchmark::State& state) {
  const fs::path objects = fs::path(KARVOSTA_RUNTIME_DIR) / "data" / "objects";
  fs::path largest;
  for (const char* name : {"schiff1.ase", "schiff2.ase", "ente.ase"}) {
    const fs::path candidate = objects / name;
    if (fs::exists(candidate) &&
        (largest.empty() || fs::file_size(candidate) > fs::file_size(largest))) {
      largest = candidate;
    }
  }
  if (largest.empty()) {
    state.SkipWithError("generated models not found");
    for (auto _ : state) {
    }
    return;
  }
  state.SetLabel(largest.filename().string());
  loadRepeatedly(state, largest.string());
}
BENCHMARK(BM_LoadLargestGeneratedModel)->Unit(benchmark::kMillisecond);

}  // namespace
