// Frame-interval statistics over a run's recorded intervals.
#include "app/frame_intervals.h"

#include <algorithm>
#include <cmath>    // Required for: std::ceil()
#include <numeric>  // Required for: std::accumulate()

namespace {

// Nearest rank: the smallest value with at least `percent` % of the values at or below it.
double percentile(const std::vector<double>& sorted, double percent) {
  const double rank = std::ceil(percent / 100.0 * static_cast<double>(sorted.size()));
  const size_t index = static_cast<size_t>(std::max(rank, 1.0)) - 1;
  return sorted[std::min(index, sorted.size() - 1)];
}

}  // namespace

FrameIntervalSummary summarizeFrameIntervals(std::vector<double> intervals) {
  FrameIntervalSummary summary;
  if (intervals.empty()) return summary;
  std::sort(intervals.begin(), intervals.end());
  summary.count = intervals.size();
  summary.mean = std::accumulate(intervals.begin(), intervals.end(), 0.0) / static_cast<double>(intervals.size());
  summary.median = percentile(intervals, 50.0);
  summary.p95 = percentile(intervals, 95.0);
  summary.p99 = percentile(intervals, 99.0);
  summary.longest = intervals.back();
  return summary;
}
