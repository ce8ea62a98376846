// Frame rate of the three model render paths: one model drawn 200 times in a grid per frame,
// rendered off screen through a hidden freeglut window. Needs an X display (run under xvfb-run).
#include <benchmark/benchmark.h>

#include <unistd.h>  // Required for: chdir (model files name their bitmaps relative to bin/)

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/scene.h"
#include "assets/mesh_model.h"
#include "drawing/gl.h"
#include "offscreen_context.h"
#include "platform/dialog.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 800;  // the program's window size, pixels
constexpr int kHeight = 600;
constexpr int kGridColumns = 20;  // 20 x 10 = 200 models per frame
constexpr int kGridRows = 10;
constexpr float kGridSpacing = 120.0f;  // world units between models

// A gently waved grid in the exporters' layout, for when the generated ship is absent.
std::string syntheticModel(int side) {
  const int faces = 2 * (side - 1) * (side - 1);
  std::string text = "*MATERIAL_LIST { *MATERIAL_COUNT 1\n"
                     " *MATERIAL 0 { *MATERIAL_DIFFUSE 0.6 0.4 0.2 *BITMAP NONE } }\n"
                     "*GEOMOBJECT {\n *MESH {\n";
  text += "  *MESH_NUMVERTEX " + std::to_string(side * side) + "\n";
  text += "  *MESH_NUMFACES " + std::to_string(faces) + "\n  *MESH_VERTEX_LIST {\n";
  char line[200];
  for (int v = 0; v < side * side; ++v) {
    std::snprintf(line, sizeof line, "   *MESH_VERTEX %d %.3f %.3f %.3f\n", v,
                  (v % side - side / 2) * 2.0, (v / side - side / 2) * 2.0, (v % 5) * 0.5);
    text += line;
  }
  text += "  }\n  *MESH_FACE_LIST {\n";
  int face = 0;
  for (int y = 0; y + 1 < side; ++y) {
    for (int x = 0; x + 1 < side; ++x) {
      const int a = y * side + x;
      std::snprintf(line, sizeof line,
                    "   *MESH_FACE %d: A: %d B: %d C: %d AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1\n"
                    "   *MESH_FACE %d: A: %d B: %d C: %d AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1\n",
                    face, a, a + 1, a + side + 1, face + 1, a, a + side + 1, a + side);
      face += 2;
      text += line;
    }
  }
  return text + "  }\n }\n *MATERIAL_REF 0\n}\n";
}

struct Scene {
  bool ready = false;
  std::string error;
  std::unique_ptr<MeshModel> model;
  std::string modelName;
  GLuint framebuffer = 0;
};

Scene& scene() {
  static Scene s;
  static bool tried = false;
  if (tried) return s;
  tried = true;
  setDialogsEnabled(false);
  if (!openHiddenContext("bench_render_paths")) {
    s.error = "no X display: run under xvfb-run";
    return s;
  }
  s.framebuffer = bindOffscreenTarget(kWidth, kHeight);

  // The program's scene state (light, ambient, texture environment) and a camera over the grid.
  setUpGlState();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, double(kWidth) / kHeight, 1.0, 10000.0);
  gluLookAt(0.0, -1400.0, 900.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  // The generated ship with its textures (its bitmap paths are relative to bin/), or a stand-in.
  const fs::path bin = fs::path(KARVOSTA_RUNTIME_DIR) / "bin";
  const fs::path ship = fs::path(KARVOSTA_RUNTIME_DIR) / "data" / "objects" / "schiff1.ase";
  s.model = std::make_unique<MeshModel>();
  if (fs::exists(ship) && chdir(bin.c_str()) == 0) {
    s.model->loadAse("../data/objects/schiff1.ase");
    s.modelName = "schiff1.ase";
  } else {
    const fs::path file = fs::temp_directory_path() / "karvosta_bench_render.ase";
    std::ofstream(file) << syntheticModel(40);
    s.model->loadAse(file.string().c_str());
    fs::remove(file);
    s.modelName = "synthetic grid";
  }
  s.model->loadTextures();
  s.model->buildDisplayList();
  s.ready = glGetError() == GL_NO_ERROR;
  if (!s.ready) s.error = "GL error while setting up";
  return s;
}

void drawFrame(const MeshModel& model, RenderPath renderPath) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  for (int row = 0; row < kGridRows; ++row) {
    for (int column = 0; column < kGridColumns; ++column) {
      glPushMatrix();
      glTranslatef((column - kGridColumns / 2) * kGridSpacing, (row - kGridRows / 2) * kGridSpacing,
                   0.0f);
      model.draw(renderPath);
      glPopMatrix();
    }
  }
  glFinish();  // count the rendering, not only the submission
}

void BM_RenderPath(benchmark::State& state) {
  Scene& s = scene();
  if (!s.ready) {
    state.SkipWithError(s.error.c_str());
    for (auto _ : state) {
    }
    return;
  }
  const auto renderPath = static_cast<RenderPath>(state.range(0));
  drawFrame(*s.model, renderPath);  // warm-up: first use of the arrays and the list
  for (auto _ : state) drawFrame(*s.model, renderPath);
  size_t faces = 0;
  for (const auto& object : s.model->objects) faces += static_cast<size_t>(object->numFaces);
  state.SetLabel(s.modelName);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
  state.counters["faces_per_model"] = static_cast<double>(faces);
}
// 2 display list, 1 glDrawElements, 0 glBegin/glEnd per face.
BENCHMARK(BM_RenderPath)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
