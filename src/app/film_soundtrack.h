// A film's soundtrack, made before its first picture: a child process, a copy of the film's own just
// after start-up, runs the idle steps alone (no drawing), mixes the sounds they start off-line, fades
// and levels them, and sends them back through a pipe. The world, clock and random numbers are the
// film's, so are the sounds; in a process of its own, that run leaves no trace in the film's world or
// event log.
#pragma once
#include <string>
#include <sys/types.h>  // Required for: pid_t
#include <vector>

#include "platform/loudness.h"

class SoundMixdown;

// What the film's sound covers, on the demo's clock of one step per frame.
struct SoundtrackPlan {
  long firstFrame = 0;     // steps simulated before the film begins
  long frameCount = 0;     // steps filmed
  int samplesPerFrame = 0; // stereo sample frames per step
  int sampleRate = 0;      // Hz
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

// Starts the child: call after start-up, before the first idle step, with the sound layer start-up
// played into. False, with `error`, when no process can be started.
bool startSoundtrack(SoundMixdown& mixdown, const SoundtrackPlan& plan, SoundtrackJob& job, std::string& error);
// Waits for the child: 2 x samplesPerFrame x frameCount interleaved samples in `stereo`.
bool collectSoundtrack(SoundtrackJob& job, std::vector<float>& stereo, LoudnessChange& change, std::string& error);
