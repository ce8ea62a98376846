// Particles of the battle's effects: the record, a fixed pool where the oldest gives way, and the
// effects' own random generator. GL-free; no allocation after construction.
#pragma once
#include <array>
#include <cstdint>

// Which picture of the sprite sheet a particle shows.
enum class Sprite : uint8_t { Smoke, Spray, Foam, Flash, Splinter, Feather };
constexpr int kSpriteCount = 6;

// How a particle moves and shows.
enum ParticleFlag : uint8_t {
  kLiesOnSea = 1,    // a flat quad on the moving surface; z is its lift above the surface
  kGlows = 2,        // added to the picture instead of covering it (flashes)
  kEndsInSea = 4,    // dies when it falls back below the surface (spray, splinters, feathers)
};

struct Particle {
  float x, y, z;          // world units
  float vx, vy, vz;       // world units per second
  float driftX, driftY, driftZ;  // the velocity that drag pulls it towards (wind, rising smoke)
  float drag;             // per second: how fast the velocity approaches the drift
  float gravity;          // world units per second squared, downwards
  float age, life;        // seconds; a slot whose life is 0 is free
  float size0, size1;     // edge length in world units at birth and at the end of its life
  float r, g, b;          // colour, 0..1
  float opacity;          // at full strength, 0..1
  float spin, spinRate;   // radians, radians per second
  Sprite sprite;
  uint8_t flags;
  uint32_t birth;         // serial of its spawning: the smallest among the living is the oldest
};

class ParticlePool {
 public:
  static constexpr int kCapacity = 3072;

  ParticlePool() { clear(); }
  // A slot for a new particle, zeroed but for its birth serial: a free one, or when none is free,
  // the oldest living particle's. The caller fills in at least `life` (above 0).
  Particle& spawn();
  // Frees slot `index`.
  void release(int index);
  void clear();

  int living() const { return kCapacity - freeCount_; }
  bool alive(int index) const { return slots_[index].life > 0.0f; }
  Particle& operator[](int index) { return slots_[index]; }
  const Particle& operator[](int index) const { return slots_[index]; }

 private:
  std::array<Particle, kCapacity> slots_;
  std::array<int, kCapacity> free_;  // stack of free slot indices
  int freeCount_ = 0;
  uint32_t serial_ = 0;
};

// The effects' own generator, apart from the battle's: drawing more or fewer effects never changes
// a ball's speed or a sound's variant.
class EffectRandom {
 public:
  void seed(uint32_t seed) { state_ = seed * 2654435761u + 0x9E3779B9u; }
  // Uniform in [0, 1).
  float next();
  float between(float low, float high) { return low + (high - low) * next(); }
  // -1..1.
  float signedUnit() { return 2.0f * next() - 1.0f; }

 private:
  uint32_t state_ = 1;
};
