// platform/: the operating system's narrow stand-ins: the clock, stop signals, the run-time tree,
// error dialogs, whole-file reading, the one random generator and the angle conversion. Nothing here
// draws, plays or knows the demo.
//
// Monotonic clock standing in for a high-resolution performance counter: 64-bit counts and their
// frequency. Only the application shell reads it; everything else receives elapsed seconds.
#pragma once
#include <cstdint>

// Counts since an arbitrary origin; differences of two reads divided by counterFrequency() are seconds.
int64_t readCounter();
// Counts per second (1e9: the clock counts nanoseconds).
int64_t counterFrequency();

// Fixed-step mode for reproducible runs: the counter stops following real time and moves only by
// advanceFixedClock(), by exactly `stepSeconds` per call. Every reader then sees the same clock.
void useFixedClock(double stepSeconds);
void advanceFixedClock();
// Counts per advanceFixedClock(), or 0 while the counter follows real time.
int64_t fixedClockStep();
