// World records and lists: spawn values, tags and counters across emptying, bad names and types,
// and list removal and emptying.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim/firing.h"
#include "world_fixture.h"

namespace {

using WorldRecords = WorldTest;

TEST_F(WorldRecords, SpawnedShipCopiesItsModelAndStartsAtRestAndReady) {
  MeshModel second;
  second.focalDistance = 11;
  second.radius = 22;
  second.energy = 7;
  second.zOffset = -3;
  second.height = 44;
  second.speed = 5;
  second.turnRate = 6;
  second.cannons = 8;
  second.ammunition = 80;
  second.range = 900;
  second.cannonSpeed = 33;
  g_shipModel2 = &second;

  spawnShip(2, "Schiff", 10.0f, -20.0f, 45.0f);
  ASSERT_EQ(g_ships.size(), 1u);
  const Ship& ship = *g_ships[0];
  EXPECT_STREQ(ship.name, "Schiff");
  EXPECT_STREQ(ship.tag, "s 1");
  EXPECT_EQ(ship.type, 2);
  EXPECT_FLOAT_EQ(ship.x, 10.0f);
  EXPECT_FLOAT_EQ(ship.y, -20.0f);
  EXPECT_FLOAT_EQ(ship.heading, 45.0f);
  EXPECT_FLOAT_EQ(ship.z, -3.0f);
  EXPECT_EQ(ship.speed, 0);
  EXPECT_EQ(ship.turn, 0);
  EXPECT_FALSE(ship.sunk);
  EXPECT_FLOAT_EQ(ship.reload[0], 1.0f);
  EXPECT_FLOAT_EQ(ship.reload[1], 1.0f);
  EXPECT_EQ(ship.maxSpeed, 5);
  EXPECT_EQ(ship.turnRate, 6);
  EXPECT_EQ(ship.focalDistance, 11);
  EXPECT_EQ(ship.radius, 22);
  EXPECT_EQ(ship.energy, 7);
  EXPECT_EQ(ship.maxEnergy, 7);
  EXPECT_EQ(ship.cannons, 8);
  EXPECT_EQ(ship.ammunition, 80);
  EXPECT_EQ(ship.maxAmmunition, 80);
  EXPECT_EQ(ship.height, 44);
  EXPECT_EQ(ship.range, 900);
  EXPECT_EQ(ship.cannonSpeed, 33);
}

TEST_F(WorldRecords, UnknownTypeOrMissingModelGivesZeroGameValues) {
  spawnShip(3, "Type three", 1.0f, 2.0f, 3.0f);
  g_shipModel1 = nullptr;
  spawnShip(1, "No model", 1.0f, 2.0f, 3.0f);
  ASSERT_EQ(g_ships.size(), 2u);
  for (const Ship* ship : g_ships) {
    EXPECT_EQ(ship->energy, 0);
    EXPECT_EQ(ship->cannons, 0);
    EXPECT_EQ(ship->radius, 0);
    EXPECT_FLOAT_EQ(ship->z, 0.0f);
    EXPECT_FLOAT_EQ(ship->reload[0], 1.0f);  // the non-model values are still set
  }
  EXPECT_STREQ(g_ships[0]->tag, "s 1");
  EXPECT_STREQ(g_ships[1]->tag, "s 2");

  g_duckModel = nullptr;
  spawnDuck(0.0f, 0.0f, 0.0f);
  EXPECT_EQ(g_ducks[0]->radius, 0);
}

TEST_F(WorldRecords, NamesOfTwentyNineCharactersFitAndLongerOnesAreCut) {
  const std::string exact(29, 'a');
  const std::string longer = std::string(29, 'b') + "overflowing the name field";
  spawnShip(1, exact.c_str(), 0.0f, 0.0f, 0.0f);
  spawnShip(1, longer.c_str(), 0.0f, 0.0f, 0.0f);
  spawnShip(1, nullptr, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(std::string(g_ships[0]->name), exact);
  EXPECT_EQ(std::string(g_ships[1]->name), std::string(29, 'b'));
  EXPECT_STREQ(g_ships[2]->name, "");
  EXPECT_STREQ(g_ships[1]->tag, "s 2");  // the name did not spill into the tag
}

TEST_F(WorldRecords, CountersContinueAcrossEmptyingTheLists) {
  setupScenario();
  EXPECT_STREQ(g_ships[0]->tag, "s 1");
  EXPECT_STREQ(g_ships[1]->tag, "s 2");
  EXPECT_EQ(g_ducks[3]->id, 4);

  g_ships.clear();  // what the demo's restart does
  g_ducks.clear();
  setupScenario();
  ASSERT_EQ(g_ships.size(), 2u);
  EXPECT_STREQ(g_ships[0]->tag, "s 3");
  EXPECT_STREQ(g_ships[1]->tag, "s 4");
  ASSERT_EQ(g_ducks.size(), 4u);
  EXPECT_EQ(g_ducks[0]->id, 5);
  EXPECT_EQ(g_ducks[3]->id, 8);
}

TEST_F(WorldRecords, SerialNumbersUpTo99999FitTheShipTagAndTheBallCopy) {
  g_shipCounter = 99998;
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  EXPECT_STREQ(ship->tag, "s 99999");
  fireBroadside(ship, 0);
  ASSERT_FALSE(g_cannonballs.empty());
  EXPECT_STREQ(g_cannonballs[0]->tag, "s 99999");

  g_shipCounter = 2147483646;  // the largest serial: the tag is cut, never overrun
  Ship* last = addShip(0.0f, 0.0f, 0.0f);
  EXPECT_EQ(std::strlen(last->tag), sizeof(last->tag) - 1);
  EXPECT_EQ(std::strncmp(last->tag, "s 2147483647", sizeof(last->tag) - 1), 0);
}

TEST_F(WorldRecords, ScenarioHasTwoShipsOnCrossedModelsAndFourSwimmingDucks) {
  MeshModel second;
  second.energy = 9;
  g_shipModel2 = &second;
  setupScenario();
  ASSERT_EQ(g_ships.size(), 2u);
  EXPECT_STREQ(g_ships[0]->name, "Schiff Nr. 1");
  EXPECT_EQ(g_ships[0]->type, 2);
  EXPECT_EQ(g_ships[0]->energy, 9);
  EXPECT_FLOAT_EQ(g_ships[0]->x, 150.0f);
  EXPECT_FLOAT_EQ(g_ships[0]->y, -150.0f);
  EXPECT_FLOAT_EQ(g_ships[0]->heading, 315.0f);
  EXPECT_STREQ(g_ships[1]->name, "Schiff Nr. 2");
  EXPECT_EQ(g_ships[1]->type, 1);
  EXPECT_EQ(g_ships[1]->energy, 3);
  EXPECT_FLOAT_EQ(g_ships[1]->x, -350.0f);
  EXPECT_FLOAT_EQ(g_ships[1]->heading, 225.0f);
  for (const Ship* ship : g_ships) EXPECT_EQ(ship->speed, 0);

  ASSERT_EQ(g_ducks.size(), 4u);
  const float expectedY[] = {-270.0f, -240.0f, -180.0f, -210.0f};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(g_ducks[i]->y, expectedY[i]);
    EXPECT_FLOAT_EQ(g_ducks[i]->heading, 90.0f);
    EXPECT_EQ(g_ducks[i]->speed, 1);
    EXPECT_EQ(g_ducks[i]->radius, 6);
  }
}

TEST_F(WorldRecords, SpawnedDuckDoesNotSwimUntilGivenSpeed) {
  Duck* duck = addDuck(3.0f, 4.0f, 90.0f);
  EXPECT_EQ(duck->id, 1);
  EXPECT_EQ(duck->speed, 0);
  EXPECT_EQ(duck->turn, 0);
}

TEST_F(WorldRecords, RemovalTakesEveryOccurrenceAndKeepsTheOthersInOrder) {
  Cannonball* a = addBall(1.0f, 0.0f);
  Cannonball* b = addBall(2.0f, 0.0f);
  Cannonball* c = addBall(3.0f, 0.0f);
  g_cannonballs.append(b);  // listed twice
  Cannonball* d = addBall(4.0f, 0.0f);

  g_cannonballs.remove(b);  // freed once, both entries gone
  ASSERT_EQ(g_cannonballs.size(), 3u);
  EXPECT_EQ(g_cannonballs[0], a);
  EXPECT_EQ(g_cannonballs[1], c);
  EXPECT_EQ(g_cannonballs[2], d);

  Cannonball outsider{};
  g_cannonballs.remove(&outsider);  // not listed: nothing happens, nothing is freed
  EXPECT_EQ(g_cannonballs.size(), 3u);

  g_cannonballs.removeEach({d, a, d});
  ASSERT_EQ(g_cannonballs.size(), 1u);
  EXPECT_EQ(g_cannonballs[0], c);
}

TEST_F(WorldRecords, EmptyingFreesEveryRecordOnceEvenIfListedTwice) {
  Duck* duck = addDuck(0.0f, 0.0f);
  g_ducks.append(duck);
  addDuck(1.0f, 1.0f);
  g_ducks.clear();  // the sanitizer build catches a double free or a leak here
  EXPECT_TRUE(g_ducks.empty());
  EXPECT_EQ(g_ducks.front(), nullptr);
}

TEST_F(WorldRecords, ClearWorldEmptiesAllFourLists) {
  setupScenario();
  addBall(0.0f, 0.0f);
  g_scrollTexts.append(new ScrollText(10.0f, "title"));
  clearWorld();
  EXPECT_TRUE(g_ships.empty());
  EXPECT_TRUE(g_ducks.empty());
  EXPECT_TRUE(g_cannonballs.empty());
  EXPECT_TRUE(g_scrollTexts.empty());
  EXPECT_EQ(g_shipCounter, 2);  // serials are never reset
}

TEST_F(WorldRecords, ScrollTextStartsOnTheBottomEdgeRisingAtTwo) {
  g_windowHeight = 480;
  const ScrollText line(123.0f, "KARVOSTA");
  EXPECT_FLOAT_EQ(line.x, 123.0f);
  EXPECT_FLOAT_EQ(line.y, 480.0f);
  EXPECT_EQ(line.speed, 2);
  EXPECT_STREQ(line.text, "KARVOSTA");
}

}  // namespace
