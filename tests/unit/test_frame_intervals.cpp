// Frame-interval statistics: nearest-rank percentiles, so one stutter shows where it belongs.
#include <gtest/gtest.h>

#include <vector>

#include "app/frame_intervals.h"

TEST(FrameIntervals, PercentilesAreValuesThatOccurred) {
  struct Case {
    std::vector<double> intervals;
    double median, p95, p99, longest, mean;
  };
  std::vector<double> oneToHundred(100), stutterInThousand(1000, 0.01);
  for (int i = 0; i < 100; ++i) oneToHundred[i] = 100 - i;  // unsorted on purpose
  stutterInThousand[500] = 0.05;
  std::vector<double> stutterInTen(10, 0.01);
  stutterInTen[3] = 0.05;
  const Case cases[] = {
      {oneToHundred, 50, 95, 99, 100, 50.5},
      {stutterInThousand, 0.01, 0.01, 0.01, 0.05, 0.01004},  // 0.1 % of frames: below p99
      {stutterInTen, 0.01, 0.05, 0.05, 0.05, 0.014},         // 10 %: p95 and p99 show it
      {{0.02}, 0.02, 0.02, 0.02, 0.02, 0.02},
  };
  for (const Case& c : cases) {
    const FrameIntervalSummary s = summarizeFrameIntervals(c.intervals);
    EXPECT_EQ(s.count, c.intervals.size());
    EXPECT_DOUBLE_EQ(s.median, c.median);
    EXPECT_DOUBLE_EQ(s.p95, c.p95);
    EXPECT_DOUBLE_EQ(s.p99, c.p99);
    EXPECT_DOUBLE_EQ(s.longest, c.longest);
    EXPECT_NEAR(s.mean, c.mean, 1e-9);
  }
  const FrameIntervalSummary none = summarizeFrameIntervals({});
  EXPECT_EQ(none.count, 0u);
  EXPECT_EQ(none.longest, 0.0);
}
