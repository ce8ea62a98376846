// The web build's WAV reader: what the page's sound layer plays, and every damaged file refused with
// a reason instead of read past its end.
#include <gtest/gtest.h>

#include <string>

#include "../test_support.h"
#include "audio/wav_reader.h"

namespace {

// An odd-sized chunk before the data, which the reader must step over with its pad byte.
const std::string kOddChunk("LIST\x03\0\0\0abc\0", 12);

std::string wavFile(int formatTag, int channels, int rate, int bits, const test::Bytes& samples, bool extensible = false) {
  return test::wavFile(channels, rate, bits, samples, kOddChunk, formatTag, extensible);
}

TEST(WavReader, ReadsPcmOfEightAndSixteenBitsMonoAndStereo) {
  struct Case {
    int channels, bits;
    bool extensible;
    test::Bytes samples;
    std::vector<int16_t> expected;
  };
  const Case cases[] = {
      {1, 16, false, {0x34, 0x12, 0xFF, 0xFF, 0x00, 0x80}, {0x1234, -1, -32768}},
      {2, 16, true, {0x01, 0x00, 0x02, 0x00}, {1, 2}},
      {1, 8, false, {128, 255, 0}, {0, 127 * 256, -128 * 256}},  // unsigned around 128
      {2, 8, false, {0, 255, 128, 129}, {-32768, 32512, 0, 256}},
  };
  for (const Case& c : cases) {
    WavSound sound;
    std::string error;
    ASSERT_TRUE(readWav(wavFile(1, c.channels, 22050, c.bits, c.samples, c.extensible), sound, error)) << error;
    EXPECT_EQ(sound.channels, c.channels);
    EXPECT_EQ(sound.sampleRate, 22050);
    EXPECT_EQ(sound.samples, c.expected);
  }
}

TEST(WavReader, RefusesWhatItCannotPlayWithAReason) {
  const test::Bytes two = {1, 0, 2, 0};
  const struct {
    std::string file;
    const char* reason;
  } cases[] = {
      {"ID3\x03 an MP3 file", "not a WAV file"},
      {wavFile(3, 1, 44100, 16, two), "only integer PCM"},  // floating point
      {wavFile(1, 1, 44100, 24, {1, 2, 3}), "only integer PCM"},
      {wavFile(1, 6, 44100, 16, test::Bytes(12)), "mono or stereo"},
      {wavFile(1, 1, 0, 16, two), "mono or stereo"},
      {wavFile(1, 2, 44100, 16, {1, 0}), "no whole sample frame"},
      {wavFile(1, 1, 44100, 16, two).substr(0, 20 + 16 + 12), "no data chunk"},
      {std::string("RIFF\x04\0\0\0WAVE", 12), "no format chunk"},
  };
  for (const auto& c : cases) {
    WavSound sound;
    std::string error;
    EXPECT_FALSE(readWav(c.file, sound, error)) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(WavReader, EveryTruncationIsRefusedNotReadPastItsEnd) {
  const std::string whole = wavFile(1, 2, 44100, 16, test::Bytes(64, 7));
  for (size_t length = 0; length < whole.size(); ++length) {
    WavSound sound;
    std::string error;
    EXPECT_FALSE(readWav(whole.substr(0, length), sound, error)) << length;
    EXPECT_FALSE(error.empty());
  }
  WavSound sound;
  std::string error;
  EXPECT_TRUE(readWav(whole, sound, error)) << error;
  EXPECT_EQ(sound.samples.size(), 32u);
}

}  // namespace
