// The SDL sound layer keeps decoded files, yet a one-shot still reads its file at every load: a file
// changed in place plays its new content, and a removed one fails as before.
#include <gtest/gtest.h>

#include <SDL_mixer.h>

#include <cstdlib>
#include <filesystem>

#include "../test_support.h"
#include "audio/sound_layer.h"

namespace {

constexpr int kMixRate = 44000;  // Hz of the mix; the files are written at 44,100 Hz

// A mono 16-bit WAV file of `seconds` of a quiet tone.
std::string wav(double seconds) {
  test::Bytes samples;
  for (uint32_t i = 0; i < static_cast<uint32_t>(seconds * 44100); ++i) test::putLe(samples, (i / 50) % 2 ? 2000 : 0xF830, 2);
  return test::wavFile(1, 44100, 16, samples);
}

double secondsOn(int channel) { return Mix_GetChunk(channel)->alen / 4.0 / kMixRate; }

TEST(SoundCache, ALoadReadsTheFileEveryTimeAndDecodesOnlyChangedContent) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);  // no sound card needed
  setSoundMuted(false);
  SoundLayer& layer = soundLayer();
  ASSERT_TRUE(layer.init(kMixRate, 32, 0));
  test::ScratchDir dir;
  const std::string path = dir.write("splash.wav", wav(0.2));

  ASSERT_EQ(layer.play(12, layer.loadSample(12, path.c_str(), kSoundMode2D, 0, 0)), 12);
  EXPECT_NEAR(secondsOn(12), 0.2, 0.001);
  // The same file in another slot shares the decoded sound and leaves slot 12 playing.
  EXPECT_EQ(layer.play(13, layer.loadSample(13, path.c_str(), kSoundMode2D, 0, 0)), 13);
  EXPECT_TRUE(Mix_Playing(12));

  dir.write("splash.wav", wav(0.05));  // changed in place: the next load plays the new content
  ASSERT_EQ(layer.play(12, layer.loadSample(12, path.c_str(), kSoundMode2D, 0, 0)), 12);
  EXPECT_NEAR(secondsOn(12), 0.05, 0.001);

  std::filesystem::remove(path);
  EXPECT_EQ(layer.loadSample(12, path.c_str(), kSoundMode2D, 0, 0), nullptr);
  shutdownSoundLayer();
}

}  // namespace
