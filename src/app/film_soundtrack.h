// A film's soundtrack, made before its first picture: the battle simulated once more without graphics
// in a child process, its sounds mixed off-line, faded and levelled, and sent back through a pipe.
// In a process of its own that run leaves no trace in the film's world, clock, random numbers or log,
// and it runs while the film's process starts its graphics.
#pragma once
#include <string>
#include <sys/types.h>  // Required for: pid_t
#include <vector>

#include "platform/loudness.h"

struct Options;

// What the film's sound covers, on the demo's clock of one step per frame.
struct SoundtrackPlan {
  long firstFrame = 0;     // steps simulated before the film begins
  long frameCount = 0;     // steps filmed
  int samplesPerFrame = 0; // stereo sample frames per step
  int sampleRate = 0;      // Hz
  int width = 0;           // the film's picture, where the title lines are placed
  int height = 0;
  double fadeSeconds = 0.0;     // fade in from and out to silence
  double loudness = kDefaultLoudness;  // LUFS integrated
};

struct SoundtrackJob {
  pid_t child = -1;
  int pipe = -1;     // read end
  size_t samples = 0;  // floats to come
};

// Gain of a fade in from 0 and out to 0 at both ends of a span of `length`: 1 from `fadeLength`
// inside it on. The same shape fades the pictures (frames) and the sound (samples).
double fadeGain(double position, double length, double fadeLength);

// Starts the child. False, with `error`, when no process can be started.
bool startSoundtrack(const Options& options, const SoundtrackPlan& plan, SoundtrackJob& job, std::string& error);
// Waits for the child: 2 x samplesPerFrame x frameCount interleaved samples in `stereo`.
bool collectSoundtrack(SoundtrackJob& job, std::vector<float>& stereo, LoudnessChange& change, std::string& error);
// Ends the child without its soundtrack (the film was given up before it began).
void dropSoundtrack(SoundtrackJob& job);
