// Sound bank: the slot table of the demo's sounds and the rules that pick a slot for each effect.
#include "sound/sound_bank.h"

#include <cmath>  // Required for: std::ceil()
#include <cstdio>

#include "audio/sound_layer.h"
#include "platform/random.h"

SoundBank* g_sounds = nullptr;

namespace {

// Each sound's number is both its sample slot and the channel it plays on.
constexpr int kMixRate = 44000;  // Hz
constexpr int kMixChannels = 64;

enum class Stream { Out, Err };
// The order of the loop-mode and volume calls after play differs between the ambient loops.
enum class AfterPlay { LoopThenVolume, VolumeThenLoop };

struct LoopSound {
  int number;
  const char* path;
  const char* failMessage;
  Stream failStream;
  AfterPlay order;
  int volume;  // 0..255
};

enum LoopId { kWind, kSails, kOcean, kQuack1, kQuack2 };

// Sails reports on standard output and without the "[ERROR] " prefix, unlike the others.
constexpr LoopSound kLoopSounds[] = {
    {10, "../data/sound/wind.wav", "[ERROR] could not open hgsample file\n", Stream::Err, AfterPlay::LoopThenVolume, 50},
    {11, "../data/sound/sails.mp3", "could not open sails file\n", Stream::Out, AfterPlay::LoopThenVolume, 100},
    {19, "../data/sound/ocean.wav", "[ERROR] could not open ocean file\n", Stream::Err, AfterPlay::VolumeThenLoop, 50},
    {1, "../data/sound/quack1.mp3", "[ERROR] could not open quack1 file\n", Stream::Err, AfterPlay::VolumeThenLoop, 50},
    {22, "../data/sound/quack2.mp3", "[ERROR] could not open quack2 file\n", Stream::Err, AfterPlay::VolumeThenLoop, 50},
};

struct CannonSound {
  const char* path;  // nullptr: nothing is loaded
  int volume;
};

// Indexed by the drawn choice 0..4; 0 comes only from a random value of 0.
constexpr CannonSound kCannonSounds[] = {
    {nullptr, 0},
    {"../data/sound/cannon1.wav", 35},
    {"../data/sound/cannon2.wav", 50},
    {"../data/sound/cannon3.wav", 90},
    {"../data/sound/cannon4.wav", 90},
};

// ceil(r * 4 / 32767): 1..4 for r in 1..32767, 0 for r == 0.
constexpr double kCannonScale = 0.00012207403790398877;
// 1 - trunc(r * -5 / 32768): explosion slots 1..5.
constexpr double kExplosionScale = -0.000152587890625;
constexpr int kExplosionFirstSlot = 1;
constexpr int kExplosionVolume = 20;
// 12 - trunc(r * -6 / 32768): splash slots 12..17.
constexpr double kSplashScale = -0.00018310546875;
constexpr int kSplashFirstSlot = 12;
constexpr int kSplashVolume = 30;

constexpr const char* kExplosionPath = "../data/sound/explosion.wav";
constexpr const char* kSplashPath = "../data/sound/watersplash.wav";

void report(Stream stream, const char* message) {
  std::fputs(message, stream == Stream::Out ? stdout : stderr);
}

SoundSample* load(int slot, const char* path) {
  return soundLayer().loadSample(slot, path, kSoundMode2D, 0, 0);
}

// Returns the channel handle the loop plays on (kSoundNoChannel when nothing could be played).
int startLoop(const LoopSound& sound) {
  SoundSample* sample = load(sound.number, sound.path);
  if (sample == nullptr) report(sound.failStream, sound.failMessage);
  SoundLayer& layer = soundLayer();
  const int channel = layer.play(sound.number, sample);
  if (sound.order == AfterPlay::LoopThenVolume) {
    layer.setLoopMode(channel, kSoundLoopNormal);
    layer.setVolume(channel, sound.volume);
  } else {
    layer.setVolume(channel, sound.volume);
    layer.setLoopMode(channel, kSoundLoopNormal);
  }
  return channel;
}

void playOneShot(int slot, const char* path, const char* failMessage, int volume) {
  SoundSample* sample = path != nullptr ? load(slot, path) : nullptr;
  if (sample == nullptr) report(Stream::Err, failMessage);
  SoundLayer& layer = soundLayer();
  layer.setVolume(layer.play(slot, sample), volume);
}

}  // namespace

SoundBank::SoundBank() {
  if (!soundLayer().init(kMixRate, kMixChannels, 0)) {
    report(Stream::Err, "[ERROR] Could not initialise fmod\n");
  }
}

SoundBank::~SoundBank() = default;

void SoundBank::startWindAndSails() {
  startLoop(kLoopSounds[kWind]);
  startLoop(kLoopSounds[kSails]);
}

void SoundBank::startOcean() { startLoop(kLoopSounds[kOcean]); }

void SoundBank::startQuacking() {
  quackChannel1 = startLoop(kLoopSounds[kQuack1]);
  quackChannel2 = startLoop(kLoopSounds[kQuack2]);
}

void SoundBank::stopQuacking() {
  SoundLayer& layer = soundLayer();
  layer.stop(quackChannel1);
  layer.stop(quackChannel2);
}

// Slot 1 is also the first quack's slot: a shot drawn there replaces that sample and silences it.
void SoundBank::playCannonFire() {
  const int slot = static_cast<int>(std::ceil(nextRandom() * kCannonScale));
  const int choice = static_cast<int>(std::ceil(nextRandom() * kCannonScale));
  const CannonSound& sound = kCannonSounds[choice];
  playOneShot(slot, sound.path, "[ERROR] could not open firesample file\n", sound.volume);
}

void SoundBank::playExplosion() {
  const int slot = kExplosionFirstSlot - static_cast<int>(nextRandom() * kExplosionScale);
  playOneShot(slot, kExplosionPath, "[ERROR] could not open explosion file\n", kExplosionVolume);
}

void SoundBank::playSplash() {
  const int slot = kSplashFirstSlot - static_cast<int>(nextRandom() * kSplashScale);
  playOneShot(slot, kSplashPath, "[ERROR] could not open watersplash file\n", kSplashVolume);
}
