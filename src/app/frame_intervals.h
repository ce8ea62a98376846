// Frame-interval statistics: the spread of the wall time between finished frames (a stutter shows
// in the high percentiles long before it moves the mean). No GL.
#pragma once
#include <cstddef>
#include <vector>

struct FrameIntervalSummary {
  size_t count = 0;     // intervals summarised; all fields below are 0 when there are none
  double mean = 0.0;    // seconds
  double median = 0.0;  // seconds; the percentiles are nearest-rank: a value that occurred
  double p95 = 0.0;
  double p99 = 0.0;
  double longest = 0.0;
};

FrameIntervalSummary summarizeFrameIntervals(std::vector<double> intervals);
