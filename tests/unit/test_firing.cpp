// Broadsides: the row of balls, their headings and speeds, readiness, both-sides firing and the
// cannon sound on every call.
#include <gtest/gtest.h>

#include <set>

#include "platform/random.h"
#include "sim/firing.h"
#include "sim/simulation.h"
#include "world_fixture.h"

namespace {

using Broadside = WorldTest;

void expectBallAt(const Cannonball* ball, float x, float y, float heading) {
  EXPECT_NEAR(ball->x, x, 1e-3f);
  EXPECT_NEAR(ball->y, y, 1e-3f);
  EXPECT_FLOAT_EQ(ball->heading, heading);
}

TEST_F(Broadside, ThreeCannonsFireARowAlongTheShipSquareToItsCourse) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f, "Firing");  // cannons 3, focalDistance 40
  fireBroadside(ship, 0);
  ASSERT_EQ(g_cannonballs.size(), 3u);
  expectBallAt(g_cannonballs[0], -20.0f, 0.0f, 90.0f);  // rear end first
  expectBallAt(g_cannonballs[1], 0.0f, 0.0f, 90.0f);
  expectBallAt(g_cannonballs[2], 20.0f, 0.0f, 90.0f);
  for (const Cannonball* ball : g_cannonballs) {
    EXPECT_EQ(ball->range, 300);
    EXPECT_EQ(ball->travelled, 0);
    EXPECT_STREQ(ball->tag, ship->tag);
  }
  EXPECT_FLOAT_EQ(ship->reload[0], 0.0f);
  EXPECT_FLOAT_EQ(ship->reload[1], 1.0f);
  EXPECT_EQ(ship->ammunition, 27);
  ASSERT_EQ(recordedEvents().size(), 1u);
  EXPECT_EQ(recordedEvents()[0].kind, WorldEvent::BroadsideFired);
  EXPECT_EQ(recordedEvents()[0].shipName, "Firing");
  EXPECT_EQ(recordedEvents()[0].side, 0);
  EXPECT_EQ(recordedEvents()[0].value, 3);
  EXPECT_EQ(sounds.played.size(), 1u);
}

TEST_F(Broadside, RowFollowsTheShipsHeadingAndPosition) {
  shipModel.cannons = 5;
  Ship* ship = addShip(10.0f, 10.0f, 90.0f);
  fireBroadside(ship, 1);
  ASSERT_EQ(g_cannonballs.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) expectBallAt(g_cannonballs[i], 10.0f, -10.0f + 10.0f * i, 0.0f);
}

TEST_F(Broadside, OneCannonFiresFromTheShipsPositionAndNoCannonsFireNothing) {
  shipModel.cannons = 1;
  Ship* single = addShip(7.0f, -3.0f, 30.0f);
  fireBroadside(single, 0);
  ASSERT_EQ(g_cannonballs.size(), 1u);
  expectBallAt(g_cannonballs[0], 7.0f, -3.0f, 120.0f);

  shipModel.cannons = 0;
  Ship* unarmed = addShip(0.0f, 0.0f, 0.0f);
  fireBroadside(unarmed, 0);
  EXPECT_EQ(g_cannonballs.size(), 1u);
  EXPECT_EQ(unarmed->ammunition, 30);
}

TEST_F(Broadside, BallHeadingsAreCorrectedOnceIntoRange) {
  struct Case {
    float shipHeading;
    int side;
    float ballHeading;
  };
  const Case cases[] = {
      {300.0f, 0, 30.0f}, {45.0f, 1, 315.0f}, {270.0f, 0, 360.0f},  // 360, not 0
      {90.0f, 1, 0.0f},   {0.0f, 1, 270.0f},
  };
  for (const Case& c : cases) {
    g_cannonballs.clear();
    fireBroadside(addShip(0.0f, 0.0f, c.shipHeading), c.side);
    ASSERT_FALSE(g_cannonballs.empty());
    EXPECT_FLOAT_EQ(g_cannonballs[0]->heading, c.ballHeading) << c.shipHeading << " side " << c.side;
  }
}

TEST_F(Broadside, RefusedWhenSunkShortOfAmmunitionOrReloadingButStillSounds) {
  Ship* sunk = addShip(0.0f, 0.0f, 0.0f);
  sunk->sunk = true;
  shipModel.cannons = 6;
  shipModel.ammunition = 5;
  Ship* short_ = addShip(0.0f, 0.0f, 0.0f);
  shipModel.ammunition = 30;
  Ship* reloading = addShip(0.0f, 0.0f, 0.0f);
  reloading->reload[1] = 0.99f;

  fireBroadside(sunk, 0);
  fireBroadside(short_, 1);
  fireBroadside(reloading, 1);
  EXPECT_TRUE(g_cannonballs.empty());
  EXPECT_EQ(countEvents(WorldEvent::BroadsideRefused), 3);
  EXPECT_EQ(sounds.played.size(), 3u);
  EXPECT_EQ(short_->ammunition, 5);
  EXPECT_FLOAT_EQ(sunk->reload[0], 1.0f);
  EXPECT_FLOAT_EQ(reloading->reload[1], 0.99f);
}

