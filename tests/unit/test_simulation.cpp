// The world's per-frame step on hand-made worlds: ball flight and range, steering and heading wrap,
// reload, hit ellipses and duck circles, sinking and removal, title lines.
#include <gtest/gtest.h>

#include "sim/firing.h"
#include "sim/simulation.h"
#include "world_fixture.h"

namespace {

using BallFlight = WorldTest;
using ShipMotion = WorldTest;
using ShipHits = WorldTest;
using DuckHits = WorldTest;
using Sinking = WorldTest;
using TitleLines = WorldTest;

TEST_F(BallFlight, MovesAlongItsHeadingAndLosesTheFractionOfEachStep) {
  Cannonball* east = addBall(0.0f, 0.0f, 0.0f, 2);
  Cannonball* north = addBall(0.0f, 0.0f, 90.0f, 2);
  for (int i = 0; i < 10; ++i) updateEntities(0.03);  // 1.5 units per step
  EXPECT_NEAR(east->x, 15.0f, 1e-3f);
  EXPECT_NEAR(east->y, 0.0f, 1e-3f);
  EXPECT_NEAR(north->x, 0.0f, 1e-3f);
  EXPECT_NEAR(north->y, 15.0f, 1e-3f);
  // 1.5 -> 1, 2.5 -> 2, ...: one whole unit counted per step
  EXPECT_EQ(east->travelled, 10);
  EXPECT_EQ(north->travelled, 10);
}

TEST_F(BallFlight, StepShorterThanOneUnitNeverSplashes) {
  Cannonball* slow = addBall(0.0f, 0.0f, 0.0f, 1, 0);  // range 0: any counted unit would end it
  for (int i = 0; i < 1000; ++i) updateEntities(0.02);  // 0.5 units per step
  ASSERT_EQ(g_cannonballs.size(), 1u);
  EXPECT_EQ(slow->travelled, 0);
  EXPECT_NEAR(slow->x, 500.0f, 0.01f);
  EXPECT_EQ(countEvents(WorldEvent::Splash), 0);
}

TEST_F(BallFlight, SplashesOnlyOncePastItsRangeAndIsRemoved) {
  addBall(0.0f, 0.0f, 0.0f, 4, 10);
  updateEntities(0.1);  // 10 units: at the range, not past it
  EXPECT_EQ(g_cannonballs.size(), 1u);
  EXPECT_EQ(countEvents(WorldEvent::Splash), 0);
  updateEntities(0.1);
  EXPECT_TRUE(g_cannonballs.empty());
  ASSERT_EQ(countEvents(WorldEvent::Splash), 1);
  EXPECT_EQ(recordedEvents()[0].value, 20);
  EXPECT_EQ(sounds.count("watersplash"), 1);
  updateEntities(0.1);
  EXPECT_EQ(countEvents(WorldEvent::Splash), 1);
  EXPECT_EQ(sounds.count("watersplash"), 1);
}

TEST_F(ShipMotion, MovesAlongTheTurnedHeadingAndTurnsBackwardsWhenReversing) {
  Ship* ship = addShip(0.0f, 0.0f, 90.0f);
  ship->speed = 2;
  updateEntities(1.0);
  EXPECT_NEAR(ship->x, 0.0f, 1e-3f);
  EXPECT_NEAR(ship->y, 50.0f, 1e-3f);

  ship->turn = 1;
  ship->speed = -2;  // backwards: the rudder turns the other way
  updateEntities(1.0);
  EXPECT_NEAR(ship->heading, 87.0f, 1e-4f);

  ship->speed = 0;  // a ship at rest does not turn
  updateEntities(1.0);
  EXPECT_NEAR(ship->heading, 87.0f, 1e-4f);
}

TEST_F(ShipMotion, HeadingWrapsOnceEachWay) {
  Ship* ship = addShip(0.0f, 0.0f, 359.0f);
  Duck* duck = addDuck(500.0f, 500.0f, 2.0f);
  ship->speed = 1;
  ship->turn = 5;  // 7.5 degrees per second
  duck->speed = 1;
  duck->turn = -5;
  updateEntities(2.0 / 3.0);
  EXPECT_NEAR(ship->heading, 4.0f, 1e-3f);
  EXPECT_NEAR(duck->heading, 357.0f, 1e-3f);

  // More than a full circle in one step: corrected once only.
  ship->heading = 350.0f;
  ship->turn = 10;
  duck->heading = 10.0f;
  duck->turn = -10;
  updateEntities(30.0);  // 450 degrees
  EXPECT_NEAR(ship->heading, 440.0f, 1e-3f);
  EXPECT_NEAR(duck->heading, -80.0f, 1e-3f);
}

TEST_F(ShipMotion, ReloadGrowsPastOneWithoutClampAndThenStops) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  ship->reload[0] = 0.99f;
  ship->reload[1] = 0.0f;
  updateEntities(0.1);
  EXPECT_NEAR(ship->reload[0], 1.19f, 1e-5f);
  EXPECT_NEAR(ship->reload[1], 0.2f, 1e-5f);
  updateEntities(0.1);
  EXPECT_NEAR(ship->reload[0], 1.19f, 1e-5f);
  EXPECT_NEAR(ship->reload[1], 0.4f, 1e-5f);
}

