// Small rules with edges: the frame-rate meter's window, the wave phase's wrap, malformed command
// lines and the options' bounds, and the shared random generator.
#include <gtest/gtest.h>

#include <iterator>  // Required for: std::istream_iterator
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/frame_rate.h"
#include "app/options.h"
#include "app/wave_phase.h"
#include "film/recorder.h"  // Required for: recorderSettingsProblem()
#include "platform/random.h"

namespace {

constexpr int64_t kSecond = 1000000000;  // counts per second

TEST(FrameRateMeter, CountsFramesOverAWindowOfMoreThanOneSecond) {
  constexpr int64_t kLongest = kSecond / 4;
  FrameRateMeter meter;
  for (int i = 1; i <= 59; ++i) EXPECT_FALSE(countFrame(meter, i * kSecond / 59, kSecond, kLongest));
  EXPECT_EQ(meter.framesPerSecond, 0);  // exactly one second is not yet evaluated
  EXPECT_TRUE(countFrame(meter, kSecond + kSecond / 100, kSecond, kLongest));
  EXPECT_EQ(meter.framesPerSecond, 59);  // 60 frames in 1.01 s, truncated
  for (int i = 1; i <= 30; ++i) countFrame(meter, kSecond + kSecond / 100 + i * kSecond / 25, kSecond, kLongest);
  EXPECT_EQ(meter.framesPerSecond, 25);  // the next window starts where the last closed
  FrameRateMeter noClock;
  EXPECT_FALSE(countFrame(noClock, 100, 0, kLongest));
}

// A stall of 10 s in the middle of a window: the rate measured before it stands until a window of
// frames after it closes, and that window holds only frames after the stall.
TEST(FrameRateMeter, AStallKeepsTheLastRateAndMeasuresAfresh) {
  constexpr int64_t kLongest = kSecond / 4;
  FrameRateMeter meter;
  int64_t now = 0;
  for (int i = 0; i < 90; ++i) countFrame(meter, now += kSecond / 60, kSecond, kLongest);
  ASSERT_EQ(meter.framesPerSecond, 60);
  now += 10 * kSecond;
  // The first frame after the stall opens the new window; 32 frames a second follow it.
  for (int i = 0; i <= 32; ++i) {
    ASSERT_FALSE(countFrame(meter, now, kSecond, kLongest)) << "frame " << i << " after the stall";
    ASSERT_EQ(meter.framesPerSecond, 60) << "frame " << i << " after the stall";
    now += kSecond / 32;
  }
  EXPECT_TRUE(countFrame(meter, now, kSecond, kLongest));
  EXPECT_EQ(meter.framesPerSecond, 32);
  // A gap of exactly the longest frame is a frame, not a stall.
  countFrame(meter, now += kLongest, kSecond, kLongest);
  EXPECT_EQ(meter.framesCounted, 1);
}

TEST(WavePhase, OneCycleTakesOneAndAQuarterSecondsAndAnyDeltaStaysInRange) {
  float phase = 0.5f;
  for (int i = 0; i < 125; ++i) phase = advanceWavePhase(phase, 0.01);
  EXPECT_NEAR(phase, 0.5f, 1e-4f);
  for (double dt : {3.0, 7.77, 1e4, -50.0}) {
    const float wrapped = advanceWavePhase(0.3f, dt);
    EXPECT_TRUE(wrapped >= 0.0f && wrapped <= 1.0f) << dt;
  }
  EXPECT_EQ(advanceWavePhase(0.0f, -1.25), 1.0f);  // a full cycle back lands on 1, not 0
}

// Parses a command line given as one string of blank-separated words.
ParseOutcome parse(const std::string& line, std::string& error) {
  std::istringstream in(line);
  std::vector<std::string> words{std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
  std::vector<char*> argv{const_cast<char*>("karvosta")};
  for (std::string& word : words) argv.push_back(word.data());
  Options options;
  return parseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(CommandLine, MalformedValuesAreErrorsWithAReason) {
  for (const char* line : {"--bogus", "--frames", "--frames 12x", "--fixed-dt -0.1", "--fixed-dt nan", "--seed 4294967296",
                           "--screenshot", "--seconds inf", "--fixed-dt 1e-300", "--text", "--text Atlas", "--gl", "--gl ES2",
                           "--size 640", "--size 0x480", "--size 640x", "--size 64ox480", "--loops 0", "--loops"}) {
    std::string error;
    EXPECT_EQ(parse(line, error), ParseOutcome::Error) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

// Each documented bound is taken exactly and refused just past it.
TEST(CommandLine, BoundsAreTakenExactlyAndRefusedJustPast) {
  const std::string film = "--record f.mp4 ";
  const std::pair<std::string, std::string> bounds[] = {
      {"--frames 1", "--frames 0"},
      {"--frames 1000000000", "--frames 1000000001"},
      {"--fixed-dt 1e-6", "--fixed-dt 9.99e-7"},
      {"--fixed-dt 1", "--fixed-dt 1.001"},
      {"--seed 0", "--seed -1"},
      {"--loops 1000000", "--loops 1000001"},
      {"--size 1x1", "--size 0x1"},
      {"--size 16384x16384", "--size 16385x16384"},
      {"--headless --seconds 0", "--headless --seconds -0.001"},
      {"--headless --seconds 1000000", "--headless --seconds 1000000.1"},
      {film + "--seconds 600", film + "--seconds 600.01"},
      {film + "--start 100 --seconds 700", film + "--start 99.9 --seconds 700"},
      {film + "--start 0", film + "--start -0.001"},
      {film + "--seconds 4 --start 1 --fade 1.5", film + "--seconds 4 --start 1 --fade 1.501"},
      {film + "--start 1 --poster p.png --poster-at 1", film + "--start 1 --poster p.png --poster-at 0.999"},
      {film + "--seconds 4 --poster p.png --poster-at 3.999", film + "--seconds 4 --poster p.png --poster-at 4"},
      {film + "--loudness -40", film + "--loudness -40.01"},
      {film + "--loudness -5", film + "--loudness -4.99"},
  };
  const auto outcome = [](const std::string& line) {
    std::string error;
    return parse(line, error);
  };
  for (const auto& [taken, refused] : bounds) {
    EXPECT_EQ(outcome(taken), ParseOutcome::Run) << taken;
    EXPECT_EQ(outcome(refused), ParseOutcome::Error) << refused;
  }
  // A film's picture: 16x16 to 3840x2160, in even numbers.
  for (const auto& [width, height, fine] : {std::tuple{16, 16, true}, {14, 16, false}, {3840, 2160, true},
                                            {3842, 2160, false}, {3840, 2162, false}}) {
    EXPECT_EQ(recorderSettingsProblem({"f.mp4", width, height, 30, 48000}).empty(), fine) << width << "x" << height;
  }
}

TEST(Random, SeededWithOneGivesTheClassicSequence) {
  seedRandom(1);
  for (int value : {41, 18467, 6334, 26500}) EXPECT_EQ(nextRandom(), value);
}

}  // namespace
