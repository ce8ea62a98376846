// WAV reading for the web build's sound layer: RIFF/WAVE files of integer PCM, 8 or 16 bits, mono or
// stereo, any rate. Library-free, so the desktop's unit tests check it as well.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct WavSound {
  int channels = 0;      // 1 or 2
  int sampleRate = 0;    // Hz
  std::vector<int16_t> samples;  // interleaved frames; 8-bit files are widened to 16 bits
};

// Reads a whole file's bytes. False, with `error` saying what is wrong, for anything but the formats
// above, and for a file cut short: a missing or truncated chunk, a data chunk of no whole frame.
bool readWav(const std::string& bytes, WavSound& sound, std::string& error);
