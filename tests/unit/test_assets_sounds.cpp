// Generated sounds: WAV files parsed chunk by chunk, loops that join without a step, one-shots that
// start and end at rest, and MP3 files walked frame by frame from a valid layer III header.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "test_assets_common.h"

namespace {

using asset_check::le16;
using asset_check::le32;

struct Wav {
  int format = 0, channels = 0, rate = 0, bits = 0;
  std::vector<double> samples;  // first channel, -1..1
  std::string problem;
  double seconds() const { return rate > 0 ? static_cast<double>(samples.size()) / rate : 0.0; }
};

Wav readWav(const std::string& path) {
  Wav wav;
  const std::vector<uint8_t> b = asset_check::readBytes(path);
  if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" || std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
    wav.problem = "not a RIFF WAVE file";
    return wav;
  }
  if (le32(b, 4) + 8 != b.size()) wav.problem = "RIFF size disagrees with the file";
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 4));
    const size_t size = le32(b, at + 4), body = at + 8;
    if (body + size > b.size()) {
      wav.problem = "chunk " + id + " runs past the end";
      return wav;
    }
    if (id == "fmt ") {
      wav.format = static_cast<int>(le16(b, body));
      wav.channels = static_cast<int>(le16(b, body + 2));
      wav.rate = static_cast<int>(le32(b, body + 4));
      wav.bits = static_cast<int>(le16(b, body + 14));
      const uint32_t blockAlign = le16(b, body + 12), byteRate = le32(b, body + 8);
      if (blockAlign != static_cast<uint32_t>(wav.channels * wav.bits / 8)) wav.problem = "block align";
      if (byteRate != blockAlign * static_cast<uint32_t>(wav.rate)) wav.problem = "byte rate";
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat || wav.bits != 16 || wav.channels < 1) {
        wav.problem = "data before a 16-bit format chunk";
        return wav;
      }
      const size_t frame = static_cast<size_t>(wav.channels) * 2;
      if (size % frame != 0) wav.problem = "data is not a whole number of frames";
      for (size_t f = 0; f + frame <= size; f += frame) {
        wav.samples.push_back(static_cast<int16_t>(le16(b, body + f)) / 32768.0);
      }
    }
    at = body + size + (size & 1);
  }
  if (!haveFormat) wav.problem = "no format chunk";
  return wav;
}

std::string soundPath(const std::string& name) { return asset_check::dataDir() + "/sound/" + name; }

