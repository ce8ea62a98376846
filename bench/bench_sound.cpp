// Cost of the one-shot effects on the generated sound files: each call reads its file again and
// decodes it only when its bytes changed. The cached variant plays samples loaded once: the part
// that no file check can avoid.
#include <benchmark/benchmark.h>

#include <unistd.h>  // Required for: chdir()

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/sound_layer.h"
#include "platform/random.h"
#include "sound/sound_bank.h"

namespace {

const char* const kCannonFiles[] = {
    "../data/sound/cannon1.wav",
    "../data/sound/cannon2.wav",
    "../data/sound/cannon3.wav",
    "../data/sound/cannon4.wav",
};

// The bank on the run-time tree, with audio opened on SDL's dummy driver unless one is chosen:
// decoding happens, mixing costs nothing. Null (with the reason in `why`) when the files are absent.
SoundBank* benchBank(std::string& why) {
  static std::string failure;
  static SoundBank* bank = [] () -> SoundBank* {
    if (chdir(KARVOSTA_RUNTIME_DIR "/bin") != 0) {
      failure = "no run-time tree at " KARVOSTA_RUNTIME_DIR;
      return nullptr;
    }
    for (const char* path : kCannonFiles) {
      std::FILE* file = std::fopen(path, "rb");
      if (file == nullptr) {
        failure = std::string("missing generated sound ") + path;
        return nullptr;
      }
      std::fclose(file);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return new SoundBank();  // lives until exit, as in the program
  }();
  why = failure;
  return bank;
}

// One one-shot effect per iteration, as the battle triggers them: each call reads its file anew.
template <void (SoundBank::*effect)()>
void BM_OneShot(benchmark::State& state) {
  std::string why;
  SoundBank* bank = benchBank(why);
  if (bank == nullptr) {
    state.SkipWithError(why.c_str());
    return;
  }
  seedRandom(1);
  for (auto _ : state) (bank->*effect)();
}
BENCHMARK(BM_OneShot<&SoundBank::playCannonFire>)->Name("BM_PlayCannonFire")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OneShot<&SoundBank::playExplosion>)->Name("BM_PlayExplosion")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OneShot<&SoundBank::playSplash>)->Name("BM_PlaySplash")->Unit(benchmark::kMicrosecond);

// Play and volume of the four cannon samples loaded once, in slots 1..4: a shot without the load.
void BM_PlayCachedCannon(benchmark::State& state) {
  std::string why;
  if (benchBank(why) == nullptr) {
    state.SkipWithError(why.c_str());
    return;
  }
  SoundLayer& layer = soundLayer();
  SoundSample* samples[4];
  for (int i = 0; i < 4; ++i) samples[i] = layer.loadSample(i + 1, kCannonFiles[i], kSoundMode2D, 0, 0);
  int shot = 0;
  for (auto _ : state) {
    const int index = shot++ & 3;
    layer.setVolume(layer.play(index + 1, samples[index]), 90);
  }
}
BENCHMARK(BM_PlayCachedCannon)->Unit(benchmark::kMicrosecond);

}  // namespace
