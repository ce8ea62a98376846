// The sea's wave phase over time: one full cycle every 1.25 s, kept in [0, 1]. GL-free.
#pragma once

// Lowers the phase by 0.8 per second of dt (computed in double, stored as float), then brings it
// back by whole steps: first down while above 1, then up while below 0. Both ends stay possible.
float advanceWavePhase(float phase, double dt);
