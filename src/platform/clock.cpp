// Monotonic clock over std::chrono::steady_clock, with a fixed-step mode for reproducible runs.
#include "platform/clock.h"

#include <chrono>
#include <cmath>

namespace {
bool g_fixedMode = false;
int64_t g_fixedNow = 0;
int64_t g_fixedStep = 0;  // counts per advanceFixedClock()
}  // namespace

int64_t readCounter() {
  if (g_fixedMode) return g_fixedNow;
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t counterFrequency() { return 1000000000; }

void useFixedClock(double stepSeconds) {
  g_fixedMode = true;
  g_fixedNow = 0;
  g_fixedStep = static_cast<int64_t>(std::llround(stepSeconds * static_cast<double>(counterFrequency())));
}

void advanceFixedClock() {
  if (g_fixedMode) g_fixedNow += g_fixedStep;
}

int64_t fixedClockStep() { return g_fixedMode ? g_fixedStep : 0; }
