// Spawning and motion of the battle's effects: what each world event leaves in the air and on the
// water, what the ships and ducks trail behind them each step, and the particles' flight. GL-free.
#include <algorithm>
#include <cmath>  // Required for: cos(), sin(), sqrt(), exp()

#include "effects/effects.h"
#include "platform/angles.h"
#include "sim/events.h"
#include "sim/world.h"
#include "water/water_surface.h"

bool g_effectsOn = true;
ParticlePool g_particles;

namespace {

EffectRandom g_random;

// The wind the smoke drifts with, world units per second: along the sea's wave direction (2, 1).
constexpr float kWindX = 7.2f, kWindY = 3.6f;
constexpr float kGravity = 160.0f;  // world units per second squared: spray and splinters fall fast
constexpr float kGunHeight = 10.0f;  // above the surface, where the balls fly
constexpr float kSeaLift = 1.5f;     // foam lies this far above the surface, clear of the sea's grid

struct Colour {
  float r, g, b;
};
constexpr Colour kPowderSmoke{0.86f, 0.85f, 0.82f};
constexpr Colour kDarkSmoke{0.20f, 0.19f, 0.18f};
constexpr Colour kFlame{1.0f, 0.72f, 0.32f};
constexpr Colour kWhiteWater{0.93f, 0.96f, 0.98f};
constexpr Colour kTimber{0.45f, 0.30f, 0.16f};
constexpr Colour kFeather{0.92f, 0.90f, 0.84f};


// A new particle at (x, y, z) with the common fields filled; the caller sets motion and looks.
Particle& emit(Sprite sprite, float x, float y, float z, float life, float size0, float size1, Colour colour,
               float opacity) {
  Particle& p = g_particles.spawn();
  p.sprite = sprite;
  p.x = x;
  p.y = y;
  p.z = z;
  p.life = life;
  p.size0 = size0;
  p.size1 = size1;
  p.r = colour.r;
  p.g = colour.g;
  p.b = colour.b;
  p.opacity = opacity;
  p.spin = g_random.between(0.0f, 6.2831853f);
  return p;
}

// Every random draw has a statement of its own, or a call's argument list holds at most one: C++
// leaves the order of a call's arguments to the compiler (GCC goes from the last, Clang from the
// first), and the web build's compiler must draw the same numbers for the same particles. The draws
// keep the order the desktop's GCC build always gave them.

void setVelocity(Particle& p, float vx, float vy, float vz) {
  p.vx = vx;
  p.vy = vy;
  p.vz = vz;
}

// Flying off at random: sideways up to `side` in x and in y, upwards between `upLow` and `upHigh`.
void randomVelocity(Particle& p, float side, float upLow, float upHigh) {
  const float vz = g_random.between(upLow, upHigh);
  const float vy = g_random.signedUnit() * side;
  setVelocity(p, g_random.signedUnit() * side, vy, vz);
}

// Smoke that slows from its launch to the wind and rises at `rise`.
void drift(Particle& p, float drag, float rise) {
  p.drag = drag;
  p.driftX = kWindX;
  p.driftY = kWindY;
  p.driftZ = rise;
}

// Muzzle flashes, then a bank of powder smoke rolling out from each gun of the row.
void broadside(const WorldEventInfo& event) {
  const int guns = std::max(event.value, 1);
  const float radians = static_cast<float>(event.heading * kDegreesToRadians);
  const float outX = std::cos(radians), outY = std::sin(radians);
  // The guns stand at the hull's side, some way out from the row on the ship's axis.
  constexpr float kSideOffset = 12.0f;
  for (int i = 0; i < guns; ++i) {
    const float f = guns == 1 ? 0.5f : static_cast<float>(i) / static_cast<float>(guns - 1);
    const float gx = event.x + (event.toX - event.x) * f + outX * kSideOffset;
    const float gy = event.y + (event.toY - event.y) * f + outY * kSideOffset;
    const float gz = seaHeightAt(gx, gy) + kGunHeight;
    Particle& flash = emit(Sprite::Flash, gx + outX * 4.0f, gy + outY * 4.0f, gz, 0.16f, 16.0f, 24.0f, kFlame, 1.0f);
    flash.flags = kGlows;
    Particle& tongue = emit(Sprite::Flash, gx + outX * 12.0f, gy + outY * 12.0f, gz, 0.10f, 12.0f, 8.0f, kFlame, 0.8f);
    tongue.flags = kGlows;
    // One puff per gun: the guns stand closer than a puff is wide, so the bank is several deep.
    {
      const float speed = i % 2 == 0 ? g_random.between(30.0f, 60.0f) : g_random.between(60.0f, 100.0f);
      const float shade = g_random.between(-0.06f, 0.04f);
      const float size1 = g_random.between(24.0f, 34.0f);
      const float size0 = g_random.between(6.0f, 9.0f);
      const float life = g_random.between(3.5f, 5.5f);
      const float rise = g_random.between(-1.0f, 2.0f);
      Particle& puff = emit(Sprite::Smoke, gx + outX * 3.0f, gy + outY * 3.0f, gz + rise, life, size0, size1,
                            Colour{kPowderSmoke.r + shade, kPowderSmoke.g + shade, kPowderSmoke.b + shade}, 0.8f);
      const float vz = g_random.between(2.0f, 12.0f);
      const float vy = outY * speed + g_random.signedUnit() * 10.0f;
      const float vx = outX * speed + g_random.signedUnit() * 10.0f;
      setVelocity(puff, vx, vy, vz);
      const float lift = g_random.between(2.0f, 6.0f);
      drift(puff, g_random.between(0.9f, 1.5f), lift);
      puff.spinRate = g_random.signedUnit() * 0.3f;
    }
  }
}

// A column of spray that falls back, a ring of white water spreading on the surface, a little mist.
void splash(float x, float y) {
  const float z = seaHeightAt(x, y);
  for (int k = 0; k < 12; ++k) {
    const float size1 = g_random.between(10.0f, 15.0f);
    const float size0 = g_random.between(5.0f, 8.0f);
    const float dy = g_random.signedUnit() * 2.0f;
    const float dx = g_random.signedUnit() * 2.0f;
    Particle& drop = emit(Sprite::Spray, x + dx, y + dy, z + 1.0f, 2.0f, size0, size1, kWhiteWater, 0.9f);
    randomVelocity(drop, 14.0f, 45.0f, 95.0f);
    drop.gravity = kGravity;
    drop.flags = kEndsInSea;
  }
  Particle& column = emit(Sprite::Spray, x, y, z + 8.0f, 1.0f, 14.0f, 26.0f, kWhiteWater, 0.85f);
  setVelocity(column, 0.0f, 0.0f, 30.0f);
  column.drag = 2.5f;
  Particle& ring = emit(Sprite::Foam, x, y, kSeaLift, 3.5f, 8.0f, 34.0f, kWhiteWater, 0.9f);
  ring.flags = kLiesOnSea;
  ring.spinRate = 0.1f;
  Particle& mist = emit(Sprite::Smoke, x, y, z + 8.0f, 1.5f, 10.0f, 20.0f, kWhiteWater, 0.35f);
  drift(mist, 1.0f, 4.0f);
}

// A flash, splinters flying off and a puff of dark smoke where the ball struck.
void hit(float x, float y) {
  const float z = seaHeightAt(x, y) + kGunHeight + 2.0f;
  Particle& flash = emit(Sprite::Flash, x, y, z, 0.22f, 20.0f, 34.0f, kFlame, 1.0f);
  flash.flags = kGlows;
  for (int k = 0; k < 14; ++k) {
    Particle& splinter = emit(Sprite::Splinter, x, y, z, 2.0f, g_random.between(2.5f, 4.5f), 3.0f, kTimber, 1.0f);
    randomVelocity(splinter, 60.0f, 30.0f, 90.0f);
    splinter.gravity = kGravity;
    splinter.spinRate = g_random.signedUnit() * 12.0f;
    splinter.flags = kEndsInSea;
  }
  for (int k = 0; k < 3; ++k) {
    const float size1 = g_random.between(20.0f, 28.0f);
    const float life = g_random.between(2.5f, 4.0f);
    const float dy = g_random.signedUnit() * 3.0f;
    const float dx = g_random.signedUnit() * 3.0f;
    Particle& puff = emit(Sprite::Smoke, x + dx, y + dy, z, life, 6.0f, size1, kDarkSmoke, 0.8f);
    const float vy = g_random.signedUnit() * 12.0f;
    setVelocity(puff, g_random.signedUnit() * 12.0f, vy, 14.0f);
    drift(puff, 1.2f, 9.0f);
  }
}

void feathers(float x, float y) {
  const float z = seaHeightAt(x, y) + 4.0f;
  for (int k = 0; k < 16; ++k) {
    const float size0 = g_random.between(2.5f, 4.0f);
    Particle& feather = emit(Sprite::Feather, x, y, z, g_random.between(2.5f, 4.0f), size0, 3.0f, kFeather, 1.0f);
    randomVelocity(feather, 30.0f, 20.0f, 50.0f);
    // Feathers flutter down slowly: strong drag towards a slow sink.
    feather.drag = 2.0f;
    feather.driftZ = -6.0f;
    feather.driftX = kWindX;
    feather.driftY = kWindY;
    feather.spinRate = g_random.signedUnit() * 4.0f;
    feather.flags = kEndsInSea;
  }
}

// `rate` per second over dt seconds, for any step: whole ones, and the fraction by chance.
int countFor(float rate, double dt) {
  const float expected = rate * static_cast<float>(dt);
  int count = static_cast<int>(expected);
  if (g_random.next() < expected - static_cast<float>(count)) ++count;
  return count;
}

// Foam on the sea at (x, y), spreading sideways at `spread` along (sideX, sideY).
void foam(float x, float y, float life, float size0, float size1, float opacity, float sideX, float sideY,
          float spread) {
  Particle& p = emit(Sprite::Foam, x, y, kSeaLift, life, size0, size1, kWhiteWater, opacity);
  p.flags = kLiesOnSea;
  const float s = spread * g_random.between(0.6f, 1.0f);
  setVelocity(p, sideX * s, sideY * s, 0.0f);
  p.drag = 0.8f;
  p.spinRate = g_random.signedUnit() * 0.2f;
}

void shipTrail(const Ship& ship, double dt) {
  const float radians = static_cast<float>(ship.heading * kDegreesToRadians);
  const float ax = std::cos(radians), ay = std::sin(radians);
  const float beam = std::sqrt(std::max(0.0f, static_cast<float>(ship.radius * ship.radius -
                                                                  ship.focalDistance * ship.focalDistance)));

  // Wake: foam from the stern (the end the ship moves away from) and a bow wave, in proportion to
  // the distance sailed.
  if (ship.speed != 0 && !ship.sunk) {
    const float sign = ship.speed > 0 ? 1.0f : -1.0f;
    const float unitsPerSecond = static_cast<float>(std::abs(ship.speed)) * 25.0f;
    const float sternX = ship.x - ax * sign * ship.focalDistance, sternY = ship.y - ay * sign * ship.focalDistance;
    for (int n = countFor(unitsPerSecond / 14.0f, dt); n > 0; --n) {
      const float side = g_random.next() < 0.5f ? -1.0f : 1.0f;
      const float lateral = g_random.between(0.0f, 0.25f) * beam * side;
      foam(sternX - ay * lateral, sternY + ax * lateral, g_random.between(4.0f, 6.0f), 12.0f, 30.0f, 0.6f,
           -ay * side, ax * side, 5.0f);
    }
    const float bowX = ship.x + ax * sign * ship.focalDistance * 0.9f, bowY = ship.y + ay * sign * ship.focalDistance * 0.9f;
    for (int n = countFor(unitsPerSecond / 20.0f, dt); n > 0; --n) {
      const float side = g_random.next() < 0.5f ? -1.0f : 1.0f;
      foam(bowX - ay * side * beam * 0.25f, bowY + ax * side * beam * 0.25f, 1.6f, 6.0f, 14.0f, 0.6f, -ay * side,
           ax * side, 18.0f);
    }
  }

  // Smoke from a damaged hull, more as its energy runs out; thick while it sinks.
  const float damage = ship.maxEnergy > 0 ? 1.0f - static_cast<float>(std::max(ship.energy, 0)) / ship.maxEnergy : 0.0f;
  const float smokeRate = ship.sunk ? 3.5f : 2.5f * damage;
  const float deck = ship.z + 16.0f;
  for (int n = countFor(smokeRate, dt); n > 0; --n) {
    const float along = g_random.signedUnit() * ship.focalDistance * 0.7f;
    const float px = ship.x + ax * along, py = ship.y + ay * along;
    const float opacity = g_random.between(0.55f, 0.8f);
    const float size1 = g_random.between(22.0f, 30.0f);
    const float size0 = g_random.between(6.0f, 9.0f);
    const float life = g_random.between(3.0f, 4.5f);
    Particle& puff = emit(Sprite::Smoke, px, py, seaHeightAt(px, py) + std::max(deck, 2.0f), life, size0, size1,
                          kDarkSmoke, opacity);
    setVelocity(puff, 0.0f, 0.0f, 16.0f);
    drift(puff, 0.7f, 11.0f);
    puff.spinRate = g_random.signedUnit() * 0.3f;
  }

  // The sinking: foam churning around the hull and bubbles breaking on the surface.
  if (ship.sunk) {
    for (int n = countFor(8.0f, dt); n > 0; --n) {
      const float along = g_random.signedUnit() * ship.radius * 0.85f;
      const float across = g_random.signedUnit() * beam * 0.55f;
      const float px = ship.x + ax * along - ay * across, py = ship.y + ay * along + ax * across;
      foam(px, py, g_random.between(2.0f, 3.5f), 8.0f, 24.0f, 0.8f, -ay * (across > 0 ? 1.0f : -1.0f),
           ax * (across > 0 ? 1.0f : -1.0f), 10.0f);
    }
    for (int n = countFor(10.0f, dt); n > 0; --n) {
      const float along = g_random.signedUnit() * ship.radius * 0.7f;
      const float across = g_random.signedUnit() * beam * 0.4f;
      const float px = ship.x + ax * along - ay * across, py = ship.y + ay * along + ax * across;
      Particle& bubble = emit(Sprite::Spray, px, py, seaHeightAt(px, py) + 0.5f, 0.5f, 2.0f, 5.0f, kWhiteWater, 0.8f);
      setVelocity(bubble, 0.0f, 0.0f, 10.0f);
    }
  }
}

void duckTrail(const Duck& duck, double dt) {
  if (duck.speed == 0) return;
  const float radians = static_cast<float>(duck.heading * kDegreesToRadians);
  const float ax = std::cos(radians), ay = std::sin(radians);
  for (int n = countFor(static_cast<float>(std::abs(duck.speed)) * 25.0f / 8.0f, dt); n > 0; --n) {
    const float side = g_random.next() < 0.5f ? -1.0f : 1.0f;
    foam(duck.x - ax * 4.0f, duck.y - ay * 4.0f, 2.5f, 2.0f, 7.0f, 0.3f, -ay * side, ax * side, 3.0f);
  }
}

// One step of a particle's flight; false when it has ended.
bool move(Particle& p, float dt) {
  p.age += dt;
  if (p.age >= p.life) return false;
  if (p.drag > 0.0f) {
    const float keep = std::exp(-p.drag * dt);
    p.vx = p.driftX + (p.vx - p.driftX) * keep;
    p.vy = p.driftY + (p.vy - p.driftY) * keep;
    p.vz = p.driftZ + (p.vz - p.driftZ) * keep;
  }
  p.vz -= p.gravity * dt;
  p.x += p.vx * dt;
  p.y += p.vy * dt;
  p.z += p.vz * dt;
  p.spin += p.spinRate * dt;
  return !((p.flags & kEndsInSea) != 0 && p.vz < 0.0f && p.z < seaHeightAt(p.x, p.y));
}

}  // namespace

