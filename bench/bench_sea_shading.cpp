// Cost of the sea's programs: the demo's sea grid drawn alone into an 800x600 off-screen target
// from three views, once with the reflection image read nowhere (the open sea, the usual case) and
// once with it read everywhere. Needs an X display (run under xvfb-run).
//
// KARVOSTA_GL=es2 draws through the GL ES 2.0 path instead of the designed one.
//
// Comparing program files: KARVOSTA_SEA_PROGRAMS names one or more wave.cg files (separated by
// spaces; the default is the run tree's own). Each gets its own sea, and every benchmark runs once
// per file. Run with --benchmark_enable_random_interleaving=true so that the files' repetitions take
// turns and a noisy spell of the machine falls on all of them; compare the "min" rows, which a
// busy neighbour can only make longer.
#include <benchmark/benchmark.h>

#include <stdlib.h>  // Required for: mkdtemp

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/scene.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "offscreen_context.h"
#include "platform/dialog.h"
#include "water/reflection_cover.h"
#include "water/water_surface.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 800;  // the program's window size, pixels
constexpr int kHeight = 600;
constexpr int kReflectionSize = 512;
const float kLight[3] = {500.0f, -500.0f, 910.0f};  // the demo's sun

// Eye and target in world units; the demo's lens (45 degrees, square aspect, 50 to 1000 units).
struct View {
  const char* name;
  float eye[3];
  float target[3];
};
const View kViews[] = {
    {"above", {0.0f, -150.0f, 180.0f}, {0.0f, 100.0f, 0.0f}},  // looking down into the water
    {"middle", {0.0f, 0.0f, 80.0f}, {0.0f, 400.0f, 0.0f}},     // the horizon near the top
    {"horizon", {0.0f, 0.0f, 30.0f}, {0.0f, 500.0f, 15.0f}},   // the horizon across the middle
};

struct Bench {
  bool ready = false;
  std::string error;
  std::vector<std::string> files;
  std::vector<std::unique_ptr<WaterSurface>> seas;  // one per file
  GLuint reflection = 0;
};

// The program files to compare: KARVOSTA_SEA_PROGRAMS, or the run tree's own.
std::vector<std::string> programFiles() {
  const char* names = std::getenv("KARVOSTA_SEA_PROGRAMS");
  std::istringstream list(names != nullptr ? names : "");
  std::vector<std::string> files;
  for (std::string file; list >> file;) files.push_back(fs::absolute(file).string());
  if (files.empty()) files.push_back((fs::path(KARVOSTA_RUNTIME_DIR) / "bin" / "wave.cg").string());
  return files;
}

// A run tree of its own for a program file: the sea reads "../bin/wave.cg" and the bump map under
// "../data" from the working directory.
fs::path treeFor(const fs::path& root, size_t index, const std::string& file) {
  const fs::path tree = root / std::to_string(index);
  fs::create_directories(tree / "bin");
  fs::copy_file(file, tree / "bin" / "wave.cg");
  fs::create_directory_symlink(fs::path(KARVOSTA_RUNTIME_DIR) / "data", tree / "data");
  return tree / "bin";
}

