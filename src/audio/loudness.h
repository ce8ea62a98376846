// Film loudness: a whole soundtrack measured as EBU R128 hears it and brought to a target loudness by
// one gain and a true-peak limiter. FFmpeg's filters (libavfilter) stay behind this interface.
#pragma once
#include <string>
#include <vector>

constexpr double kDefaultLoudness = -16.0;  // LUFS integrated: what video sites play at, near enough
constexpr double kTruePeakCeiling = -1.5;   // dBTP: room for the peaks an AAC encoder adds

struct LoudnessChange {
  bool measured = false;  // false: under one 0.4 s block above the gate, so no loudness and no gain
  double before = 0.0;    // LUFS integrated, as mixed
  double after = 0.0;     // LUFS integrated, after gain and limiter
  double gain = 0.0;      // dB
};

// Brings `stereo` (interleaved left/right at `sampleRate` Hz, any level, may pass full scale) to
// `targetLufs` integrated: one gain for the whole track, then a limiter that keeps peaks, also those
// between samples, at kTruePeakCeiling. The relative levels of its sounds stay as they are, but for
// the loudest moments. A track too short or too quiet to measure (no 0.4 s block above the R128
// gate, -70 LUFS) gets no gain, but the limiter all the same. False, with `error` set, when the
// filters fail.
bool normaliseLoudness(std::vector<float>& stereo, int sampleRate, double targetLufs, LoudnessChange& change,
                       std::string& error);
