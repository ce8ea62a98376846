// Wave phase advance with its wrap rule.
#include "app/wave_phase.h"

namespace {
constexpr double kPhasePerSecond = 0.8;  // wave cycles per second
}

float advanceWavePhase(float phase, double dt) {
  float next = static_cast<float>(phase - dt * kPhasePerSecond);
  // Repeated steps rather than fmod: a phase of exactly 0 or 1 must stay as it is.
  while (next > 1.0f) next -= 1.0f;
  while (next < 0.0f) next += 1.0f;
  return next;
}
