// Sound effects of the run-time tree: synthesis of every effect, and the WAV and MP3 encoders.
#pragma once
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;  // Hz, every file

using Samples = std::vector<double>;  // mono, nominal range -1..1

struct SoundDef {
  const char* fileName;  // under data/sound; ".mp3" names are MP3-encoded, ".wav" 16-bit PCM
  Samples (*make)();
  bool loops;  // played in a loop: the end joins the start without a step
};

// Every sound the generator writes, in a fixed order.
const std::vector<SoundDef>& soundTable();

Samples makeWind();
Samples makeSails();
Samples makeOcean();
Samples makeQuack1();
Samples makeQuack2();
Samples makeCannon1();
Samples makeCannon2();
Samples makeCannon3();
Samples makeCannon4();
Samples makeExplosion();
Samples makeSplash();

// Loop of n samples from x (at least n + fade long): the tail beyond n is crossfaded into the head,
// so sample n - 1 is followed by what followed it in x.
Samples crossfadeLoop(const Samples& x, size_t n, size_t fade);

// 16-bit mono PCM, 44.1 kHz, canonical 44-byte header.
std::vector<uint8_t> encodeWav(const Samples& samples);
// MPEG-1 layer III, mono, 44.1 kHz, constant bit rate, no tag frame; empty on encoder failure.
std::vector<uint8_t> encodeMp3(const Samples& samples);
