// What each part of a frame costs: the demo on its fixed clock (0.02 s steps, seed 3, muted) at the
// case's size, on one drawing path, one frame drawn every second of the whole 71-second loop and the
// steps between simulated only. The frames are drawn off-screen into an RGBA target of that size, as
// a film's are (a window's swap is the X server's copy, not ours). Each frame is drawn part by part
// in the frame pass's order, with the renderer finished after each part, so that a part is charged
// with its own pixels: the reflection pass, the main pass's clearing, sky, ships, ducks and cannonballs,
// sea and effects, the texts, and a film's read-back of the picture. Reports each part's mean per
// frame in processor time of the whole process (the renderer's threads included) and in wall time.
//
// Under an instruction counter, each part is one function (part_<name>): with LP_NUM_THREADS=0 the
// renderer works on the calling thread and `valgrind --tool=callgrind --toggle-collect='*part_*'`
// counts each part's instructions, which are the same on a busy machine (bench/frame_parts.sh).
// One case per process; needs an X display (run under xvfb-run) for the GL context.
#include <benchmark/benchmark.h>

#include <unistd.h>  // Required for: chdir (the run-time tree's paths are relative to bin/)

#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>  // Required for: clock_gettime(CLOCK_PROCESS_CPUTIME_ID)
#include <filesystem>
#include <string>

#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/reflection_target.h"
#include "app/scene.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "effects/effects.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "sim/entity_draw.h"
#include "timeline/timeline.h"

namespace {

constexpr double kStep = 0.02;          // seconds per idle step, as the frame benches run
constexpr int kStepsPerSample = 50;     // one drawn frame per second of demo time
constexpr double kLoopSeconds = 71.0;   // the script's whole run

double processSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The frame's parts, each its own function for the instruction counter; every one ends with the
// renderer finished.
GLuint g_packBuffer = 0;
int g_width = 0, g_height = 0;

[[gnu::noinline]] void part_reflection() {
  gfxMatrixMode(GL_MODELVIEW);
  drawReflectionPass();
  glFinish();
}
[[gnu::noinline]] void part_clear() {
  beginMainPass();
  glFinish();
}
[[gnu::noinline]] void part_sky() {
  drawSky();
  glFinish();
}
[[gnu::noinline]] void part_ships() {
  drawShips(ViewPass::Main);
  glFinish();
}
[[gnu::noinline]] void part_ducks() {
  drawDucksAndBalls();
  glFinish();
}
[[gnu::noinline]] void part_sea() {
  drawSea();
  glFinish();
}
[[gnu::noinline]] void part_effects() {
  drawEffects(ViewPass::Main);
  glFinish();
}
[[gnu::noinline]] void part_text() {
  drawOverlays(true);
  glFinish();
}
// As a film reads its picture: into a pixel-pack buffer, then mapped for the encoder.
[[gnu::noinline]] void part_readback() {
  glBindBuffer(GL_PIXEL_PACK_BUFFER, g_packBuffer);
  glReadPixels(0, 0, g_width, g_height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  const void* picture = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
  benchmark::DoNotOptimize(picture);
  glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

struct Part {
  const char* name;
  void (*draw)();
};
// In the frame pass's order.
constexpr std::array<Part, 9> kParts = {{{"reflection", part_reflection}, {"clear", part_clear}, {"sky", part_sky},
                                         {"ships", part_ships}, {"ducks", part_ducks}, {"sea", part_sea},
                                         {"effects", part_effects}, {"text", part_text},
                                         {"readback", part_readback}}};

void skip(benchmark::State& state, const char* why) {
  state.SkipWithError(why);
  for (auto _ : state) {
  }
}

// Arguments: path (0 designed, 1 es2), width, height.
void BM_FrameParts(benchmark::State& state) {
  static bool used = false;  // the scene and its window are made once per process
  if (std::getenv("DISPLAY") == nullptr || used) {
    return skip(state, used ? "one case per process: pick it with --benchmark_filter" : "no X display: run under xvfb-run");
  }
  const std::filesystem::path bin = std::filesystem::path(KARVOSTA_RUNTIME_DIR) / "bin";
  if (chdir(bin.c_str()) != 0) return skip(state, "no run-time tree");
  used = true;
  g_width = static_cast<int>(state.range(1));
  g_height = static_cast<int>(state.range(2));
  setDialogsEnabled(false);
  selectGraphicsPath(state.range(0) == 0 ? GraphicsPath::kDesigned : GraphicsPath::kEs2);
  static char name[] = "bench_frame_parts";
  static char* argv[] = {name, nullptr};
  int argc = 1;
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(160, 90);  // never drawn to
  glutCreateWindow(name);
  glutDisplayFunc([] {});
  onReshape(g_width, g_height);

  Options options;
  options.fixedDt = kStep;
  options.hasSeed = true;
  options.seed = 3;
  options.mute = true;
  useFixedClock(kStep);
  initScene(options, true);
  g_timelineStart = readCounter();
  fixFrameRate(static_cast<int>(1.0 / kStep + 0.5));
  FramebufferTarget target;
  if (!createFramebufferTarget(target, g_width, g_height, GL_RGBA8)) return skip(state, "no off-screen target");
  setMainFramebuffer(target.framebuffer);
  glGenBuffers(1, &g_packBuffer);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, g_packBuffer);
  glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(g_width) * g_height * 4, nullptr, GL_STREAM_READ);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);

  // One untimed frame: the first draw of each program and texture costs more than any later one.
  drawScene();
  drawOverlays(true);
  glFinish();

  std::array<double, kParts.size()> cpu{}, wall{};
  const int samples = static_cast<int>(kLoopSeconds / (kStep * kStepsPerSample));
  for (auto _ : state) {
    for (int sample = 0; sample < samples; ++sample) {
      for (int step = 0; step < kStepsPerSample; ++step) advanceWorld();
      for (size_t i = 0; i < kParts.size(); ++i) {
        const double cpuStart = processSeconds(), wallStart = wallSeconds();
        kParts[i].draw();
        cpu[i] += processSeconds() - cpuStart;
        wall[i] += wallSeconds() - wallStart;
      }
    }
  }
  double cpuTotal = 0.0, wallTotal = 0.0;
  for (size_t i = 0; i < kParts.size(); ++i) {
    state.counters[std::string(kParts[i].name) + "_cpu_ms"] = 1000.0 * cpu[i] / samples;
    state.counters[std::string(kParts[i].name) + "_ms"] = 1000.0 * wall[i] / samples;
    cpuTotal += cpu[i];
    wallTotal += wall[i];
  }
  state.counters["frames"] = samples;
  state.counters["frame_cpu_ms"] = 1000.0 * cpuTotal / samples;
  state.counters["frame_ms"] = 1000.0 * wallTotal / samples;
  glDeleteBuffers(1, &g_packBuffer);
  setMainFramebuffer(0);
  destroyFramebufferTarget(target);
  shutdownScene(true);
}
BENCHMARK(BM_FrameParts)
    ->Args({0, 800, 600})->Args({1, 800, 600})->Args({0, 1920, 1080})->Args({1, 1920, 1080})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
