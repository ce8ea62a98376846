// Real playback through the SDL2_mixer layer on SDL's disk audio driver, which writes the mixed stream
// to a file in real time: loops keep sounding, stopped and finished channels fall silent.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>  // Required for: Mix_Playing(), Mix_Volume(), Mix_GetChunk() checks

#include <unistd.h>  // Required for: getcwd(), chdir()

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/random.h"
#include "platform/sound_layer.h"
#include "sound/sound_bank.h"

namespace fs = std::filesystem;

namespace {

constexpr int kStreamRate = 44000;  // Hz, the bank's mixing rate; the stream is 16-bit stereo
constexpr int kFileRate = 44100;    // Hz, the rate of the sound files
constexpr double kTestToneHz = 440.0;
constexpr int kTestToneAmplitude = 16000;

const char* const kSoundFiles[] = {
    "wind.wav",    "sails.mp3",   "ocean.wav",   "quack1.mp3",    "quack2.mp3",        "cannon1.wav",
    "cannon2.wav", "cannon3.wav", "cannon4.wav", "explosion.wav", "watersplash.wav",
};

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void appendLittle(std::string& bytes, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A 16-bit mono PCM WAV holding a sine tone. SDL_mixer recognises files by content, so the same
// bytes also stand in for the MP3 names.
std::string toneWav(double seconds) {
  const uint32_t frames = static_cast<uint32_t>(seconds * kFileRate);
  std::string bytes = "RIFF";
  appendLittle(bytes, 36 + frames * 2, 4);
  bytes += "WAVEfmt ";
  appendLittle(bytes, 16, 4);
  appendLittle(bytes, 1, 2);  // PCM
  appendLittle(bytes, 1, 2);  // mono
  appendLittle(bytes, kFileRate, 4);
  appendLittle(bytes, kFileRate * 2, 4);
  appendLittle(bytes, 2, 2);
  appendLittle(bytes, 16, 2);
  bytes += "data";
  appendLittle(bytes, frames * 2, 4);
  for (uint32_t i = 0; i < frames; ++i) {
    const double value = kTestToneAmplitude * std::sin(2.0 * M_PI * kTestToneHz * i / kFileRate);
    appendLittle(bytes, static_cast<uint16_t>(static_cast<int16_t>(std::lround(value))), 2);
  }
  return bytes;
}

void sleepSeconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Polls until `done` holds or `limitSeconds` pass; true when it held.
template <typename Condition>
bool waitFor(Condition done, double limitSeconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    sleepSeconds(0.01);
  }
  return true;
}

class SoundPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    oldCwd_ = cwd;
    if (const char* driver = std::getenv("SDL_AUDIODRIVER")) oldDriver_ = driver;
    hadDriver_ = std::getenv("SDL_AUDIODRIVER") != nullptr;

    char pattern[] = "/tmp/karvosta_sound_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    soundDir_ = root_ / "data" / "sound";
    fs::create_directories(root_ / "bin");
    fs::create_directories(soundDir_);
    streamPath_ = root_ / "stream.raw";
    ASSERT_EQ(chdir((root_ / "bin").c_str()), 0);  // the bank opens "../data/sound/..."

    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", streamPath_.c_str(), 1);
    // Other suites in this binary may have left the layer open or muted.
    shutdownSoundLayer();
    oldMuted_ = soundMuted();
    setSoundMuted(false);
  }

  void TearDown() override {
    bank_.reset();
    shutdownSoundLayer();
    setSoundMuted(oldMuted_);
    EXPECT_EQ(chdir(oldCwd_.c_str()), 0);
    if (hadDriver_) {
      setenv("SDL_AUDIODRIVER", oldDriver_.c_str(), 1);
    } else {
      unsetenv("SDL_AUDIODRIVER");
    }
    unsetenv("SDL_DISKAUDIOFILE");
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  void writeTone(const char* name, double seconds) { writeBytes(soundDir_ / name, toneWav(seconds)); }

  // Every sound file as a tone of `seconds`.
  void writeAllTones(double seconds) {
    for (const char* name : kSoundFiles) writeTone(name, seconds);
  }

  // The generated sound files where the build has them, tones for the others.
  void useGeneratedFiles() {
    const fs::path generated = fs::path(KARVOSTA_RUNTIME_DIR) / "data" / "sound";
    for (const char* name : kSoundFiles) {
      std::error_code error;
      if (!fs::copy_file(generated / name, soundDir_ / name, fs::copy_options::overwrite_existing, error)) {
        writeTone(name, 1.0);
      }
    }
  }

  SoundBank& bank() {
    if (!bank_) bank_ = std::make_unique<SoundBank>();
    return *bank_;
  }

  // Interleaved stereo samples written so far by the disk driver.
  std::vector<int16_t> stream() const {
    std::ifstream file(streamPath_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::copy(bytes.begin(), bytes.begin() + samples.size() * 2, reinterpret_cast<char*>(samples.data()));
    return samples;
  }

  static int peakOfLastFrames(const std::vector<int16_t>& samples, size_t frames) {
    const size_t count = std::min(samples.size(), frames * 2);
    int peak = 0;
    for (size_t i = samples.size() - count; i < samples.size(); ++i) peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
  }

  // Frames from the first to the last non-zero frame.
  static size_t soundingSpan(const std::vector<int16_t>& samples) {
    size_t first = samples.size(), last = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
      if (samples[i] == 0) continue;
      first = std::min(first, i);
      last = i;
    }
    return first > last ? 0 : (last - first) / 2 + 1;
  }

  fs::path root_, soundDir_, streamPath_;

 private:
  std::string oldCwd_, oldDriver_;
  bool hadDriver_ = false;
  bool oldMuted_ = false;
  std::unique_ptr<SoundBank> bank_;
};

