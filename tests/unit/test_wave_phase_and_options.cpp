// The wave phase's wrap rule and the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"
#include "app/wave_phase.h"

TEST(WavePhase, OneCycleTakesOneAndAQuarterSeconds) {
  float phase = 0.5f;
  for (int i = 0; i < 125; ++i) phase = advanceWavePhase(phase, 0.01);
  EXPECT_NEAR(phase, 0.5f, 1e-4f);
}

TEST(WavePhase, HugeDeltasStayInsideZeroToOne) {
  for (double dt : {3.0, 7.77, 123.456, 1e4}) {
    const float phase = advanceWavePhase(0.3f, dt);
    EXPECT_GE(phase, 0.0f) << dt;
    EXPECT_LE(phase, 1.0f) << dt;
  }
  EXPECT_GE(advanceWavePhase(0.3f, -50.0), 0.0f);  // a clock going backwards must not escape either
  EXPECT_LE(advanceWavePhase(0.3f, -50.0), 1.0f);
}

TEST(WavePhase, ExactEndsAreKept) {
  EXPECT_EQ(advanceWavePhase(1.0f, 0.0), 1.0f);
  EXPECT_EQ(advanceWavePhase(0.0f, 0.0), 0.0f);
  EXPECT_EQ(advanceWavePhase(0.5f, 0.625), 0.0f);  // 0.5 - 0.625 * 0.8 lands on 0 and stays there
  EXPECT_EQ(advanceWavePhase(0.0f, -1.25), 1.0f);  // a full cycle back lands on 1, not 0
}

namespace {

ParseOutcome parse(std::vector<std::string> words, Options& options, std::string& error) {
  std::vector<char*> argv;
  static std::string program = "karvosta";
  argv.push_back(program.data());
  for (std::string& word : words) argv.push_back(word.data());
  return parseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

}  // namespace

TEST(CommandLine, NoOptionsRunAsDesigned) {
  Options options;
  std::string error;
  EXPECT_EQ(parse({}, options, error), ParseOutcome::Run);
  EXPECT_EQ(options.frames, -1);
  EXPECT_EQ(options.fixedDt, 0.0);
  EXPECT_FALSE(options.hasSeed);
  EXPECT_FALSE(options.noDialogs);
  EXPECT_FALSE(options.headless);
}

TEST(CommandLine, AutomatedRunOptions) {
  Options options;
  std::string error;
  ASSERT_EQ(parse({"--frames", "60", "--fixed-dt", "0.02", "--seed", "7", "--screenshot", "a.png"}, options, error),
            ParseOutcome::Run);
  EXPECT_EQ(options.frames, 60);
  EXPECT_DOUBLE_EQ(options.fixedDt, 0.02);
  EXPECT_TRUE(options.hasSeed);
  EXPECT_EQ(options.seed, 7u);
  EXPECT_EQ(options.screenshot, "a.png");
  EXPECT_TRUE(options.noDialogs);  // implied by --frames
}

TEST(CommandLine, HeadlessDefaultsToSixtyStepsASecond) {
  Options options;
  std::string error;
  ASSERT_EQ(parse({"--headless", "--seconds", "213"}, options, error), ParseOutcome::Run);
  EXPECT_DOUBLE_EQ(options.fixedDt, 1.0 / 60.0);
  EXPECT_DOUBLE_EQ(options.seconds, 213.0);
  EXPECT_TRUE(options.mute);
}

TEST(CommandLine, MalformedInputIsAnErrorWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--bogus"}, {"--frames"}, {"--frames", "0"}, {"--frames", "12x"}, {"--fixed-dt", "-0.1"},
      {"--fixed-dt", "nan"}, {"--seed", "-1"}, {"--seed", "4294967296"}, {"--screenshot"}, {"--seconds", "inf"}};
  for (const auto& words : bad) {
    Options options;
    std::string error;
    EXPECT_EQ(parse(words, options, error), ParseOutcome::Error) << words[0];
    EXPECT_FALSE(error.empty()) << words[0];
  }
  Options options;
  std::string error;
  EXPECT_EQ(parse({"--help"}, options, error), ParseOutcome::Help);
}
