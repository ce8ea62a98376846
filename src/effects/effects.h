// The battle's effects: powder smoke and muzzle flashes, splashes, hits, feathers, the sinking and
// the wakes. Spawned from the world's events and from what the world's records show each step;
// the simulation never learns they exist. The header is GL-free; drawEffects needs a context.
#pragma once
#include <cstdint>

#include "camera/view.h"  // Required for: ViewPass
#include "effects/particle_pool.h"

class ReflectionCover;

// F8 and --no-effects. Off: nothing is spawned, moved or drawn, and the picture is the designed one.
extern bool g_effectsOn;
// Every living particle; exposed for tests.
extern ParticlePool g_particles;

// The sea's surface height at (x, y), world units; 0 without a sea (headless runs, tests).
float seaHeightAt(float x, float y);

// Seeds the effects' generator (from the run's seed), empties the pool and starts listening to the
// world's events.
void startEffects(uint32_t seed);
// Stops listening and empties the pool.
void stopEffects();
// Switches the effects and empties the pool, so switching on again starts from a clean sky.
void setEffectsOn(bool on);

// One world event, as the hook hears it.
struct WorldEventInfo;
void spawnEffectsFor(const WorldEventInfo& event);
// Emits what the world's records show (wakes, smoke of damaged hulls, the sinking's foam) and moves
// every particle by dt seconds, after the world's step.
void updateEffects(double dt);

// Sprite sheet from the six sprite files under "../data/textures/"; a file that does not load has
// been reported by the loader, and its particles are drawn as plain shaded quads.
void loadEffectSprites();
void releaseEffectSprites();
// Camera-facing sprites (and the foam lying on the sea, in the main pass only), blended, depth-tested
// without writing depth, back to front, in the view that `pass` has set up. With `cover`, the boxes
// of what was drawn are added to it.
void drawEffects(ViewPass pass, ReflectionCover* cover = nullptr);
