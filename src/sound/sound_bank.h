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

  int32_t quackChannel1 = -1;  // channel handles kept by startQuacking
  int32_t quackChannel2 = -1;
};
