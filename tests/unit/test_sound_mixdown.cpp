// The off-line sound layer: channels at their volumes, one-shots that end, loops that go on, a busy
// channel or slot taken over, stop, clipping, files decoded once, and a damaged file's sound kept.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "../test_support.h"
#include "audio/sound_mixdown.h"
#include "platform/file_read.h"

namespace {

constexpr int kRate = 48000;    // Hz, stream and file alike, so samples map one to one
constexpr int kFileFrames = 100;

// A mono 16-bit WAV of kFileFrames samples, all of `value` (full scale 32767).
std::string constantWav(int16_t value) {
  test::Bytes samples;
  for (int i = 0; i < kFileFrames; ++i) test::putLe(samples, static_cast<uint16_t>(value), 2);
  return test::wavFile(1, kRate, 16, samples);
}

// The generated quack, an MP3 file.
std::string quackBytes() {
  std::string bytes;
  EXPECT_TRUE(readWholeFile(KARVOSTA_RUNTIME_DIR "/data/sound/quack1.mp3", bytes));
  return bytes;
}

class SoundMixdownTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mixer_.init(44000, 8, 0)); }

  // Left channel of the next `frames` sample frames (the files are mono: right equals left).
  std::vector<float> next(int frames) {
    std::vector<float> stereo(2 * frames);
    mixer_.mix(stereo.data(), frames);
    std::vector<float> left;
    for (int i = 0; i < frames; ++i) {
      EXPECT_FLOAT_EQ(stereo[2 * i], stereo[2 * i + 1]);
      left.push_back(stereo[2 * i]);
    }
    return left;
  }

  test::ScratchDir dir_;
  const std::string half_ = dir_.write("half.wav", constantWav(16384));
  const std::string quarter_ = dir_.write("quarter.wav", constantWav(8192));
  SoundMixdown mixer_{kRate};
};

TEST_F(SoundMixdownTest, AOneShotPlaysAtItsVolumeOnceAndALoopUntilStopped) {
  const int channel = mixer_.play(3, mixer_.loadSample(3, half_.c_str(), kSoundMode2D, 0, 0));
  mixer_.setVolume(channel, 51);  // 0.2
  const std::vector<float> out = next(kFileFrames + 20);
  EXPECT_NEAR(out[0], 0.5f * 0.2f, 1e-3);
  EXPECT_NEAR(out[kFileFrames - 1], 0.5f * 0.2f, 1e-3);
  EXPECT_EQ(out[kFileFrames], 0.0f);
  // A channel that has ended stays silent even when it is told to loop afterwards.
  mixer_.setLoopMode(channel, kSoundLoopNormal);
  EXPECT_EQ(next(10)[0], 0.0f);

  const int loop = mixer_.play(1, mixer_.loadSample(1, quarter_.c_str(), kSoundMode2D, 0, 0));
  mixer_.setLoopMode(loop, kSoundLoopNormal);
  EXPECT_NEAR(next(5 * kFileFrames)[5 * kFileFrames - 1], 0.25f, 1e-3);
  mixer_.stop(loop);
  EXPECT_EQ(next(1)[0], 0.0f);
}

TEST_F(SoundMixdownTest, ChannelsAddUpPastFullScale) {
  mixer_.play(1, mixer_.loadSample(1, half_.c_str(), kSoundMode2D, 0, 0));
  mixer_.play(2, mixer_.loadSample(2, quarter_.c_str(), kSoundMode2D, 0, 0));
  EXPECT_NEAR(next(1)[0], 0.75f, 1e-3);
  // Not cut at 1: the film's limiter, not the mixer, deals with such peaks.
  for (int channel = 3; channel < 6; ++channel) mixer_.play(channel, mixer_.loadSample(channel, half_.c_str(), kSoundMode2D, 0, 0));
  EXPECT_NEAR(next(1)[0], 2.25f, 1e-3);
}

TEST_F(SoundMixdownTest, BusyChannelAndBusySlotAreTakenOver) {
  // A new sound on a busy channel replaces the old one: no sum, and it starts from its beginning.
  const int channel = mixer_.play(1, mixer_.loadSample(1, half_.c_str(), kSoundMode2D, 0, 0));
  mixer_.setLoopMode(channel, kSoundLoopNormal);
  next(kFileFrames / 2);
  mixer_.play(1, mixer_.loadSample(2, quarter_.c_str(), kSoundMode2D, 0, 0));
  const std::vector<float> out = next(kFileFrames + 1);
  EXPECT_NEAR(out[0], 0.25f, 1e-3);
  EXPECT_EQ(out[kFileFrames], 0.0f);  // played once: the loop mode went with the old sound
  // Loading into a slot silences the channel that plays the slot's previous sample.
  mixer_.play(4, mixer_.loadSample(4, half_.c_str(), kSoundMode2D, 0, 0));
  mixer_.loadSample(4, quarter_.c_str(), kSoundMode2D, 0, 0);
  EXPECT_EQ(next(1)[0], 0.0f);
}

