// Frame-rate meter of the demo: the measuring window over the displayed frames.
#include "app/frame_rate.h"

#include <algorithm>
#include <cmath>

#include "app/globals.h"  // Required for: g_perfFrequency
#include "platform/clock.h"

int g_framesPerSecond = 0;

namespace {
FrameRateMeter g_frameRateMeter;
int g_fixedFrameRate = 0;  // frames per second; 0: measured
}  // namespace

bool countFrame(FrameRateMeter& meter, int64_t now, int64_t frequency, int64_t longestGap) {
  const int64_t gap = now - meter.lastFrame;
  meter.lastFrame = now;
  if (gap > longestGap) {
    meter.framesCounted = 0;
    meter.windowStart = now;
    return false;
  }
  meter.framesCounted += 1;
  if (frequency <= 0) return false;
  const double seconds = static_cast<double>(now - meter.windowStart) / static_cast<double>(frequency);
  if (!(seconds > 1.0)) return false;
  meter.framesPerSecond = static_cast<int>(meter.framesCounted / seconds);
  meter.framesCounted = 0;
  meter.windowStart = now;
  return true;
}

int64_t longestFrameGap() {
  constexpr double kLongestFrame = 0.25;  // seconds; frames here take 5 to 60 ms
  return std::max(std::llround(kLongestFrame * static_cast<double>(g_perfFrequency)),
                  static_cast<long long>(fixedClockStep()));
}

void startFrameRateWindow(int64_t now) {
  g_frameRateMeter = FrameRateMeter{};
  g_frameRateMeter.windowStart = g_frameRateMeter.lastFrame = now;
  g_framesPerSecond = 0;
}

void countDisplayedFrame() {
  // The window restarts at a fresh read of the clock, after the rate has been worked out.
  if (countFrame(g_frameRateMeter, readCounter(), g_perfFrequency, longestFrameGap())) {
    g_frameRateMeter.windowStart = g_frameRateMeter.lastFrame = readCounter();
  }
  g_framesPerSecond = g_fixedFrameRate > 0 ? g_fixedFrameRate : g_frameRateMeter.framesPerSecond;
}

void fixFrameRate(int framesPerSecond) {
  g_fixedFrameRate = framesPerSecond;
  if (framesPerSecond > 0) g_framesPerSecond = framesPerSecond;
}