TEST_F(ShipMotion, ZeroStepMovesNothingButStillTestsHits) {
  Ship* ship = addShip(10.0f, 20.0f, 30.0f);
  ship->speed = 3;
  ship->turn = 2;
  ship->reload[0] = 0.5f;
  ship->sunk = true;
  addBall(10.0f, 20.0f, 0.0f, 5);
  Cannonball* far = addBall(1000.0f, 0.0f, 0.0f, 5);
  updateEntities(0.0);
  EXPECT_FLOAT_EQ(ship->x, 10.0f);
  EXPECT_FLOAT_EQ(ship->y, 20.0f);
  EXPECT_FLOAT_EQ(ship->heading, 30.0f);
  EXPECT_FLOAT_EQ(ship->z, 5.0f);
  EXPECT_FLOAT_EQ(ship->reload[0], 0.5f);
  EXPECT_FLOAT_EQ(far->x, 1000.0f);
  EXPECT_EQ(ship->energy, 2);
  ASSERT_EQ(g_cannonballs.size(), 1u);
  EXPECT_EQ(g_cannonballs[0], far);
}

// Ship at the origin heading 0: foci at (+-40, 0), major axis 100, so the ellipse reaches 50 along
// x and 30 along y.
TEST_F(ShipHits, EllipseAlongTheHeading) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  ship->energy = 100;
  struct Case {
    float x, y;
    bool hit;
  };
  const Case cases[] = {
      {0.0f, 0.0f, true},   {45.0f, 0.0f, true},   {-49.0f, 0.0f, true}, {0.0f, 29.0f, true},
      {40.0f, 0.0f, true},  // on a focus
      {51.0f, 0.0f, false}, {0.0f, 31.0f, false}, {0.0f, -31.0f, false}, {40.0f, 25.0f, false},
  };
  for (const Case& c : cases) {
    recordedEvents().clear();
    addBall(c.x, c.y);
    updateEntities(0.0);
    EXPECT_EQ(countEvents(WorldEvent::ShipHit), c.hit ? 1 : 0) << c.x << ", " << c.y;
    EXPECT_EQ(g_cannonballs.size(), c.hit ? 0u : 1u) << c.x << ", " << c.y;
    g_cannonballs.clear();
  }

  ship->heading = 90.0f;  // the ellipse turns with the ship
  addBall(0.0f, 45.0f);
  addBall(45.0f, 0.0f);
  recordedEvents().clear();
  updateEntities(0.0);
  EXPECT_EQ(countEvents(WorldEvent::ShipHit), 1);
  ASSERT_EQ(g_cannonballs.size(), 1u);
  EXPECT_FLOAT_EQ(g_cannonballs[0]->x, 45.0f);
}

TEST_F(ShipHits, HitCostsOneEnergyAndReportsWhatIsLeft) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f, "Target");
  addBall(0.0f, 0.0f);
  updateEntities(0.0);
  EXPECT_EQ(ship->energy, 2);
  ASSERT_EQ(recordedEvents().size(), 1u);
  EXPECT_EQ(recordedEvents()[0].kind, WorldEvent::ShipHit);
  EXPECT_EQ(recordedEvents()[0].shipName, "Target");
  EXPECT_EQ(recordedEvents()[0].value, 2);
}

