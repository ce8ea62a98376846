// The web build's WAV reader: what the page's sound layer plays, and every damaged file refused with
// a reason instead of read past its end.
#include <gtest/gtest.h>

#include <string>

#include "../test_support.h"
#include "audio/wav_reader.h"

namespace {

// A RIFF/WAVE file: the format chunk (16 bytes, or 40 for the extensible form), an odd-sized chunk
// the reader must step over with its pad byte, then the data.
std::string wavFile(int formatTag, int channels, int rate, int bits, const test::Bytes& samples,
                    bool extensible = false) {
  test::Bytes body;
  for (char c : std::string("WAVEfmt ")) body.push_back(static_cast<uint8_t>(c));
  test::putLe(body, extensible ? 40 : 16, 4);
  test::putLe(body, extensible ? 0xFFFE : formatTag, 2);
  test::putLe(body, channels, 2);
  test::putLe(body, rate, 4);
  test::putLe(body, rate * channels * bits / 8, 4);
  test::putLe(body, channels * bits / 8, 2);
  test::putLe(body, bits, 2);
  if (extensible) {
    test::putLe(body, 22, 2);  // extension size, valid bits, channel mask, then the subformat GUID
    test::putLe(body, bits, 2);
    test::putLe(body, 0, 4);
    test::putLe(body, formatTag, 2);
    for (int i = 0; i < 14; ++i) body.push_back(0);
  }
  for (char c : std::string("LIST")) body.push_back(static_cast<uint8_t>(c));
  test::putLe(body, 3, 4);
  body.insert(body.end(), {'a', 'b', 'c', 0});  // three bytes and the pad
  for (char c : std::string("data")) body.push_back(static_cast<uint8_t>(c));
  test::putLe(body, static_cast<uint32_t>(samples.size()), 4);
  body.insert(body.end(), samples.begin(), samples.end());
  std::string file = "RIFF";
  test::Bytes size;
  test::putLe(size, static_cast<uint32_t>(body.size()), 4);
  file.append(size.begin(), size.end());
  file.append(body.begin(), body.end());
  return file;
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
