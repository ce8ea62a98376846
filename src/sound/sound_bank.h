// The demo's sound effects: ambient loops, duck quacks and one-shot battle sounds.
#pragma once
#include <cstdint>

class SoundBank {
 public:
  SoundBank();   // initialises the sound system (44000 Hz, 64 channels)
  ~SoundBank();  // stops nothing; the sound system stays up until exit
  void startWindAndSails();
  void startOcean();
  void startQuacking();
  void stopQuacking();
  void playCannonFire();
  void playExplosion();
  void playSplash();

  // Channel handles kept by startQuacking for stopQuacking; -1 (no channel) until it has run or when
  // a quack could not be played.
  int32_t quackChannel1 = -1;
  int32_t quackChannel2 = -1;
};

// The demo's sound effects; created and released by the application shell (null before start-up).
extern SoundBank* g_sounds;
