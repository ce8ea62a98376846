// The program's one pseudo-random generator: a linear congruential rule giving integers 0..32767.
// Seeded once at start-up; every caller (ball speeds, sound variants) draws from the same sequence.
#pragma once
#include <cstdint>

constexpr int kRandomMax = 32767;

void seedRandom(uint32_t seed);
// state = state * 214013 + 2531011 (mod 2^32); value = (state >> 16) & 0x7FFF.
int nextRandom();