Bench& bench() {
  static Bench b;
  static bool tried = false;
  if (tried) return b;
  tried = true;
  b.files = programFiles();

  setDialogsEnabled(false);
  if (!openHiddenContext("bench_sea_shading")) {
    b.error = "no X display: run under xvfb-run";
    return b;
  }
  bindOffscreenTarget(kWidth, kHeight);
  const char* path = std::getenv("KARVOSTA_GL");
  if (path != nullptr && std::string(path) == "es2") selectGraphicsPath(GraphicsPath::kEs2);
  setUpGlState();

  // An empty reflection image, as the reflection pass leaves it where it drew nothing.
  glGenTextures(1, &b.reflection);
  glBindTexture(GL_TEXTURE_2D, b.reflection);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const std::vector<GLubyte> clear(static_cast<size_t>(kReflectionSize) * kReflectionSize * 4, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kReflectionSize, kReflectionSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               clear.data());

  char temp[] = "/tmp/karvosta_bench_sea_XXXXXX";
  if (mkdtemp(temp) == nullptr) {
    b.error = "cannot make a temporary directory";
    return b;
  }
  const fs::path root = temp;
  const fs::path home = fs::current_path();
  const int origin[2] = {0, 0}, direction[2] = {1, 1};
  for (size_t i = 0; i < b.files.size(); ++i) {
    if (!fs::exists(b.files[i])) {
      b.error = "no such program file: " + b.files[i];
      fs::remove_all(root);
      return b;
    }
    fs::current_path(treeFor(root, i, b.files[i]));
    auto sea = std::make_unique<WaterSurface>(-1500, 1500, 50, -1500, 1500, 50, 0, kLight, b.reflection);
    if (sea->vertexProgram == nullptr || sea->fragmentProgram == nullptr || sea->openSeaProgram == nullptr) {
      b.error = "the programs of " + b.files[i] + " do not compile: " + shaderLastError();
      fs::current_path(home);
      fs::remove_all(root);
      return b;
    }
    sea->setWave(origin, direction, 250.0f, 2.0f);
    sea->setPhase(0.3f);
    b.seas.push_back(std::move(sea));
  }
  fs::current_path(home);
  fs::remove_all(root);  // everything is read: programs compiled, bump map uploaded
  b.ready = glGetError() == GL_NO_ERROR;
  if (!b.ready) b.error = "GL error while setting up";
  return b;
}

void drawSea(WaterSurface& sea, const View& view, const ReflectionCover& cover) {
  glViewport(0, 0, kWidth, kHeight);
  glClearColor(0.7f, 0.8f, 0.9f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  gfxDepthMask(true);
  gfxMatrixMode(GL_PROJECTION);
  gfxLoadIdentity();
  gfxPerspective(45.0, 1.0, 50.0, 1000.0);
  gfxLookAt(view.eye[0], view.eye[1], view.eye[2], view.target[0], view.target[1], view.target[2], 0.0, 0.0, 1.0);
  gfxMatrixMode(GL_MODELVIEW);
  gfxLoadIdentity();
  sea.draw(view.eye, kWidth, kHeight, &cover);
  glFinish();  // count the rendering, not only the submission
}

// The measured draws, apart from the warm-up: an instruction counter can be told to count inside
// this function only (valgrind --tool=callgrind --toggle-collect='*drawMeasured*', with one
// iteration: --benchmark_min_time=1e-9), which is steadier than a clock on a shared machine.
[[gnu::noinline]] void drawMeasured(WaterSurface& sea, const View& view, const ReflectionCover& cover) {
  drawSea(sea, view, cover);
}

// Arguments: file index, view index, reflection read (0 nowhere, 1 everywhere).
void BM_Sea(benchmark::State& state) {
  Bench& b = bench();
  if (!b.ready) {
    state.SkipWithError(b.error.c_str());
    for (auto _ : state) {
    }
    return;
  }
  WaterSurface& sea = *b.seas[static_cast<size_t>(state.range(0))];
  const View& view = kViews[state.range(1)];
  ReflectionCover cover;
  if (state.range(2) != 0) cover.coverAll();
  drawSea(sea, view, cover);  // warm-up: the programs' first link and use, the renderer's compiling
  for (auto _ : state) drawMeasured(sea, view, cover);
  state.SetLabel(std::string(view.name) + (state.range(2) != 0 ? " mirrored " : " open ") + b.files[state.range(0)]);
}

double minimum(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

// The files are known only at run time, so the benchmarks are registered then.
const bool g_registered = [] {
  const long count = static_cast<long>(programFiles().size());
  for (long file = 0; file < count; ++file) {
    for (long view = 0; view < static_cast<long>(std::size(kViews)); ++view) {
      for (long mirrored = 0; mirrored < 2; ++mirrored) {
        benchmark::RegisterBenchmark("BM_Sea", BM_Sea)
            ->Args({file, view, mirrored})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->ComputeStatistics("min", minimum);
      }
    }
  }
  return true;
}();

}  // namespace