TEST_F(ShipHits, OwnBallsPassThrough) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  addBall(0.0f, 0.0f, 0.0f, 0, 1000, ship->tag);
  updateEntities(0.1);
  EXPECT_EQ(ship->energy, 3);
  EXPECT_EQ(g_cannonballs.size(), 1u);
}

TEST_F(ShipHits, OwnBallsPassThroughEvenWhenTheSerialOutgrowsTheBallsTag) {
  g_shipCounter = 1234566;
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);  // "s 1234567"; its balls carry "s 12345"
  fireBroadside(ship, 0);  // the balls start on the ship's axis, inside its ellipse
  ASSERT_EQ(g_cannonballs.size(), 3u);
  updateEntities(0.0);
  EXPECT_EQ(ship->energy, 3);
  EXPECT_EQ(g_cannonballs.size(), 3u);
}

TEST_F(ShipHits, ShipWhoseFociReachItsRadiusCanNeverBeHit) {
  shipModel.focalDistance = 50;  // equal to the radius: the ellipse has no inside
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  for (float x = -60.0f; x <= 60.0f; x += 10.0f) addBall(x, 0.0f);
  addBall(0.0f, 1.0f);
  updateEntities(0.0);
  EXPECT_EQ(ship->energy, 3);
  EXPECT_EQ(countEvents(WorldEvent::ShipHit), 0);
}

TEST_F(ShipHits, BallPastItsRangeInsideAShipSplashesAndExplodes) {
  Ship* ship = addShip(5.0f, 0.0f, 0.0f);
  addBall(0.0f, 0.0f, 0.0f, 2, 0);  // moves 5 units onto the ship and past its range
  updateEntities(0.1);
  EXPECT_EQ(sounds.count("watersplash"), 1);
  EXPECT_EQ(sounds.count("explosion"), 1);
  EXPECT_EQ(ship->energy, 2);
  EXPECT_TRUE(g_cannonballs.empty());
}

TEST_F(ShipHits, OneBallHitsBothShipsAndADuck) {
  Ship* first = addShip(0.0f, 0.0f, 0.0f);
  Ship* second = addShip(10.0f, 0.0f, 90.0f);
  addDuck(6.0f, 0.0f);
  addBall(5.0f, 0.0f);
  updateEntities(0.0);
  EXPECT_EQ(first->energy, 2);
  EXPECT_EQ(second->energy, 2);
  EXPECT_EQ(countEvents(WorldEvent::ShipHit), 2);
  EXPECT_EQ(countEvents(WorldEvent::DuckHit), 1);
  EXPECT_EQ(sounds.count("explosion"), 3);
  EXPECT_TRUE(g_cannonballs.empty());
  EXPECT_TRUE(g_ducks.empty());
}

TEST_F(DuckHits, AnyShipsBallWithinTwiceTheRadiusHits) {
  Ship* ship = addShip(500.0f, 500.0f, 0.0f);
  addDuck(0.0f, 0.0f);  // radius 6: hit below 12 units
  addBall(11.9f, 0.0f, 0.0f, 0, 1000, ship->tag);
  updateEntities(0.0);
  EXPECT_TRUE(g_ducks.empty());
  EXPECT_TRUE(g_cannonballs.empty());

  addDuck(0.0f, 0.0f);
  addBall(0.0f, 12.0f);
  updateEntities(0.0);
  EXPECT_EQ(g_ducks.size(), 1u);
  EXPECT_EQ(g_cannonballs.size(), 1u);
}

TEST_F(DuckHits, TwoBallsExplodeTwiceAndRemoveTheDuckOnce) {
  const int targetId = addDuck(0.0f, 0.0f)->id;
  Duck* other = addDuck(100.0f, 0.0f);
  addBall(1.0f, 0.0f);
  addBall(-1.0f, 0.0f);
  updateEntities(0.0);
  ASSERT_EQ(countEvents(WorldEvent::DuckHit), 2);
  EXPECT_EQ(recordedEvents()[0].value, targetId);
  EXPECT_EQ(sounds.count("explosion"), 2);
  ASSERT_EQ(g_ducks.size(), 1u);
  EXPECT_EQ(g_ducks[0], other);
  EXPECT_TRUE(g_cannonballs.empty());
}