constexpr size_t kTailFrames = 2048;  // ~46 ms: two mixing buffers

}  // namespace

TEST_F(SoundPlayback, WindSailsAndOceanFromTheGeneratedFilesSound) {
  useGeneratedFiles();
  SoundBank& sounds = bank();
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  sounds.startWindAndSails();
  sounds.startOcean();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(Mix_Playing(10));
  EXPECT_TRUE(Mix_Playing(11));
  EXPECT_TRUE(Mix_Playing(19));
  sleepSeconds(0.3);
  const std::vector<int16_t> samples = stream();
  ASSERT_GT(samples.size(), kTailFrames * 2);
  EXPECT_GT(peakOfLastFrames(samples, kTailFrames), 300);
}

TEST_F(SoundPlayback, LoopsPlayOnPastTwiceTheirLengthAtTheirVolume) {
  constexpr double kLength = 0.15;  // seconds
  writeAllTones(kLength);
  SoundBank& sounds = bank();
  sounds.startOcean();  // volume set before the loop mode: the loop's restart must keep it
  sleepSeconds(2.5 * kLength + 0.1);
  EXPECT_TRUE(Mix_Playing(19));
  EXPECT_EQ(Mix_Volume(19, -1), 25);  // 50 of 255 on the mixer's 0..128
  const std::vector<int16_t> samples = stream();
  EXPECT_GT(soundingSpan(samples), static_cast<size_t>(2 * kLength * kStreamRate));
  const int peak = peakOfLastFrames(samples, kTailFrames);
  EXPECT_NEAR(peak, kTestToneAmplitude * 25 / 128, 300);
}

TEST_F(SoundPlayback, AOneShotPlaysOnceAndEnds) {
  constexpr double kLength = 0.1;  // seconds
  writeAllTones(kLength);
  SoundBank& sounds = bank();
  seedRandom(1);
  sounds.playSplash();  // first draw 41: slot 12
  EXPECT_TRUE(Mix_Playing(12));
  EXPECT_EQ(Mix_Volume(12, -1), 15);  // 30 of 255
  ASSERT_TRUE(waitFor([] { return Mix_Playing(12) == 0; }, 2.0));
  sleepSeconds(0.15);  // let the driver write out the silence behind it
  const std::vector<int16_t> samples = stream();
  const double heard = static_cast<double>(soundingSpan(samples)) / kStreamRate;
  EXPECT_NEAR(heard, kLength, 0.01);
  EXPECT_EQ(peakOfLastFrames(samples, kTailFrames), 0);
}

TEST_F(SoundPlayback, StoppedQuacksFallSilent) {
  writeAllTones(0.5);
  SoundBank& sounds = bank();
  sounds.startQuacking();
  EXPECT_TRUE(Mix_Playing(1));
  EXPECT_TRUE(Mix_Playing(22));
  sleepSeconds(0.1);
  sounds.stopQuacking();
  EXPECT_FALSE(Mix_Playing(1));
  EXPECT_FALSE(Mix_Playing(22));
  sleepSeconds(0.2);
  const std::vector<int16_t> samples = stream();
  EXPECT_GT(soundingSpan(samples), 0u);
  EXPECT_EQ(peakOfLastFrames(samples, kTailFrames), 0);
}

TEST_F(SoundPlayback, AShotInSlotOneReplacesTheFirstQuackForGood) {
  writeAllTones(0.5);
  writeTone("cannon3.wav", 0.05);
  SoundBank& sounds = bank();
  sounds.startQuacking();
  const Mix_Chunk* quack = Mix_GetChunk(1);
  seedRandom(1);
  sounds.playCannonFire();  // 41: slot 1, 18467: cannon3
  EXPECT_NE(Mix_GetChunk(1), quack);
  EXPECT_TRUE(Mix_Playing(1));
  EXPECT_TRUE(waitFor([] { return Mix_Playing(1) == 0; }, 2.0));
  EXPECT_TRUE(Mix_Playing(22));
}

TEST_F(SoundPlayback, CallsWithoutAChannelLeaveOtherChannelsAlone) {
  writeAllTones(0.5);
  SoundBank& sounds = bank();
  sounds.startOcean();
  sounds.stopQuacking();  // before startQuacking: no channel to stop
  soundLayer().setVolume(kSoundNoChannel, 0);
  soundLayer().setLoopMode(kSoundNoChannel, kSoundLoopOff);
  EXPECT_TRUE(Mix_Playing(19));
  EXPECT_EQ(Mix_Volume(19, -1), 25);
}

