// The naval world on hand-made scenes: broadsides, hit ellipses and duck circles, a ship's own balls,
// range and splash, sinking and removal. Events come through the world's hook, sounds through the
// recording sound layer. No GL, no audio device.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "../test_support.h"
#include "app/globals.h"
#include "assets/mesh_model.h"
#include "platform/random.h"
#include "sim/events.h"
#include "sim/firing.h"
#include "sim/simulation.h"
#include "sim/world.h"
#include "sound/sound_bank.h"

namespace {

std::vector<WorldEventInfo> g_events;

int count(WorldEvent kind) {
  int n = 0;
  for (const WorldEventInfo& e : g_events) n += e.kind == kind;
  return n;
}

class World : public ::testing::Test {
 protected:
  void SetUp() override {
    clearWorld();
    seedRandom(1);
    g_events.clear();
    g_worldEventHook = [](const WorldEventInfo& e) { g_events.push_back(e); };
    setSoundLayer(&sounds);
    bank = std::make_unique<SoundBank>();
    g_sounds = bank.get();
    // Hit ellipse: foci 40 either side along the heading, reaching 50 ahead and 30 abeam.
    ship.focalDistance = 40, ship.radius = 50, ship.energy = 3, ship.height = 60;
    ship.cannons = 3, ship.ammunition = 30, ship.range = 300, ship.cannonSpeed = 40;
    duck.radius = 6;
    g_shipModel1 = g_shipModel2 = &ship;
    g_duckModel = &duck;
  }
  void TearDown() override {
    clearWorld();
    g_worldEventHook = nullptr;
    g_shipModel1 = g_shipModel2 = g_duckModel = nullptr;
    g_sounds = nullptr;
    bank.reset();
    setSoundLayer(nullptr);
  }

  Ship* addShip(float x, float y, float heading) {
    spawnShip(1, "Target", x, y, heading);
    return g_ships[g_ships.size() - 1];
  }
  // A ball of some other ship unless a tag is given.
  Cannonball* addBall(float x, float y, int speed = 0, int range = 1000, const char* tag = "s 999") {
    auto* ball = new Cannonball{x, y, 0.0f, speed, range, 0, {}};
    std::snprintf(ball->tag, sizeof ball->tag, "%s", tag);
    g_cannonballs.append(ball);
    return ball;
  }

