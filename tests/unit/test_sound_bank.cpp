// Sound bank through a recording sound layer: calls, slots, volumes, loop modes and failure messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/random.h"
#include "platform/sound_layer.h"
#include "sound/sound_bank.h"

namespace {

// Handles differ from channel numbers so that a bank passing a slot where a handle belongs shows up.
constexpr int kHandleOffset = 1000;

class RecordingSoundLayer final : public SoundLayer {
 public:
  bool init(int mixRate, int channelCount, unsigned flags) override {
    log("init %d %d %u", mixRate, channelCount, flags);
    return initSucceeds;
  }
  SoundSample* loadSample(int slot, const char* path, int mode, int offset, int length) override {
    log("load %d %s %d %d %d", slot, path, mode, offset, length);
    if (missing.count(path) != 0) return nullptr;
    samples_.push_back(new SoundSample{slot});
    return samples_.back();
  }
  int play(int channel, SoundSample* sample) override {
    const int handle = sample != nullptr ? channel + kHandleOffset : kSoundNoChannel;
    if (sample != nullptr) {
      log("play %d sample%d -> %d", channel, sample->slot, handle);
    } else {
      log("play %d null -> %d", channel, handle);
    }
    return handle;
  }
  void setVolume(int channelHandle, int volume) override { log("volume %d %d", channelHandle, volume); }
  void setLoopMode(int channelHandle, int loopMode) override { log("loop %d %d", channelHandle, loopMode); }
  void stop(int channelHandle) override { log("stop %d", channelHandle); }

  ~RecordingSoundLayer() override {
    for (SoundSample* sample : samples_) delete sample;
  }

  std::vector<std::string> calls;
  std::set<std::string> missing;  // paths whose load fails
  bool initSucceeds = true;

 private:
  template <typename... Args>
  void log(const char* format, Args... args) {
    char line[160];
    std::snprintf(line, sizeof line, format, args...);
    calls.emplace_back(line);
  }
  std::vector<SoundSample*> samples_;
};

class SoundBankCalls : public ::testing::Test {
 protected:
  // The bank is built on the recording layer; its construction is not part of any test's log.
  void SetUp() override {
    setSoundLayer(&layer);
    bank = std::make_unique<SoundBank>();
    layer.calls.clear();
  }
  void TearDown() override {
    bank.reset();
    setSoundLayer(nullptr);
  }

  // Runs `action` with both streams captured into `out` and `err`.
  template <typename Action>
  void captured(Action action) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    action();
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
  }

  RecordingSoundLayer layer;
  std::unique_ptr<SoundBank> bank;
  std::string out, err;
};

using Calls = std::vector<std::string>;

// First seed from 0 whose draw number `position` (0 = first) gives `value`.
uint32_t seedDrawing(int value, int position) {
  for (uint32_t seed = 0;; ++seed) {
    seedRandom(seed);
    int drawn = -1;
    for (int i = 0; i <= position; ++i) drawn = nextRandom();
    if (drawn == value) return seed;
  }
}

}  // namespace

TEST_F(SoundBankCalls, ConstructionInitialisesOnceAt44000HzWith64Channels) {
  RecordingSoundLayer fresh;
  setSoundLayer(&fresh);
  captured([] { SoundBank local; });
  EXPECT_EQ(fresh.calls, Calls({"init 44000 64 0"}));
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
}

TEST_F(SoundBankCalls, FailedInitIsReportedAndLaterCallsAreStillMade) {
  RecordingSoundLayer failing;
  failing.initSucceeds = false;
  setSoundLayer(&failing);
  captured([] {
    SoundBank local;
    local.startOcean();
  });
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "[ERROR] Could not initialise fmod\n");
  ASSERT_EQ(failing.calls.size(), 5u);
  EXPECT_EQ(failing.calls[1], "load 19 ../data/sound/ocean.wav 8192 0 0");
}