TEST_F(SoundMixdownTest, FilesAreDecodedOnceAndMissingOnesGiveNothing) {
  ASSERT_NE(mixer_.loadSample(1, half_.c_str(), kSoundMode2D, 0, 0), nullptr);
  std::filesystem::remove(half_);  // a second load of the path uses the samples decoded the first time
  mixer_.play(2, mixer_.loadSample(2, half_.c_str(), kSoundMode2D, 0, 0));
  EXPECT_NEAR(next(1)[0], 0.5f, 1e-3);

  const std::string missing = dir_.path() + "/missing.wav";
  EXPECT_EQ(mixer_.loadSample(3, missing.c_str(), kSoundMode2D, 0, 0), nullptr);
  EXPECT_EQ(mixer_.play(3, nullptr), kSoundNoChannel);
  mixer_.setVolume(kSoundNoChannel, 100);  // calls on no channel do nothing
  mixer_.stop(kSoundNoChannel);
}

// A packet that fails to decode costs that packet, not the whole file: the generated quack with 400
// bytes of garbage in its middle still plays nearly all its sound, and standard error names the file.
TEST_F(SoundMixdownTest, DamagedFileKeepsWhatDecodes) {
  std::string bytes = quackBytes();
  ASSERT_GT(bytes.size(), 10000u);
  const std::string whole = dir_.write("whole.mp3", bytes);
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 400; ++i) bytes[i] = static_cast<char>(i * 37);
  const std::string damaged = dir_.write("damaged.mp3", bytes);
  auto energy = [&](const std::string& path) {
    mixer_.play(0, mixer_.loadSample(0, path.c_str(), kSoundMode2D, 0, 0));
    double sum = 0.0;
    for (float sample : next(5 * kRate)) sum += std::abs(sample);
    return sum;
  };
  const double wholeEnergy = energy(whole);
  ::testing::internal::CaptureStderr();
  const double damagedEnergy = energy(damaged);
  const std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_GT(damagedEnergy, 0.8 * wholeEnergy);
  EXPECT_NE(messages.find("damaged.mp3 is damaged"), std::string::npos) << messages;
}

// Frames whose headers say stereo, silent, around twenty of the quack's own mono frames (its second call): the file
// opens as stereo, and the resampler set up for two planes meets frames of one. The run of mono
// frames is heard.
TEST_F(SoundMixdownTest, FramesThatChangeChannelsMidFileKeepTheirSound) {
  std::string bytes = quackBytes();
  // MPEG-1 layer III: a frame is 144 x bit rate / sample rate bytes, plus one of padding.
  constexpr int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  constexpr int kHz[4] = {44100, 48000, 32000, 1};
  int frame = 0;
  for (size_t at = 0; at + 4 <= bytes.size(); ++frame) {
    const auto byte2 = static_cast<unsigned char>(bytes[at + 2]);
    ASSERT_EQ(static_cast<unsigned char>(bytes[at]), 0xff) << "no frame header at " << at;
    const size_t length = 144000 * kKbps[byte2 >> 4] / kHz[(byte2 >> 2) & 3] + ((byte2 >> 1) & 1);
    ASSERT_GT(length, 4u);
    if (frame < 20 || frame >= 40) {
      bytes[at + 3] = static_cast<char>(bytes[at + 3] & 0x3f);  // channel mode: stereo
      std::fill(bytes.begin() + at + 4, bytes.begin() + std::min(at + length, bytes.size()), '\0');
    }
    at += length;
  }
  const std::string path = dir_.write("mixed_channels.mp3", bytes);
  ::testing::internal::CaptureStderr();
  mixer_.play(0, mixer_.loadSample(0, path.c_str(), kSoundMode2D, 0, 0));
  std::vector<float> stereo(2 * 5 * kRate);  // the decoder's overlap may differ between the sides
  mixer_.mix(stereo.data(), 5 * kRate);
  ::testing::internal::GetCapturedStderr();
  double sum = 0.0;
  for (float sample : stereo) sum += std::abs(sample);
  EXPECT_GT(sum, 1000.0);
}

// Leaves words that read as a channel layout of custom order, with a map nobody allocated, where the
// next calls keep their locals.
[[gnu::noinline]] void soilStack() {
  volatile uint64_t stale[8192];
  for (volatile uint64_t& word : stale) word = 0x0000000200000002u;
}

TEST_F(SoundMixdownTest, DecodingStartsFromCleanState) {
  soilStack();
  EXPECT_NE(mixer_.loadSample(0, KARVOSTA_RUNTIME_DIR "/data/sound/quack1.mp3", kSoundMode2D, 0, 0), nullptr);
}

}  // namespace