TEST_F(Broadside, AmmunitionExactlyOneBroadsideFiresItAll) {
  shipModel.ammunition = 3;
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  fireBroadside(ship, 0);
  EXPECT_EQ(g_cannonballs.size(), 3u);
  EXPECT_EQ(ship->ammunition, 0);
  fireBroadside(ship, 1);  // the other side is ready, but the ammunition is gone for good
  EXPECT_EQ(g_cannonballs.size(), 3u);
}

TEST_F(Broadside, SecondCallInTheSameFrameIsRefusedButTheOtherSideMayFire) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  fireBroadside(ship, 0);
  fireBroadside(ship, 0);
  EXPECT_EQ(g_cannonballs.size(), 3u);
  fireBroadside(ship, 1);
  EXPECT_EQ(g_cannonballs.size(), 6u);
  EXPECT_EQ(countEvents(WorldEvent::BroadsideFired), 2);
  EXPECT_EQ(countEvents(WorldEvent::BroadsideRefused), 1);
  EXPECT_EQ(sounds.played.size(), 3u);
}

TEST_F(Broadside, SideIsReadyAgainHalfASecondAfterFiring) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  fireBroadside(ship, 0);
  g_cannonballs.clear();
  updateEntities(0.25);
  fireBroadside(ship, 0);
  EXPECT_TRUE(g_cannonballs.empty());
  updateEntities(0.25);
  fireBroadside(ship, 0);
  EXPECT_EQ(g_cannonballs.size(), 3u);
}

TEST_F(Broadside, BothSidesFireStarboardFirstAndSoundThreeTimes) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  fireBroadside(ship, 2);
  ASSERT_EQ(g_cannonballs.size(), 6u);
  EXPECT_FLOAT_EQ(g_cannonballs[0]->heading, 270.0f);
  EXPECT_FLOAT_EQ(g_cannonballs[5]->heading, 90.0f);
  EXPECT_EQ(sounds.played.size(), 3u);
  EXPECT_EQ(ship->ammunition, 24);
}

TEST_F(Broadside, BothSidesWithOneSidesWorthOfAmmunitionFireStarboardOnly) {
  shipModel.ammunition = 4;
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  fireBroadside(ship, 2);
  ASSERT_EQ(g_cannonballs.size(), 3u);
  for (const Cannonball* ball : g_cannonballs) EXPECT_FLOAT_EQ(ball->heading, 270.0f);
  EXPECT_FLOAT_EQ(ship->reload[0], 1.0f);
  EXPECT_FLOAT_EQ(ship->reload[1], 0.0f);
  EXPECT_EQ(ship->ammunition, 1);
  EXPECT_EQ(sounds.played.size(), 3u);
}

TEST_F(Broadside, UnknownSideOnlySoundsAndNoShipDoesNothing) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  fireBroadside(ship, 3);
  fireBroadside(ship, -1);
  EXPECT_TRUE(g_cannonballs.empty());
  EXPECT_EQ(ship->ammunition, 30);
  EXPECT_TRUE(recordedEvents().empty());
  EXPECT_EQ(sounds.played.size(), 2u);

  fireBroadside(nullptr, 0);
  EXPECT_EQ(sounds.played.size(), 2u);
}

TEST_F(Broadside, BallSpeedsLieWithinAQuarterOfTheCannonSpeed) {
  shipModel.cannons = 10;
  shipModel.ammunition = 100000;
  shipModel.cannonSpeed = 40;
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  std::set<int> speeds;
  for (uint32_t seed : {1u, 2u, 12345u, 0xDEADBEEFu}) {
    seedRandom(seed);
    for (int volley = 0; volley < 50; ++volley) {
      ship->reload[0] = 1.0f;
      fireBroadside(ship, 0);
    }
  }
  ASSERT_EQ(g_cannonballs.size(), 2000u);
  for (const Cannonball* ball : g_cannonballs) {
    EXPECT_GE(ball->speed, 30);
    EXPECT_LE(ball->speed, 50);
    speeds.insert(ball->speed);
  }
  EXPECT_GE(speeds.size(), 15u);  // spread over the range, not one value

  // The same seed gives the same volley.
  std::vector<int> first, second;
  for (std::vector<int>* volley : {&first, &second}) {
    g_cannonballs.clear();
    seedRandom(77);
    ship->reload[0] = 1.0f;
    fireBroadside(ship, 0);
    for (const Cannonball* ball : g_cannonballs) volley->push_back(ball->speed);
  }
  EXPECT_EQ(first, second);
}

}  // namespace