double rmsOf(const std::vector<double>& s, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += s[i] * s[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

struct WavExpectation {
  const char* name;
  bool loops;
  double minSeconds, maxSeconds;
};

const WavExpectation kWavFiles[] = {
    {"wind.wav", true, 2.0, 10.0},        {"ocean.wav", true, 2.0, 10.0},
    {"cannon1.wav", false, 0.5, 4.0},     {"cannon2.wav", false, 0.5, 4.0},
    {"cannon3.wav", false, 0.5, 4.0},     {"cannon4.wav", false, 0.5, 4.0},
    {"explosion.wav", false, 1.0, 5.0},   {"watersplash.wav", false, 0.3, 3.0},
};

class GeneratedWav : public ::testing::TestWithParam<WavExpectation> {
 protected:
  void SetUp() override { wav_ = readWav(soundPath(GetParam().name)); }
  Wav wav_;
};

TEST_P(GeneratedWav, IsSixteenBitPcmAt44100HzOfSensibleLength) {
  ASSERT_EQ(wav_.problem, "");
  EXPECT_EQ(wav_.format, 1);
  EXPECT_EQ(wav_.rate, 44100);
  EXPECT_EQ(wav_.bits, 16);
  EXPECT_GE(wav_.seconds(), GetParam().minSeconds);
  EXPECT_LE(wav_.seconds(), GetParam().maxSeconds);
  double peak = 0.0;
  size_t clipped = 0;
  for (double v : wav_.samples) {
    peak = std::max(peak, std::fabs(v));
    if (std::fabs(v) > 0.9999) ++clipped;
  }
  EXPECT_GT(peak, 0.3) << "too quiet to hear in the mix";
  EXPECT_LT(clipped, wav_.samples.size() / 1000 + 1) << "clipping";
}

TEST_P(GeneratedWav, JoinsOrRestsAtItsEnds) {
  ASSERT_EQ(wav_.problem, "");
  const std::vector<double>& s = wav_.samples;
  ASSERT_GT(s.size(), 1000u);
  const size_t n = s.size();
  if (GetParam().loops) {
    // The step from the last sample to the first, and the change of slope there, must be no
    // larger than the signal's ordinary sample-to-sample movement.
    double step2 = 0.0, curve2 = 0.0;
    for (size_t i = 0; i + 1 < n; ++i) step2 += (s[i + 1] - s[i]) * (s[i + 1] - s[i]);
    for (size_t i = 0; i + 2 < n; ++i) {
      const double c = s[i + 2] - 2.0 * s[i + 1] + s[i];
      curve2 += c * c;
    }
    const double typicalStep = std::sqrt(step2 / (n - 1)), typicalCurve = std::sqrt(curve2 / (n - 2));
    EXPECT_LE(std::fabs(s[0] - s[n - 1]), 4.0 * typicalStep);
    EXPECT_LE(std::fabs((s[1] - s[0]) - (s[n - 1] - s[n - 2])), 4.0 * typicalCurve);
    // And the level at both ends is the same: no swell or drop across the join.
    const size_t window = 4410;
    EXPECT_NEAR(rmsOf(s, 0, window), rmsOf(s, n - window, n), 0.5 * rmsOf(s, 0, n));
  } else {
    // One-shots start and end at rest, so playing them cannot click.
    EXPECT_LT(std::fabs(s.front()), 0.01);
    EXPECT_LT(std::fabs(s.back()), 0.01);
    // A shot or splash dies away: the last tenth is far quieter than the first.
    EXPECT_LT(rmsOf(s, n - n / 10, n), 0.25 * rmsOf(s, 0, n / 10));
  }
}

INSTANTIATE_TEST_SUITE_P(AllWavFiles, GeneratedWav, ::testing::ValuesIn(kWavFiles),
                         [](const ::testing::TestParamInfo<WavExpectation>& info) {
                           std::string name = info.param.name;
                           return name.substr(0, name.find('.'));
                         });

TEST(GeneratedSounds, CannonShotsDifferFromEachOther) {
  std::vector<Wav> shots;
  for (const char* name : {"cannon1.wav", "cannon2.wav", "cannon3.wav", "cannon4.wav"}) shots.push_back(readWav(soundPath(name)));
  for (size_t a = 0; a < shots.size(); ++a) {
    for (size_t b = a + 1; b < shots.size(); ++b) {
      const size_t n = std::min(shots[a].samples.size(), shots[b].samples.size());
      double diff = 0.0;
      for (size_t i = 0; i < n; ++i) diff += std::fabs(shots[a].samples[i] - shots[b].samples[i]);
      EXPECT_GT(diff / static_cast<double>(n), 0.01) << "cannon" << a + 1 << " and cannon" << b + 1;
    }
  }
}

TEST(GeneratedSounds, AllSoundsTogetherStayUnderFourMegabytes) {
  uintmax_t total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(asset_check::dataDir() + "/sound")) {
    total += entry.file_size();
  }
  EXPECT_GT(total, 0u);
  EXPECT_LT(total, 4u * 1024u * 1024u);
}

// [MP3] Walk the frames: each header must sync, be MPEG-1 layer III at 44.1 kHz, and its length must
// lead exactly to the next header.
struct Mp3Walk {
  size_t frames = 0;
  std::string problem;
};

Mp3Walk walkMp3(const std::vector<uint8_t>& b) {
  static const int kBitRates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  Mp3Walk walk;
  size_t at = 0;
  while (at + 4 <= b.size()) {
    const uint32_t h = (static_cast<uint32_t>(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
    if ((h >> 21) != 0x7FF) {
      walk.problem = "no frame sync at byte " + std::to_string(at);
      return walk;
    }
    if (((h >> 19) & 3) != 3) walk.problem = "not MPEG-1";
    if (((h >> 17) & 3) != 1) walk.problem = "not layer III";
    const int bitRate = kBitRates[(h >> 12) & 15];
    if (bitRate == 0) walk.problem = "bad bit rate index";
    if (((h >> 10) & 3) != 0) walk.problem = "sample rate is not 44.1 kHz";
    if (!walk.problem.empty()) return walk;
    const size_t length = static_cast<size_t>(144 * bitRate * 1000 / 44100) + ((h >> 9) & 1);
    at += length;
    ++walk.frames;
  }
  if (at != b.size()) walk.problem = "last frame cut short";
  return walk;
}

class GeneratedMp3 : public ::testing::TestWithParam<const char*> {};

TEST_P(GeneratedMp3, IsAnUnbrokenRunOfLayerThreeFrames) {
  const std::vector<uint8_t> bytes = asset_check::readBytes(soundPath(GetParam()));
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1] & 0xE0, 0xE0);
  const Mp3Walk walk = walkMp3(bytes);
  EXPECT_EQ(walk.problem, "");
  // 1152 samples per frame: a loop of a few seconds.
  const double seconds = walk.frames * 1152.0 / 44100.0;
  EXPECT_GT(seconds, 1.5);
  EXPECT_LT(seconds, 10.0);
}

INSTANTIATE_TEST_SUITE_P(AllMp3Files, GeneratedMp3, ::testing::Values("sails.mp3", "quack1.mp3", "quack2.mp3"));

TEST(GeneratedSounds, Mp3WalkerRejectsDamagedStreams) {
  std::vector<uint8_t> bytes = asset_check::readBytes(soundPath("quack1.mp3"));
  ASSERT_GT(bytes.size(), 1000u);
  std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 100);
  EXPECT_NE(walkMp3(cut).problem, "");
  std::vector<uint8_t> layerTwo = bytes;
  layerTwo[1] = static_cast<uint8_t>((layerTwo[1] & ~0x06) | 0x04);
  EXPECT_NE(walkMp3(layerTwo).problem, "");
  std::vector<uint8_t> shifted(bytes.begin() + 1, bytes.end());
  EXPECT_NE(walkMp3(shifted).problem, "");
}

}  // namespace