TEST_F(DuckHits, BallSplashingOnADuckIsRemovedOnceAndTheOthersKeepTheirOrder) {
  addDuck(4.0f, 0.0f);
  Cannonball* first = addBall(-500.0f, 0.0f, 0.0f, 1);
  addBall(0.0f, 0.0f, 0.0f, 2, 0);  // past its range and on the duck: marked twice
  Cannonball* third = addBall(500.0f, 0.0f, 0.0f, 1);
  Cannonball* fourth = addBall(600.0f, 0.0f, 0.0f, 1);
  updateEntities(0.1);
  EXPECT_EQ(countEvents(WorldEvent::Splash), 1);
  EXPECT_EQ(countEvents(WorldEvent::DuckHit), 1);
  ASSERT_EQ(g_cannonballs.size(), 3u);
  EXPECT_EQ(g_cannonballs[0], first);
  EXPECT_EQ(g_cannonballs[1], third);
  EXPECT_EQ(g_cannonballs[2], fourth);
}

TEST_F(Sinking, LastHitSinksAndStopsTheShipAndLaterHitsStillCount) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f, "Victim");
  ship->energy = 1;
  ship->speed = 3;
  addBall(0.0f, 0.0f);
  updateEntities(0.0);
  EXPECT_TRUE(ship->sunk);
  EXPECT_EQ(ship->speed, 0);
  EXPECT_EQ(ship->energy, 0);
  EXPECT_EQ(countEvents(WorldEvent::ShipSinking), 1);

  addBall(0.0f, 0.0f);
  updateEntities(0.0);
  EXPECT_EQ(ship->energy, -1);
  EXPECT_EQ(countEvents(WorldEvent::ShipHit), 2);
  EXPECT_EQ(sounds.count("explosion"), 2);
  EXPECT_EQ(countEvents(WorldEvent::ShipSinking), 1);  // sinking is reported once
}

TEST_F(Sinking, GoesDownTenUnitsPerSecondAndLeavesPastTwentyBelowItsHeight) {
  Ship* ship = addShip(0.0f, 0.0f, 0.0f, "Victim");  // z 5, height 60: removed below z = -80
  Ship* other = addShip(1000.0f, 0.0f, 0.0f);
  ship->sunk = true;
  ship->turn = 2;
  ship->speed = 1;  // the script may still steer a sinking ship
  for (int i = 0; i < 17; ++i) updateEntities(0.5);
  EXPECT_FLOAT_EQ(ship->z, -80.0f);
  ASSERT_EQ(g_ships.size(), 2u);  // exactly at the depth: still there
  EXPECT_GT(ship->x, 0.0f);
  EXPECT_EQ(countEvents(WorldEvent::ShipRemoved), 0);

  updateEntities(0.5);
  ASSERT_EQ(g_ships.size(), 1u);
  EXPECT_EQ(g_ships[0], other);
  ASSERT_EQ(countEvents(WorldEvent::ShipRemoved), 1);
  EXPECT_EQ(recordedEvents().back().shipName, "Victim");
}

TEST_F(ShipHits, WithoutASoundBankTheBattleGoesOnSilently) {
  g_sounds = nullptr;
  Ship* ship = addShip(0.0f, 0.0f, 0.0f);
  addDuck(0.0f, 0.0f);
  addBall(0.0f, 0.0f, 0.0f, 1, 0);
  updateEntities(0.1);
  EXPECT_EQ(ship->energy, 2);
  EXPECT_TRUE(g_ducks.empty());
  EXPECT_TRUE(sounds.played.empty());
}

TEST_F(TitleLines, RiseFiftyPixelsPerSecondAndLeaveAfterTwelveSecondsIn600) {
  g_windowHeight = 600;
  auto* line = new ScrollText(10.0f, "KARVOSTA");
  g_scrollTexts.append(line);
  updateEntities(0.5);
  EXPECT_FLOAT_EQ(line->y, 575.0f);
  for (int i = 1; i < 24; ++i) updateEntities(0.5);
  ASSERT_EQ(g_scrollTexts.size(), 1u);  // 12 s: y is 0, on the top edge
  EXPECT_FLOAT_EQ(line->y, 0.0f);
  updateEntities(0.5);
  EXPECT_TRUE(g_scrollTexts.empty());
}

}  // namespace
