// Optional timing of the frame's phases (--profile): where a frame's wall time goes, printed at
// exit. Measures real time even under the fixed clock; GL work is finished before each reading.
// The frame intervals (--frame-stats, and with --profile) are the wall time between finished
// frames; they take no GL time of their own, so they show the frames as a viewer sees them.
#pragma once

// ReadBack and Encode occur only in recordings: the finished picture read from GL, then colour
// conversion and encoding of picture and sound.
enum class FramePhase { WorldStep, SeaUpdate, ReflectionPass, MainPass, Overlays, ReadBack, Encode, Count };

void enableFrameProfile();
// Call at the start of a phase; the returned token goes to endPhase.
double beginPhase();
void endPhase(FramePhase phase, double token);
// Records the interval since the previous finished frame; call once per frame, after the swap.
void enableFrameIntervals();
void markFrameEnd();
// Prints what was enabled: the phase means, then the frame intervals' mean and percentiles.
void printFrameProfile();
