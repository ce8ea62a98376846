// Cost of one simulation step as the number of cannonballs in flight grows, and of a step in which
// every ball ends at once.
#include <benchmark/benchmark.h>

#include "assets/mesh_model.h"
#include "sim/simulation.h"
#include "sim/world.h"
#include "sound/sound_bank.h"

namespace {

constexpr double kFrameTime = 1.0 / 60.0;  // seconds

MeshModel& testShipModel() {
  static MeshModel model;
  model.focalDistance = 40;
  model.radius = 50;
  model.energy = 10;
  model.height = 60;
  model.cannons = 10;
  model.range = 400;
  model.cannonSpeed = 40;
  return model;
}

MeshModel& testDuckModel() {
  static MeshModel model;
  model.radius = 6;
  return model;
}

// The demo's two ships and four ducks sailing in circles about 950 units wide near the origin, and
// `balls` cannonballs beyond (5000, 5000) flying away from them. A speed of 1 moves a ball 0.42
// units per frame, less than the whole unit its travelled distance counts, so every ball stays in
// flight however long the benchmark runs.
void buildWorld(int balls, int range) {
  clearWorld();
  g_sounds = nullptr;
  g_shipModel1 = &testShipModel();
  g_shipModel2 = &testShipModel();
  g_duckModel = &testDuckModel();
  setupScenario();
  for (Ship* ship : g_ships) {
    ship->speed = 2;
    ship->turn = 1;
  }
  for (Duck* duck : g_ducks) duck->turn = 1;
  for (int i = 0; i < balls; ++i) {
    Cannonball* ball = new Cannonball{};
    ball->x = 5000.0f + static_cast<float>(i % 100) * 10.0f;
    ball->y = 5000.0f + static_cast<float>(i / 100) * 10.0f;
    ball->heading = static_cast<float>(i % 90);
    ball->speed = 1;
    ball->range = range;
    g_cannonballs.append(ball);
  }
}

void BM_StepWithBallsInFlight(benchmark::State& state) {
  const int balls = static_cast<int>(state.range(0));
  buildWorld(balls, 1000000);
  for (auto _ : state) {
    updateEntities(kFrameTime);
    benchmark::ClobberMemory();
  }
  if (g_cannonballs.size() != static_cast<size_t>(balls)) state.SkipWithError("a ball left its flight");
  state.SetItemsProcessed(state.iterations() * balls);
  state.SetComplexityN(balls);
  clearWorld();
}
BENCHMARK(BM_StepWithBallsInFlight)->Arg(200)->Arg(2000)->Arg(20000)->Complexity(benchmark::oN);

// Every ball is past its range: the step splashes and removes them all.
void BM_StepWhereEveryBallSplashes(benchmark::State& state) {
  const int balls = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    buildWorld(balls, -1);
    state.ResumeTiming();
    updateEntities(kFrameTime);
  }
  state.SetItemsProcessed(state.iterations() * balls);
  state.SetComplexityN(balls);
  clearWorld();
}
BENCHMARK(BM_StepWhereEveryBallSplashes)->Arg(200)->Arg(2000)->Arg(20000)->Complexity();

}  // namespace
