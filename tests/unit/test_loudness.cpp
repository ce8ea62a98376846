// The film's loudness: one gain for the whole track, a limiter only on peaks past the ceiling, sound
// kept in step with the pictures, silence left silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "audio/loudness.h"

namespace {

constexpr int kRate = 48000;  // Hz

// Appends `seconds` of a 1 kHz tone of `amplitude` (full scale 1) on both sides to `track`.
void addTone(std::vector<float>& track, double seconds, double amplitude) {
  const int count = static_cast<int>(seconds * kRate);
  for (int i = 0; i < count; ++i) {
    const auto sample = static_cast<float>(amplitude * std::sin(2.0 * M_PI * 1000.0 * i / kRate));
    track.push_back(sample);
    track.push_back(sample);
  }
}

// Largest magnitude between two times (seconds).
double peak(const std::vector<float>& track, double from, double to) {
  double largest = 0.0;
  for (size_t i = 2 * static_cast<size_t>(from * kRate); i < 2 * static_cast<size_t>(to * kRate); ++i) {
    largest = std::max(largest, std::fabs(static_cast<double>(track[i])));
  }
  return largest;
}

struct Levelled {
  std::vector<float> track;
  LoudnessChange change;
};

Levelled level(std::vector<float> track, double target) {
  Levelled result{std::move(track), {}};
  std::string error;
  EXPECT_TRUE(normaliseLoudness(result.track, kRate, target, result.change, error)) << error;
  return result;
}

TEST(Loudness, QuietSoundsGetOneGainAndKeepTheirLevelsApart) {
  std::vector<float> track;
  addTone(track, 3.0, 0.02);
  addTone(track, 3.0, 0.04);  // 6 dB louder
  const Levelled out = level(track, -23.0);
  ASSERT_EQ(out.track.size(), track.size());
  EXPECT_NEAR(out.change.after, -23.0, 0.5);
  EXPECT_NEAR(peak(out.track, 3.5, 5.5) / peak(out.track, 0.5, 2.5), 2.0, 0.02);
}

TEST(Loudness, PeaksPastTheCeilingAreHeldInStepAndSilenceStaysSilent) {
  // A second of silence, then a quiet tone with a short burst past full scale, as a shot on a calm
  // sea: raising the tone to the target raises the burst far above the ceiling.
  std::vector<float> track(2 * kRate, 0.0f);
  addTone(track, 1.0, 0.05);
  addTone(track, 0.02, 1.5);
  addTone(track, 1.98, 0.05);
  const Levelled out = level(track, -10.0);
  ASSERT_EQ(out.track.size(), track.size());
  EXPECT_NEAR(out.change.after, -10.0, 0.5);
  const double ceiling = std::pow(10.0, kTruePeakCeiling / 20.0);
  EXPECT_LE(peak(out.track, 0.0, 4.0), ceiling * 1.01);
  EXPECT_GE(peak(out.track, 2.0, 2.1), ceiling * std::pow(10.0, -0.5 / 20.0));  // held, not pushed far below
  EXPECT_NEAR(peak(out.track, 3.0, 3.9), 0.05 * std::pow(10.0, out.change.gain / 20.0), 0.005);  // the tone: gain only
  EXPECT_EQ(peak(out.track, 0.0, 0.99), 0.0);  // nothing moved earlier...
  EXPECT_GT(peak(out.track, 1.0, 1.01), 0.1);  // ...or later than the tone
}

TEST(Loudness, SilenceIsLeftAloneAndATrackTooShortToMeasureIsStillLimited) {
  const Levelled silence = level(std::vector<float>(4 * kRate, 0.0f), -16.0);
  EXPECT_EQ(silence.change.gain, 0.0);
  EXPECT_EQ(peak(silence.track, 0.0, 2.0), 0.0);
  // A third of a second, under R128's first 0.4 s block, of sound summed past full scale.
  std::vector<float> shot;
  addTone(shot, 0.3, 1.5);
  const Levelled out = level(shot, -16.0);
  EXPECT_FALSE(out.change.measured);
  EXPECT_EQ(out.change.gain, 0.0);
  EXPECT_LE(peak(out.track, 0.0, 0.3), std::pow(10.0, kTruePeakCeiling / 20.0) * 1.01);
}

}  // namespace