  MeshModel ship, duck;
  test::RecordingSoundLayer sounds;
  std::unique_ptr<SoundBank> bank;
};

TEST_F(World, ABroadsideIsARowAlongTheShipFiringSquareToItsCourse) {
  Ship* firing = addShip(10.0f, 10.0f, 45.0f);
  fireBroadside(firing, 1);  // starboard of a ship heading 45 degrees: toward 315
  ASSERT_EQ(g_cannonballs.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {  // the row spans the foci, 20 units either side, stern first
    EXPECT_NEAR(g_cannonballs[i]->x, 10.0f + 14.1421f * (i - 1.0f), 1e-3f);
    EXPECT_NEAR(g_cannonballs[i]->y, 10.0f + 14.1421f * (i - 1.0f), 1e-3f);
    EXPECT_FLOAT_EQ(g_cannonballs[i]->heading, 315.0f);
  }
  EXPECT_EQ(firing->ammunition, 27);
  // The same side is reloading, so a second order is refused; the other side is ready. Every order
  // is heard.
  fireBroadside(firing, 1);
  fireBroadside(firing, 0);
  EXPECT_EQ(g_cannonballs.size(), 6u);
  EXPECT_EQ(count(WorldEvent::BroadsideRefused), 1);
  EXPECT_EQ(sounds.count("cannon"), 3);
}

TEST_F(World, BallsInsideTheHitEllipseHitAndCostOneEnergy) {
  Ship* target = addShip(0.0f, 0.0f, 0.0f);
  target->energy = 100;
  const struct {
    float heading, x, y;
    bool hit;
  } cases[] = {{0, 0, 0, true},    {0, 45, 0, true},   {0, -49, 0, true},  {0, 0, 29, true}, {0, 40, 0, true},
               {0, 51, 0, false},  {0, 0, 31, false},  {0, 0, -31, false}, {0, 40, 25, false},
               {90, 0, 45, true},  {90, 45, 0, false}};  // the ellipse turns with the ship
  for (const auto& c : cases) {
    target->heading = c.heading;
    g_events.clear();
    addBall(c.x, c.y);
    updateEntities(0.0);
    EXPECT_EQ(count(WorldEvent::ShipHit), c.hit ? 1 : 0) << c.heading << ": " << c.x << ", " << c.y;
    EXPECT_EQ(g_cannonballs.size(), c.hit ? 0u : 1u);
    g_cannonballs.clear();
  }
  EXPECT_EQ(target->energy, 94);
  EXPECT_EQ(sounds.count("explosion"), 6);
}

// Ball tags are shorter than ship tags: once the serial outgrows the ball's field, the comparison
// must still find the firing ship.
TEST_F(World, AShipsOwnBallsPassItEvenWhenTheSerialOutgrowsTheBallsTag) {
  for (int32_t serial : {0, 1234566}) {
    clearWorld();
    g_shipCounter = serial;
    Ship* firing = addShip(0.0f, 0.0f, 0.0f);
    fireBroadside(firing, 0);  // the balls start on the ship's axis, inside its ellipse
    updateEntities(0.0);
    EXPECT_EQ(firing->energy, 3) << firing->tag;
    EXPECT_EQ(g_cannonballs.size(), 3u) << firing->tag;
  }
}

TEST_F(World, ABallPastItsRangeSplashesOnceAndIsRemoved) {
  addBall(0.0f, 0.0f, 4, 10);
  updateEntities(0.1);  // 10 units: at the range, not past it
  EXPECT_EQ(g_cannonballs.size(), 1u);
  updateEntities(0.1);
  EXPECT_TRUE(g_cannonballs.empty());
  updateEntities(0.1);
  EXPECT_EQ(count(WorldEvent::Splash), 1);
  EXPECT_EQ(sounds.count("watersplash"), 1);
}

TEST_F(World, AnyBallWithinTwiceTheDuckRadiusHitsAndTheDuckLeavesOnce) {
  spawnDuck(0.0f, 0.0f, 0.0f);
  spawnDuck(100.0f, 0.0f, 0.0f);
  addBall(0.0f, 12.0f);  // exactly twice the radius: a miss
  updateEntities(0.0);
  EXPECT_EQ(g_ducks.size(), 2u);
  g_cannonballs.clear();
  addBall(11.9f, 0.0f);
  addBall(-1.0f, 0.0f);
  updateEntities(0.0);
  EXPECT_EQ(count(WorldEvent::DuckHit), 2);
  EXPECT_EQ(sounds.count("explosion"), 2);
  ASSERT_EQ(g_ducks.size(), 1u);
  EXPECT_EQ(g_ducks[0]->x, 100.0f);
  EXPECT_TRUE(g_cannonballs.empty());
}

TEST_F(World, TheLastHitSinksTheShipWhichLeavesOnceDeepEnough) {
  Ship* victim = addShip(0.0f, 0.0f, 0.0f);  // z 0, height 60: removed below z = -80
  Ship* other = addShip(1000.0f, 0.0f, 0.0f);
  victim->energy = 1;
  victim->speed = 3;
  addBall(0.0f, 0.0f);
  updateEntities(0.0);
  EXPECT_TRUE(victim->sunk);
  EXPECT_EQ(victim->speed, 0);
  addBall(0.0f, 0.0f);
  updateEntities(0.0);
  EXPECT_EQ(count(WorldEvent::ShipHit), 2);  // a sinking ship can still be hit
  EXPECT_EQ(count(WorldEvent::ShipSinking), 1);
  for (int i = 0; i < 16; ++i) updateEntities(0.5);  // 10 units per second
  EXPECT_EQ(g_ships.size(), 2u);
  updateEntities(0.5);
  updateEntities(0.5);
  ASSERT_EQ(g_ships.size(), 1u);
  EXPECT_EQ(g_ships[0], other);
  EXPECT_EQ(count(WorldEvent::ShipRemoved), 1);
}

// The bank stops exactly the quack channels it was given back; one-shots never loop, and each keeps
// its own slots and volume (an explosion in slot 1 cuts the first quack off).
TEST_F(World, SoundBankStopsItsOwnQuacksAndLoopsOnlyTheAmbience) {
  bank->startQuacking();
  ASSERT_EQ(sounds.looping.size(), 2u);
  bank->stopQuacking();
  EXPECT_EQ(sounds.stopped, sounds.looping);
  sounds.looping.clear();
  seedRandom(1);
  for (int i = 0; i < 300; ++i) {
    bank->playCannonFire();
    bank->playExplosion();
    bank->playSplash();
  }
  EXPECT_TRUE(sounds.looping.empty());
  const struct {
    const char* file;
    std::set<int> slots;
    int volume;
  } oneShots[] = {{"cannon1", {1, 2, 3, 4}, 35},   {"cannon2", {1, 2, 3, 4}, 50},
                  {"cannon3", {1, 2, 3, 4}, 90},   {"cannon4", {1, 2, 3, 4}, 90},
                  {"explosion", {1, 2, 3, 4, 5}, 20}, {"watersplash", {12, 13, 14, 15, 16, 17}, 30}};
  for (const auto& shot : oneShots) {
    std::set<int> slots, volumes;
    for (const auto& play : sounds.plays) {
      if (play.file.find(shot.file) == std::string::npos) continue;
      slots.insert(play.slot);
      volumes.insert(play.volume);
    }
    EXPECT_EQ(slots, shot.slots) << shot.file;
    EXPECT_EQ(volumes, std::set<int>{shot.volume}) << shot.file;
  }
}

}  // namespace
