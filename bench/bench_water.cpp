// Sea grid update speed: setPhase over the scene's 50 x 50 grid and a 500 x 500 one, without GL.
// Reported per vertex: the cost should stay flat as the grid grows (linear total).
#include <benchmark/benchmark.h>

#include <fcntl.h>   // Required for: open
#include <unistd.h>  // Required for: dup, dup2 (silencing the constructor's progress line)

#include <cstdio>

#include "water/water_surface.h"

namespace {

constexpr float kLight[3] = {500.0f, -500.0f, 910.0f};

void setPhase(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int nothing = open("/dev/null", O_WRONLY);
  dup2(nothing, STDOUT_FILENO);
  WaterSurface sea(-1500, 1500, side, -1500, 1500, side, 0, kLight, 0u, false);
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(nothing);
  close(saved);
  const int origin[2] = {0, 0}, direction[2] = {2, 1};
  sea.setWave(origin, direction, 250.0f, 2.0f);

  float phase = 0.0f;
  for (auto _ : state) {
    sea.setPhase(phase);
    benchmark::DoNotOptimize(sea.positions.data());
    benchmark::ClobberMemory();
    phase -= 0.013f;  // about one 60 Hz step
    if (phase < 0.0f) phase += 1.0f;
  }
  const double vertices = static_cast<double>(side) * side;
  // Seconds per vertex, shown with an SI prefix ("4.1n" = 4.1 ns).
  state.counters["per_vertex"] = benchmark::Counter(static_cast<double>(state.iterations()) * vertices,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(setPhase)->Arg(50)->Arg(500)->Unit(benchmark::kMicrosecond);