TEST_F(SoundBankCalls, AmbientLoopsLoadPlayAndSetLoopAndVolumeInTheirOwnOrder) {
  SoundBank& sounds = *bank;
  sounds.startWindAndSails();
  sounds.startOcean();
  EXPECT_EQ(layer.calls, Calls({
                             "load 10 ../data/sound/wind.wav 8192 0 0",
                             "play 10 sample10 -> 1010",
                             "loop 1010 2",
                             "volume 1010 50",
                             "load 11 ../data/sound/sails.mp3 8192 0 0",
                             "play 11 sample11 -> 1011",
                             "loop 1011 2",
                             "volume 1011 100",
                             "load 19 ../data/sound/ocean.wav 8192 0 0",
                             "play 19 sample19 -> 1019",
                             "volume 1019 50",
                             "loop 1019 2",
                         }));
}

TEST_F(SoundBankCalls, QuackingKeepsTheReturnedHandlesAndStopsExactlyThose) {
  SoundBank& sounds = *bank;
  sounds.startQuacking();
  EXPECT_EQ(sounds.quackChannel1, 1 + kHandleOffset);
  EXPECT_EQ(sounds.quackChannel2, 22 + kHandleOffset);
  sounds.stopQuacking();
  EXPECT_EQ(layer.calls, Calls({
                             "load 1 ../data/sound/quack1.mp3 8192 0 0",
                             "play 1 sample1 -> 1001",
                             "volume 1001 50",
                             "loop 1001 2",
                             "load 22 ../data/sound/quack2.mp3 8192 0 0",
                             "play 22 sample22 -> 1022",
                             "volume 1022 50",
                             "loop 1022 2",
                             "stop 1001",
                             "stop 1022",
                         }));
}

TEST_F(SoundBankCalls, QuackingRestartsWithFreshHandlesAfterAStop) {
  SoundBank& sounds = *bank;
  sounds.startQuacking();
  sounds.stopQuacking();
  layer.missing.insert("../data/sound/quack2.mp3");
  captured([&] { sounds.startQuacking(); });
  EXPECT_EQ(sounds.quackChannel1, 1 + kHandleOffset);
  EXPECT_EQ(sounds.quackChannel2, kSoundNoChannel);  // the failed play's handle, not the old one
}

// Random values of seedRandom(1): 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464,
// 5705, 28145, 23281, 16827, 9961, 491. A shot draws its slot, then its file: slot = ceil(r*4/32767).
TEST_F(SoundBankCalls, CannonFireDrawsSlotThenFileWithEachFilesVolume) {
  SoundBank& sounds = *bank;
  seedRandom(1);
  for (int shot = 0; shot < 8; ++shot) sounds.playCannonFire();
  EXPECT_EQ(layer.calls, Calls({
                             // 41 -> slot 1, 18467 -> cannon3
                             "load 1 ../data/sound/cannon3.wav 8192 0 0", "play 1 sample1 -> 1001", "volume 1001 90",
                             // 6334 -> slot 1, 26500 -> cannon4
                             "load 1 ../data/sound/cannon4.wav 8192 0 0", "play 1 sample1 -> 1001", "volume 1001 90",
                             // 19169 -> slot 3, 15724 -> cannon2
                             "load 3 ../data/sound/cannon2.wav 8192 0 0", "play 3 sample3 -> 1003", "volume 1003 50",
                             // 11478 -> slot 2, 29358 -> cannon4
                             "load 2 ../data/sound/cannon4.wav 8192 0 0", "play 2 sample2 -> 1002", "volume 1002 90",
                             // 26962 -> slot 4, 24464 -> cannon3
                             "load 4 ../data/sound/cannon3.wav 8192 0 0", "play 4 sample4 -> 1004", "volume 1004 90",
                             // 5705 -> slot 1, 28145 -> cannon4
                             "load 1 ../data/sound/cannon4.wav 8192 0 0", "play 1 sample1 -> 1001", "volume 1001 90",
                             // 23281 -> slot 3, 16827 -> cannon3
                             "load 3 ../data/sound/cannon3.wav 8192 0 0", "play 3 sample3 -> 1003", "volume 1003 90",
                             // 9961 -> slot 2, 491 -> cannon1
                             "load 2 ../data/sound/cannon1.wav 8192 0 0", "play 2 sample2 -> 1002", "volume 1002 35",
                         }));
}

