// The particle pool and the effects' random generator.
#include "effects/particle_pool.h"

#include <cassert>

Particle& ParticlePool::spawn() {
  int index = 0;
  if (freeCount_ > 0) {
    index = free_[--freeCount_];
  } else {
    // Full: only storms get here, so a scan for the oldest costs nothing in the designed battle.
    for (int i = 1; i < kCapacity; ++i) {
      if (slots_[i].birth < slots_[index].birth) index = i;
    }
  }
  slots_[index] = Particle{};
  slots_[index].birth = serial_++;
  return slots_[index];
}

void ParticlePool::release(int index) {
  assert(alive(index) && "a slot is released once");
  slots_[index].life = 0.0f;
  free_[freeCount_++] = index;
}

void ParticlePool::clear() {
  for (int i = 0; i < kCapacity; ++i) {
    slots_[i].life = 0.0f;
    // Highest index on top: spawning fills the slots in order.
    free_[i] = kCapacity - 1 - i;
  }
  freeCount_ = kCapacity;
  serial_ = 0;
}

float EffectRandom::next() {
  // xorshift32: full period over the non-zero states, and cheap.
  uint32_t s = state_ == 0 ? 1u : state_;
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  state_ = s;
  return static_cast<float>(s >> 8) * (1.0f / 16777216.0f);
}