TEST_F(SoundPlayback, EachPlayStartsAtFullVolumeUntilSetOtherwise) {
  writeAllTones(0.5);
  static_cast<void>(bank());
  SoundLayer& layer = soundLayer();
  SoundSample* sample = layer.loadSample(5, "../data/sound/explosion.wav", kSoundMode2D, 0, 0);
  ASSERT_NE(sample, nullptr);
  const int channel = layer.play(5, sample);
  EXPECT_EQ(channel, 5);
  layer.setVolume(channel, 40);
  EXPECT_EQ(Mix_Volume(5, -1), 20);
  EXPECT_EQ(layer.play(5, sample), 5);
  EXPECT_EQ(Mix_Volume(5, -1), MIX_MAX_VOLUME);
  layer.setVolume(channel, 999);
  EXPECT_EQ(Mix_Volume(5, -1), MIX_MAX_VOLUME);
  EXPECT_EQ(layer.play(64, sample), kSoundNoChannel);  // the bank asked for 64 channels: 0..63
}

TEST_F(SoundPlayback, BrokenFilesAreReportedAndPlayNothing) {
  writeAllTones(0.5);
  std::string truncated = toneWav(0.5);
  truncated.resize(30);  // inside the format chunk
  writeBytes(soundDir_ / "explosion.wav", truncated);
  writeBytes(soundDir_ / "watersplash.wav", "");
  writeBytes(soundDir_ / "quack1.mp3", std::string(4000, '\x5a'));
  SoundBank& sounds = bank();
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  sounds.startQuacking();
  sounds.playExplosion();
  sounds.playSplash();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[ERROR] could not open quack1 file\n"
            "[ERROR] could not open explosion file\n"
            "[ERROR] could not open watersplash file\n");
  EXPECT_FALSE(Mix_Playing(1));
  EXPECT_TRUE(Mix_Playing(22));
  EXPECT_EQ(sounds.quackChannel1, kSoundNoChannel);
}

TEST_F(SoundPlayback, ReloadingASlotKeepsOnlyTheNewestSample) {
  writeAllTones(0.05);
  SoundBank& sounds = bank();
  seedRandom(7);
  for (int i = 0; i < 40; ++i) {
    sounds.playExplosion();
    sounds.playSplash();
    sounds.playCannonFire();
  }
  // The freed samples are checked by the sanitizer build; here, every channel plays a live sample.
  for (int channel = 0; channel < 18; ++channel) {
    if (Mix_Playing(channel)) {
      EXPECT_NE(Mix_GetChunk(channel), nullptr);
    }
  }
}

TEST_F(SoundPlayback, NoAudioDeviceGivesTheInitMessageAndThenSilence) {
  writeAllTones(0.5);
  fs::remove(soundDir_ / "sails.mp3");
  setenv("SDL_AUDIODRIVER", "nonexistent", 1);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  SoundBank& sounds = bank();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[ERROR] Could not initialise fmod\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  seedRandom(1);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  sounds.startWindAndSails();
  sounds.startOcean();
  sounds.startQuacking();
  sounds.playCannonFire();
  sounds.playExplosion();
  sounds.playSplash();
  sounds.stopQuacking();
  // Files that exist load silently; a missing one is still named.
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "could not open sails file\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(SoundPlayback, MutedOpensNoDeviceAndSaysNothing) {
  writeAllTones(0.5);
  const Uint32 audioBefore = SDL_WasInit(SDL_INIT_AUDIO);
  setSoundMuted(true);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  SoundBank& sounds = bank();
  sounds.startWindAndSails();
  sounds.startOcean();
  sounds.startQuacking();
  sounds.playCannonFire();
  sounds.stopQuacking();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), audioBefore);
  EXPECT_FALSE(fs::exists(streamPath_));
}

TEST_F(SoundPlayback, OneShotsReadTheirFileAtEveryCall) {
  writeAllTones(0.2);
  SoundBank& sounds = bank();
  const auto seconds = [](int channel) { return Mix_GetChunk(channel)->alen / 4.0 / kStreamRate; };
  seedRandom(1);
  sounds.playSplash();  // first draw 41: slot 12
  ASSERT_TRUE(Mix_Playing(12));
  EXPECT_NEAR(seconds(12), 0.2, 0.001);
  // The same file in another slot leaves slot 12 playing.
  EXPECT_EQ(soundLayer().play(13, soundLayer().loadSample(13, "../data/sound/watersplash.wav", kSoundMode2D, 0, 0)), 13);
  EXPECT_TRUE(Mix_Playing(12));
  writeTone("watersplash.wav", 0.05);  // changed in place: the next shot plays the new content
  seedRandom(1);
  sounds.playSplash();
  EXPECT_NEAR(seconds(12), 0.05, 0.001);
  fs::remove(soundDir_ / "watersplash.wav");
  testing::internal::CaptureStderr();
  sounds.playSplash();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[ERROR] could not open watersplash file\n");
}
