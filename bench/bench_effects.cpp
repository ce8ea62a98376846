// Cost of the battle's effects at the busiest moments of the run: the close exchange (19.5 to 24.5 s)
// and the sinking (44 to 54 s). One process runs one case: the demo on its fixed clock (1/25 s,
// seed 1, muted) in a real window of the case's size, untimed up to the window's start and then one
// timed frame per step (idle step, frame pass, overlays, swap, glFinish). Reports the mean and the
// longest frame. bench/effects_cost.sh runs the cases interleaved and prints the ratios.
// Needs an X display (run under xvfb-run); the window must fit on its screen.
#include <benchmark/benchmark.h>

#include <unistd.h>  // Required for: chdir (the run-time tree's paths are relative to bin/)

#include <algorithm>
#include <chrono>
#include <ctime>  // Required for: clock_gettime(CLOCK_PROCESS_CPUTIME_ID)
#include <cstdlib>
#include <filesystem>

#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/scene.h"
#include "drawing/gl.h"
#include "effects/effects.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "timeline/timeline.h"

namespace {

// Processor time of the whole process, the renderer's threads included: on a loaded machine it
// still says what a frame costs, where the wall time also says what the neighbours cost.
double processSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

constexpr double kStep = 0.04;  // seconds per frame: 25 frames/s, as the fingerprint's pictures

struct Window {
  double from, to;  // seconds into the first run
};
constexpr Window kExchange{19.5, 24.5};
constexpr Window kSinking{44.0, 54.0};

void BM_BattleFrames(benchmark::State& state) {
  const Window window = state.range(0) == 0 ? kExchange : kSinking;
  const bool effects = state.range(1) != 0;
  const int width = static_cast<int>(state.range(2)), height = static_cast<int>(state.range(3));
  static bool used = false;  // the scene and its window are made once per process
  if (std::getenv("DISPLAY") == nullptr || used) {
    state.SkipWithError(used ? "one case per process: pick it with --benchmark_filter" : "no X display: run under xvfb-run");
    for (auto _ : state) {
    }
    return;
  }
  const std::filesystem::path bin = std::filesystem::path(KARVOSTA_RUNTIME_DIR) / "bin";
  if (chdir(bin.c_str()) != 0) {
    state.SkipWithError("no run-time tree");
    for (auto _ : state) {
    }
    return;
  }
  used = true;
  setDialogsEnabled(false);
  static char name[] = "bench_effects";
  static char* argv[] = {name, nullptr};
  int argc = 1;
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(width, height);
  glutInitWindowPosition(0, 0);
  glutCreateWindow(name);
  glutDisplayFunc([] {});
  onReshape(width, height);

  Options options;
  options.fixedDt = kStep;
  options.hasSeed = true;
  options.seed = 1;
  options.mute = true;
  options.noEffects = !effects;
  useFixedClock(kStep);
  initScene(options, true);
  g_timelineStart = readCounter();
  fixFrameRate(static_cast<int>(1.0 / kStep + 0.5));  // the firing windows of a 25 frames/s run

  const int first = static_cast<int>(window.from / kStep + 0.5), last = static_cast<int>(window.to / kStep + 0.5);
  for (int frame = 0; frame < first; ++frame) advanceWorld();
  // One untimed frame: the first draw of each program and texture costs more than any later one.
  drawScene();
  drawOverlays(true);
  glutSwapBuffers();
  glFinish();
  double total = 0.0, longest = 0.0, totalCpu = 0.0, longestCpu = 0.0;
  for (auto _ : state) {
    for (int frame = first; frame < last; ++frame) {
      const auto start = std::chrono::steady_clock::now();
      const double cpuStart = processSeconds();
      advanceWorld();
      drawScene();
      drawOverlays(true);
      glutSwapBuffers();
      glFinish();
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const double cpu = processSeconds() - cpuStart;
      total += seconds;
      longest = std::max(longest, seconds);
      totalCpu += cpu;
      longestCpu = std::max(longestCpu, cpu);
    }
  }
  state.counters["mean_ms"] = 1000.0 * total / (last - first);
  state.counters["longest_ms"] = 1000.0 * longest;
  state.counters["mean_cpu_ms"] = 1000.0 * totalCpu / (last - first);
  state.counters["longest_cpu_ms"] = 1000.0 * longestCpu;
  state.counters["particles"] = g_particles.living();
  shutdownScene(true);
}
// window (0 exchange, 1 sinking), effects (0 off, 1 on), width, height; one iteration = the window.
BENCHMARK(BM_BattleFrames)
    ->Args({0, 0, 800, 600})->Args({0, 1, 800, 600})->Args({1, 0, 800, 600})->Args({1, 1, 800, 600})
    ->Args({0, 0, 1920, 1080})->Args({0, 1, 1920, 1080})->Args({1, 0, 1920, 1080})->Args({1, 1, 1920, 1080})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
