// A film's soundtrack, made in a child process forked before anything else of the film exists: the
// child makes the film's start-up without graphics, runs the idle steps alone (no drawing), mixes the
// sounds they start off-line, fades and levels them, and sends them back through a pipe. The world,
// clock and random numbers are the film's, so are the sounds; in a process of its own, that run
// leaves no trace in the film's world or event log.
#pragma once
#include <string>
#include <sys/types.h>  // Required for: pid_t
#include <vector>

#include "audio/loudness.h"

struct Options;
class SoundMixdown;

// What the film covers, on the demo's clock of one step per frame.
struct SoundtrackPlan {
  long firstFrame = 0;     // steps simulated before the film begins
  long frameCount = 0;     // steps filmed
  int framesPerSecond = 0;
  int width = 0;           // pixels of the picture, the window the title lines are placed in
  int height = 0;
  int samplesPerFrame = 0; // stereo sample frames per step
  int sampleRate = 0;      // Hz
  double fadeSeconds = 0.0;     // fade in from and out to silence
  double loudness = kDefaultLoudness;  // LUFS integrated
};

struct SoundtrackJob {
  pid_t child = -1;  // -1: none running
  int pipe = -1;     // read end
  size_t samples = 0;  // floats to come
};

// Gain of a fade in from 0 and out to 0 at both ends of a span of `length`: 1 from `fadeLength`
// inside it on. The same shape fades the pictures (frames) and the sound (samples).
double fadeGain(double position, double length, double fadeLength);

// The film's world just before its first step, in the film and in its soundtrack's process alike:
// start-up (with or without graphics) playing into `mixdown`, the picture as the window the texts
// see, the frame rate fixed at the film's, the script's clock started.
void startFilmWorld(const Options& options, const SoundtrackPlan& plan, SoundMixdown& mixdown, bool withGraphics);

// Starts the child. Call while the process has one thread (before the window, the GL driver and the
// encoders start theirs): a child forked from threads may only make calls that are safe after their
// sudden end, and this one mixes and filters. False, with `error`, when no process can be started.
bool startSoundtrack(const Options& options, const SoundtrackPlan& plan, SoundtrackJob& job, std::string& error);
// Waits for the child: 2 x samplesPerFrame x frameCount interleaved samples in `stereo`. A caught
// stop signal ends the wait within a tenth of a second: the child is ended and the result is false
// with `error` empty.
bool collectSoundtrack(SoundtrackJob& job, std::vector<float>& stereo, LoudnessChange& change, std::string& error);
// Ends the child at once, if one runs.
void cancelSoundtrack(SoundtrackJob& job);
