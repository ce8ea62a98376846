// The frame-rate meter's measuring window, on a clock the test controls.
#include <gtest/gtest.h>

#include "app/text_overlay.h"

namespace {

constexpr int64_t kFrequency = 1000000000;  // counts per second

// A window that started at 0: all frames but the last spread over its first second, the last one
// at `closeSeconds`. Returns whether that last frame closed the window.
bool countFrames(FrameRateMeter& meter, int frames, double closeSeconds) {
  for (int i = 1; i < frames; ++i) {
    const auto now = static_cast<int64_t>(static_cast<double>(kFrequency) * i / (frames - 1));
    if (countFrame(meter, now, kFrequency)) ADD_FAILURE() << "window closed early at frame " << i;
  }
  return countFrame(meter, static_cast<int64_t>(closeSeconds * kFrequency), kFrequency);
}

TEST(FrameRateMeter, ShowsZeroUntilTheFirstWindowCloses) {
  FrameRateMeter meter;
  for (int i = 1; i <= 50; ++i) EXPECT_FALSE(countFrame(meter, i * kFrequency / 50, kFrequency));
  EXPECT_EQ(meter.framesPerSecond, 0);
  EXPECT_EQ(meter.framesCounted, 50);
}

TEST(FrameRateMeter, RateIsFramesOverSecondsTruncated) {
  FrameRateMeter meter;
  EXPECT_TRUE(countFrames(meter, 90, 1.5));
  EXPECT_EQ(meter.framesPerSecond, 60);
  EXPECT_EQ(meter.framesCounted, 0);
  EXPECT_EQ(meter.windowStart, static_cast<int64_t>(1.5 * kFrequency));

  FrameRateMeter slow;
  EXPECT_TRUE(countFrames(slow, 59, 1.001));
  EXPECT_EQ(slow.framesPerSecond, 58);  // 58.94
}

TEST(FrameRateMeter, ExactlyOneSecondIsNotYetEvaluated) {
  FrameRateMeter meter;
  EXPECT_FALSE(countFrames(meter, 60, 1.0));
  EXPECT_EQ(meter.framesPerSecond, 0);
  EXPECT_TRUE(countFrame(meter, kFrequency + 1, kFrequency));  // the closing frame counts too
  EXPECT_EQ(meter.framesPerSecond, 60);
}

TEST(FrameRateMeter, NextWindowStartsWhereTheLastClosed) {
  FrameRateMeter meter;
  meter.windowStart = 5 * kFrequency;
  EXPECT_FALSE(countFrame(meter, 6 * kFrequency, kFrequency));
  EXPECT_TRUE(countFrame(meter, 7 * kFrequency, kFrequency));  // 2 frames in 2 s
  EXPECT_EQ(meter.framesPerSecond, 1);
  for (int i = 1; i <= 30; ++i) countFrame(meter, 7 * kFrequency + i * kFrequency / 25, kFrequency);
  EXPECT_EQ(meter.framesPerSecond, 25);  // 30 frames in 1.2 s; the old window does not leak in
}

TEST(FrameRateMeter, ClockWithoutFrequencyNeverEvaluates) {
  FrameRateMeter meter;
  EXPECT_FALSE(countFrame(meter, 100, 0));
  EXPECT_EQ(meter.framesPerSecond, 0);
}

}  // namespace