// Explosion slot = 1 - trunc(r * -5/32768), splash slot = 12 - trunc(r * -6/32768).
TEST_F(SoundBankCalls, ExplosionAndSplashPickTheirSlotsFromOneDrawEach) {
  SoundBank& sounds = *bank;
  seedRandom(1);
  sounds.playExplosion();  // 41 -> 1
  sounds.playExplosion();  // 18467 -> 3
  sounds.playSplash();     // 6334 -> 13
  sounds.playExplosion();  // 26500 -> 5
  sounds.playSplash();     // 19169 -> 15
  seedRandom(1);
  for (int skip = 0; skip < 7; ++skip) nextRandom();
  sounds.playSplash();  // 29358 -> 17
  sounds.playSplash();  // 26962 -> 16
  EXPECT_EQ(layer.calls, Calls({
                             "load 1 ../data/sound/explosion.wav 8192 0 0", "play 1 sample1 -> 1001", "volume 1001 20",
                             "load 3 ../data/sound/explosion.wav 8192 0 0", "play 3 sample3 -> 1003", "volume 1003 20",
                             "load 13 ../data/sound/watersplash.wav 8192 0 0", "play 13 sample13 -> 1013", "volume 1013 30",
                             "load 5 ../data/sound/explosion.wav 8192 0 0", "play 5 sample5 -> 1005", "volume 1005 20",
                             "load 15 ../data/sound/watersplash.wav 8192 0 0", "play 15 sample15 -> 1015", "volume 1015 30",
                             "load 17 ../data/sound/watersplash.wav 8192 0 0", "play 17 sample17 -> 1017", "volume 1017 30",
                             "load 16 ../data/sound/watersplash.wav 8192 0 0", "play 16 sample16 -> 1016", "volume 1016 30",
                         }));
}

TEST_F(SoundBankCalls, OneShotsStayWithinTheirSlotRangesAndNeverLoop) {
  SoundBank& sounds = *bank;
  seedRandom(12345);
  for (int i = 0; i < 4000; ++i) {
    sounds.playCannonFire();
    sounds.playExplosion();
    sounds.playSplash();
  }
  std::set<int> cannonSlots, explosionSlots, splashSlots;
  for (const std::string& call : layer.calls) {
    ASSERT_NE(call.rfind("loop", 0), 0u) << call;
    int slot = 0;
    char path[96] = {};
    if (std::sscanf(call.c_str(), "load %d %95s", &slot, path) != 2) continue;
    const std::string file = path;
    if (file.find("cannon") != std::string::npos) cannonSlots.insert(slot);
    if (file.find("explosion") != std::string::npos) explosionSlots.insert(slot);
    if (file.find("watersplash") != std::string::npos) splashSlots.insert(slot);
  }
  cannonSlots.erase(0);  // a draw of 0 may occur; its own test covers it
  EXPECT_EQ(cannonSlots, std::set<int>({1, 2, 3, 4}));
  EXPECT_EQ(explosionSlots, std::set<int>({1, 2, 3, 4, 5}));
  EXPECT_EQ(splashSlots, std::set<int>({12, 13, 14, 15, 16, 17}));
}

TEST_F(SoundBankCalls, TheLargestRandomValueStillGivesCannonSlotAndFileFour) {
  SoundBank& sounds = *bank;
  const uint32_t slotSeed = seedDrawing(kRandomMax, 0);
  seedRandom(slotSeed);
  sounds.playCannonFire();
  ASSERT_FALSE(layer.calls.empty());
  EXPECT_EQ(layer.calls[0].rfind("load 4 ", 0), 0u) << layer.calls[0];

  layer.calls.clear();
  seedRandom(seedDrawing(kRandomMax, 1));
  sounds.playCannonFire();
  ASSERT_FALSE(layer.calls.empty());
  EXPECT_NE(layer.calls[0].find("cannon4.wav"), std::string::npos) << layer.calls[0];
}

TEST_F(SoundBankCalls, CannonSlotZeroComesOnlyFromADrawOfZero) {
  SoundBank& sounds = *bank;
  seedRandom(seedDrawing(0, 0));
  sounds.playCannonFire();
  ASSERT_EQ(layer.calls.size(), 3u);
  EXPECT_EQ(layer.calls[0].rfind("load 0 ../data/sound/cannon", 0), 0u) << layer.calls[0];
  EXPECT_EQ(layer.calls[1], "play 0 sample0 -> 1000");
}

