// The battle's effects on hand-made scenes: where a broadside's smoke and a splash's white water
// start, that they leave the battle's course and its generator alone, a storm of events against the
// fixed pool, and that one seed gives one sky. No GL, no sea (flat water at height 0).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "assets/mesh_model.h"
#include "effects/effects.h"
#include "platform/random.h"
#include "sim/events.h"
#include "sim/firing.h"
#include "sim/simulation.h"
#include "sim/world.h"

namespace {

class Effects : public ::testing::Test {
 protected:
  void SetUp() override {
    clearWorld();
    ship.focalDistance = 40, ship.radius = 50, ship.energy = 50, ship.height = 60;
    ship.cannons = 6, ship.ammunition = 6000, ship.range = 200, ship.cannonSpeed = 20;
    g_shipModel1 = g_shipModel2 = &ship;
    startEffects(7);
    setEffectsOn(true);
  }
  void TearDown() override {
    clearWorld();
    stopEffects();
    g_shipModel1 = g_shipModel2 = nullptr;
  }

  // The living particles of one sprite.
  static std::vector<const Particle*> living(Sprite sprite) {
    std::vector<const Particle*> found;
    for (int i = 0; i < ParticlePool::kCapacity; ++i) {
      if (g_particles.alive(i) && g_particles[i].sprite == sprite) found.push_back(&g_particles[i]);
    }
    return found;
  }

  MeshModel ship;
};

// Smoke and flashes start on the side that fires, along the row of guns, and the smoke rolls out
// further that way; a splash's white water lies where the ball ended, on the surface.
TEST_F(Effects, BroadsideSmokeStandsOnTheFiringSideAndSplashesWhereTheBallFell) {
  const struct {
    float heading;
    int side;
    float outX, outY;  // the firing side
  } rows[] = {{0, 0, 0, 1}, {0, 1, 0, -1}, {90, 0, -1, 0}, {225, 1, -0.7071f, 0.7071f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "heading " << row.heading << " side " << row.side);
    clearWorld();
    g_particles.clear();
    spawnShip(1, "Firing", 100, -50, row.heading);
    fireBroadside(g_ships[0], row.side);
    for (Sprite sprite : {Sprite::Smoke, Sprite::Flash}) {
      const std::vector<const Particle*> started = living(sprite);
      ASSERT_FALSE(started.empty());
      for (const Particle* p : started) {
        const float out = (p->x - 100) * row.outX + (p->y + 50) * row.outY;
        const float along = std::fabs((p->x - 100) * row.outY - (p->y + 50) * row.outX);
        EXPECT_GT(out, 5.0f);
        EXPECT_LE(along, 0.5f * ship.focalDistance + 1.0f);
      }
    }
    updateEffects(1.0);
    for (const Particle* p : living(Sprite::Smoke)) {
      EXPECT_GT((p->x - 100) * row.outX + (p->y + 50) * row.outY, 15.0f);  // rolled out, even against the wind
      EXPECT_GT(p->z, 10.0f);  // risen from the guns
    }
  }

  // A lone ball: one step of 20 units takes it past its range of 10, and the ring of white water
  // lies where it ended. (That it splashes once is test_world's.)
  clearWorld();
  g_particles.clear();
  g_cannonballs.append(new Cannonball{30, 40, 0, 20, 10, 0, "s 99"});
  updateEntities(0.04);
  updateEntities(0.04);
  const std::vector<const Particle*> foam = living(Sprite::Foam);
  ASSERT_EQ(foam.size(), 1u);
  EXPECT_NEAR(foam[0]->x, 30.0f + 0.04f * 20 * 25, 1.0f);
  EXPECT_NEAR(foam[0]->y, 40.0f, 1.0f);
  EXPECT_TRUE((foam[0]->flags & kLiesOnSea) != 0);
  EXPECT_FALSE(living(Sprite::Spray).empty());
}

// The same little battle with and without effects: the same events in the same order, and the
// battle's generator left where the battle alone leaves it.
TEST_F(Effects, LeaveTheBattleAndItsGeneratorAlone) {
  struct Outcome {
    std::vector<int> events;  // kind * 1000 + value
    int nextRandom;
    int particles;
  };
  auto battle = [&](bool effects) {
    clearWorld();
    setEffectsOn(effects);
    seedRandom(3);
    static std::vector<int>* heard = nullptr;
    Outcome outcome{};
    heard = &outcome.events;
    g_worldEventHook = [](const WorldEventInfo& e) { heard->push_back(static_cast<int>(e.kind) * 1000 + e.value); };
    spawnShip(1, "A", 0, 0, 0);
    spawnShip(2, "B", 0, 120, 180);
    g_ships[0]->speed = 2;
    for (int step = 0; step < 200; ++step) {
      if (step % 20 == 0) fireBroadside(g_ships[0], 0);
      updateEntities(0.04);
      updateEffects(0.04);
    }
    g_worldEventHook = nullptr;
    outcome.nextRandom = nextRandom();
    outcome.particles = g_particles.living();
    return outcome;
  };
  const Outcome with = battle(true), without = battle(false);
  EXPECT_EQ(with.events, without.events);
  EXPECT_EQ(with.nextRandom, without.nextRandom);
  EXPECT_GT(with.particles, 0);
  EXPECT_EQ(without.particles, 0);
}

// Hundreds of broadsides in one step: the pool stays at its size, the newest particles are the ones
// kept, every slot is accounted for as the storm dies down, and the same seed gives the same sky.
TEST_F(Effects, AStormOfEventsKeepsThePoolBoundedAndTheSameSeedTheSameSky) {
  auto storm = [] {
    g_particles.clear();
    WorldEventInfo event{WorldEvent::BroadsideFired, "Storm", 0, 30};
    event.toX = 60;
    event.heading = 90;
    for (int i = 0; i < 500; ++i) spawnEffectsFor(event);
    WorldEventInfo last = event;
    last.x = last.toX = 5000;  // far from the others: its particles are easy to tell
    spawnEffectsFor(last);
  };
  startEffects(11);
  storm();
  EXPECT_EQ(g_particles.living(), ParticlePool::kCapacity);
  int newest = 0;
  for (int i = 0; i < ParticlePool::kCapacity; ++i) newest += g_particles[i].x > 4000;
  EXPECT_EQ(newest, 30 * 3);  // per gun: a flash, a tongue of flame and a puff of smoke
  auto sky = [] {
    std::vector<float> values;
    for (int i = 0; i < ParticlePool::kCapacity; ++i) {
      const Particle& p = g_particles[i];
      values.insert(values.end(), {p.x, p.y, p.z, p.vx, p.vy, p.vz, p.life, p.size1, p.spin, float(p.birth)});
    }
    return values;
  };
  const std::vector<float> first = sky();
  startEffects(11);
  storm();
  EXPECT_EQ(sky(), first);

  for (int step = 0; step < 400; ++step) updateEffects(0.04);
  EXPECT_EQ(g_particles.living(), 0);
  storm();
  EXPECT_EQ(g_particles.living(), ParticlePool::kCapacity);
}

}  // namespace
