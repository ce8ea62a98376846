// Frame phase timing over std::chrono::steady_clock.
#include "app/frame_profile.h"

#include <cassert>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/frame_intervals.h"
#include "drawing/gl.h"

namespace {

bool g_profiling = false;
double g_totals[static_cast<int>(FramePhase::Count)] = {};  // seconds
long g_counts[static_cast<int>(FramePhase::Count)] = {};
bool g_recordingIntervals = false;
double g_lastFrameEnd = -1.0;      // seconds; negative until the first frame is finished
std::vector<double> g_intervals;   // seconds, one per finished frame after the first
const char* const kPhaseNames[] = {"world step", "sea update", "reflection pass", "main pass", "overlays+swap",
                                    "read-back",  "convert+encode"};

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool drawingPhase(FramePhase phase) {
  return phase == FramePhase::ReflectionPass || phase == FramePhase::MainPass || phase == FramePhase::Overlays;
}

}  // namespace

void enableFrameProfile() { g_profiling = true; }

double beginPhase() { return g_profiling ? now() : 0.0; }

void endPhase(FramePhase phase, double token) {
  if (!g_profiling) return;
  assert(phase != FramePhase::Count && "FramePhase::Count counts the phases; it is none itself");
  if (drawingPhase(phase)) glFinish();  // charge the GPU's work to the phase that queued it
  g_totals[static_cast<int>(phase)] += now() - token;
  ++g_counts[static_cast<int>(phase)];
}

void enableFrameIntervals() { g_recordingIntervals = true; }

void markFrameEnd() {
  if (!g_recordingIntervals) return;
  const double end = now();
  if (g_lastFrameEnd >= 0.0) g_intervals.push_back(end - g_lastFrameEnd);
  g_lastFrameEnd = end;
}

void printFrameProfile() {
  if (g_profiling) {
    std::printf("frame profile (mean per call):\n");
    for (int i = 0; i < static_cast<int>(FramePhase::Count); ++i) {
      if (g_counts[i] == 0) continue;
      std::printf("  %-16s %9.3f ms  (%ld calls)\n", kPhaseNames[i], 1000.0 * g_totals[i] / g_counts[i], g_counts[i]);
    }
  }
  // Headless runs and recordings show no frames on screen: there are no intervals to report.
  if (!g_recordingIntervals || g_intervals.empty()) return;
  const FrameIntervalSummary s = summarizeFrameIntervals(g_intervals);
  const double fps = s.mean > 0.0 ? 1.0 / s.mean : 0.0;
  // One line, fixed field order: bench/framerate.sh reads it.
  std::printf("frame intervals: %zu  mean %.3f ms (%.1f frames/s)  median %.3f ms  p95 %.3f ms  p99 %.3f ms  "
              "longest %.3f ms\n",
              s.count, 1000.0 * s.mean, fps, 1000.0 * s.median, 1000.0 * s.p95, 1000.0 * s.p99, 1000.0 * s.longest);
}