TEST_F(SoundBankCalls, CannonChoiceZeroLoadsNothingAndPlaysNoSampleAtVolumeZero) {
  SoundBank& sounds = *bank;
  const uint32_t seed = seedDrawing(0, 1);
  seedRandom(seed);
  const int slotDraw = nextRandom();
  ASSERT_GT(slotDraw, 0);
  seedRandom(seed);
  captured([&] { sounds.playCannonFire(); });
  ASSERT_EQ(layer.calls.size(), 2u);
  EXPECT_EQ(layer.calls[0].rfind("play ", 0), 0u);
  EXPECT_NE(layer.calls[0].find(" null -> -1"), std::string::npos) << layer.calls[0];
  EXPECT_EQ(layer.calls[1], "volume -1 0");
  EXPECT_EQ(err, "[ERROR] could not open firesample file\n");
  EXPECT_EQ(out, "");
}

TEST_F(SoundBankCalls, ShotsAndExplosionsInSlotOneReuseTheFirstQuacksSlotAndChannel) {
  SoundBank& sounds = *bank;
  sounds.startQuacking();
  layer.calls.clear();
  seedRandom(1);
  sounds.playCannonFire();  // 41 -> slot 1
  seedRandom(1);
  sounds.playExplosion();  // 41 -> slot 1
  EXPECT_EQ(layer.calls, Calls({
                             "load 1 ../data/sound/cannon3.wav 8192 0 0", "play 1 sample1 -> 1001", "volume 1001 90",
                             "load 1 ../data/sound/explosion.wav 8192 0 0", "play 1 sample1 -> 1001", "volume 1001 20",
                         }));
}

struct MissingFileCase {
  const char* path;
  void (SoundBank::*operation)();
  int slot;  // where the play request still goes
  const char* out;
  const char* err;
};

TEST_F(SoundBankCalls, EachMissingFileGivesItsMessageOnItsStreamAndStillRequestsPlay) {
  const MissingFileCase cases[] = {
      {"../data/sound/wind.wav", &SoundBank::startWindAndSails, 10, "", "[ERROR] could not open hgsample file\n"},
      {"../data/sound/sails.mp3", &SoundBank::startWindAndSails, 11, "could not open sails file\n", ""},
      {"../data/sound/ocean.wav", &SoundBank::startOcean, 19, "", "[ERROR] could not open ocean file\n"},
      {"../data/sound/quack1.mp3", &SoundBank::startQuacking, 1, "", "[ERROR] could not open quack1 file\n"},
      {"../data/sound/quack2.mp3", &SoundBank::startQuacking, 22, "", "[ERROR] could not open quack2 file\n"},
      {"../data/sound/explosion.wav", &SoundBank::playExplosion, 1, "", "[ERROR] could not open explosion file\n"},
      {"../data/sound/watersplash.wav", &SoundBank::playSplash, 12, "", "[ERROR] could not open watersplash file\n"},
      {"../data/sound/cannon3.wav", &SoundBank::playCannonFire, 1, "", "[ERROR] could not open firesample file\n"},
  };
  SoundBank& sounds = *bank;
  for (const MissingFileCase& test : cases) {
    SCOPED_TRACE(test.path);
    layer.missing = {test.path};
    layer.calls.clear();
    seedRandom(1);  // slot 1 for explosions and shots (cannon3), 12 for splashes
    captured([&] { (sounds.*test.operation)(); });
    EXPECT_EQ(out, test.out);
    EXPECT_EQ(err, test.err);
    const std::string play = "play " + std::to_string(test.slot) + " null -> -1";
    bool played = false;
    for (const std::string& call : layer.calls) played = played || call == play;
    EXPECT_TRUE(played) << "no '" << play << "'";
  }
}

TEST_F(SoundBankCalls, AllFilesPresentGivesNoOutput) {
  SoundBank& sounds = *bank;
  captured([&] {
    sounds.startWindAndSails();
    sounds.startOcean();
    sounds.startQuacking();
    sounds.stopQuacking();
    sounds.playExplosion();
    sounds.playSplash();
  });
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
}
