// Small rules with edges: the frame-rate meter's window, the wave phase's wrap, malformed command
// lines, and the shared random generator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"
#include "app/frame_rate.h"
#include "app/wave_phase.h"
#include "platform/random.h"

namespace {

constexpr int64_t kSecond = 1000000000;  // counts per second

TEST(FrameRateMeter, CountsFramesOverAWindowOfMoreThanOneSecond) {
  FrameRateMeter meter;
  for (int i = 1; i <= 59; ++i) EXPECT_FALSE(countFrame(meter, i * kSecond / 59, kSecond));
  EXPECT_EQ(meter.framesPerSecond, 0);  // exactly one second is not yet evaluated
  EXPECT_TRUE(countFrame(meter, kSecond + kSecond / 100, kSecond));
  EXPECT_EQ(meter.framesPerSecond, 59);  // 60 frames in 1.01 s, truncated
  for (int i = 1; i <= 30; ++i) countFrame(meter, kSecond + kSecond / 100 + i * kSecond / 25, kSecond);
  EXPECT_EQ(meter.framesPerSecond, 25);  // the next window starts where the last closed
  FrameRateMeter noClock;
  EXPECT_FALSE(countFrame(noClock, 100, 0));
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

ParseOutcome parse(std::vector<std::string> words, Options& options, std::string& error) {
  std::vector<char*> argv{const_cast<char*>("karvosta")};
  for (std::string& word : words) argv.push_back(word.data());
  return parseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(CommandLine, MalformedValuesAreErrorsWithAReason) {
  std::string error;
  for (const std::vector<std::string>& words :
       std::vector<std::vector<std::string>>{{"--bogus"}, {"--frames"}, {"--frames", "0"}, {"--frames", "12x"},
                                             {"--fixed-dt", "-0.1"}, {"--fixed-dt", "nan"}, {"--seed", "4294967296"},
                                             {"--screenshot"}, {"--seconds", "inf"}, {"--fixed-dt", "1e-300"},
                                             {"--fixed-dt", "9e-7"}, {"--fixed-dt", "1.01"}, {"--text"},
                                             {"--text", "Atlas"}}) {
    Options bad;
    error.clear();
    EXPECT_EQ(parse(words, bad, error), ParseOutcome::Error) << words.back();
    EXPECT_FALSE(error.empty()) << words.back();
  }
}

TEST(Random, SeededWithOneGivesTheClassicSequence) {
  seedRandom(1);
  for (int value : {41, 18467, 6334, 26500}) EXPECT_EQ(nextRandom(), value);
}

}  // namespace