float seaHeightAt(float x, float y) { return g_water != nullptr ? g_water->surfaceAt(x, y).surfaceZ : 0.0f; }

void startEffects(uint32_t seed) {
  g_random.seed(seed);
  g_particles.clear();
  g_worldEventWatcher = spawnEffectsFor;
}

void stopEffects() {
  if (g_worldEventWatcher == spawnEffectsFor) g_worldEventWatcher = nullptr;
  g_particles.clear();
}

void setEffectsOn(bool on) {
  g_effectsOn = on;
  g_particles.clear();
}

void spawnEffectsFor(const WorldEventInfo& event) {
  if (!g_effectsOn) return;
  if (event.kind == WorldEvent::BroadsideFired && event.value <= 0) return;  // no guns, no smoke
  switch (event.kind) {
    case WorldEvent::BroadsideFired: broadside(event); break;
    case WorldEvent::Splash: splash(event.x, event.y); break;
    case WorldEvent::ShipHit: hit(event.x, event.y); break;
    case WorldEvent::DuckHit: feathers(event.x, event.y); break;
    default: break;  // the sinking and the ships' smoke follow from the records each step
  }
}

void updateEffects(double dt) {
  if (!g_effectsOn) return;
  for (const Ship* ship : g_ships) shipTrail(*ship, dt);
  for (const Duck* duck : g_ducks) duckTrail(*duck, dt);
  const float step = static_cast<float>(dt);
  for (int i = 0; i < ParticlePool::kCapacity; ++i) {
    if (g_particles.alive(i) && !move(g_particles[i], step)) g_particles.release(i);
  }
}
