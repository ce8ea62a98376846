// The world's per-frame step: four passes that move and test, then one removal pass.
#include "sim/simulation.h"

#include <cmath>    // Required for: cos(), sin(), sqrt()
#include <cstring>  // Required for: strncmp()
#include <utility>  // Required for: move()
#include <vector>

#include "platform/angles.h"
#include "sim/events.h"
#include "sim/world.h"
#include "sound/sound_bank.h"

namespace {

constexpr double kSpeedUnitsPerSecond = 25.0;  // a speed of 1 moves 25 world units (pixels) per second
constexpr double kTurnFactor = 1.5;            // turn * speed to degrees per second
constexpr double kSinkRate = 10.0;             // world units per second
constexpr double kRemovalDepth = 20.0;         // world units below -height
constexpr double kReloadRate = 2.0;            // per second; a side is ready again after 0.5 s

void playSplash() {
  if (g_sounds != nullptr) g_sounds->playSplash();
}

void playExplosion() {
  if (g_sounds != nullptr) g_sounds->playExplosion();
}

// An event with the place where it happened.
void reportAt(WorldEventInfo event, float x, float y, const Ship* ship = nullptr) {
  event.x = x;
  event.y = y;
  event.ship = ship;
  reportWorldEvent(event);
}

// In the water plane.
double distance(double ax, double ay, double bx, double by) {
  return std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by));
}

// One correction each way: a turn of more than a full circle in one step stays out of range until
// the following steps bring it back.
float wrapHeadingOnce(double heading) {
  if (heading > 360.0) heading -= 360.0;
  if (heading < 0.0) heading += 360.0;
  return static_cast<float>(heading);
}

// Ships and ducks share the steering rule; the product turn * speed is formed in integers first.
template <typename Vessel>
void steerAndMove(Vessel& vessel, double dt) {
  const int64_t turnTimesSpeed = static_cast<int64_t>(vessel.turn) * vessel.speed;
  vessel.heading = wrapHeadingOnce(vessel.heading + static_cast<double>(turnTimesSpeed) * dt * kTurnFactor);
  const double radians = vessel.heading * kDegreesToRadians;
  const double step = vessel.speed * dt * kSpeedUnitsPerSecond;
  vessel.x = static_cast<float>(vessel.x + std::cos(radians) * step);
  vessel.y = static_cast<float>(vessel.y + std::sin(radians) * step);
}

// A ship's balls carry a copy of its tag cut to the ball's shorter field; comparing only that many
// characters keeps a ship safe from its own balls even once serial numbers outgrow the copy.
bool firedBy(const Cannonball& ball, const Ship& ship) {
  return std::strncmp(ball.tag, ship.tag, sizeof(ball.tag) - 1) == 0;
}

// The hit area of a ship: the ellipse with foci at +-focalDistance along the heading and major
// axis 2 * radius, from the ship's position and heading after this step's motion.
struct HitEllipse {
  double f1x, f1y, f2x, f2y;
  double majorAxis;

  explicit HitEllipse(const Ship& ship) {
    const double radians = ship.heading * kDegreesToRadians;
    const double fx = ship.focalDistance * std::cos(radians);
    const double fy = ship.focalDistance * std::sin(radians);
    f1x = ship.x + fx;
    f1y = ship.y + fy;
    f2x = ship.x - fx;
    f2y = ship.y - fy;
    majorAxis = 2.0 * ship.radius;
  }

  bool contains(const Cannonball& ball) const {
    return distance(ball.x, ball.y, f1x, f1y) + distance(ball.x, ball.y, f2x, f2y) < majorAxis;
  }
};

void moveBall(Cannonball& ball, double dt, std::vector<Cannonball*>& removedBalls) {
  const double radians = ball.heading * kDegreesToRadians;
  const double step = ball.speed * dt * kSpeedUnitsPerSecond;
  const double dx = std::cos(radians) * step;
  const double dy = std::sin(radians) * step;
  ball.x = static_cast<float>(ball.x + dx);
  ball.y = static_cast<float>(ball.y + dy);
  // Truncated every step: a ball that moves less than one unit per frame never gets anywhere.
  ball.travelled = static_cast<int32_t>(ball.travelled + std::sqrt(dx * dx + dy * dy));
  if (ball.travelled > ball.range) {
    removedBalls.push_back(&ball);
    reportAt(WorldEventInfo{WorldEvent::Splash, nullptr, -1, ball.travelled}, ball.x, ball.y);
    playSplash();
  }
}

void moveShip(Ship& ship, double dt, std::vector<Ship*>& removedShips, std::vector<Cannonball*>& removedBalls) {
  steerAndMove(ship, dt);

  if (ship.sunk) {
    ship.z = static_cast<float>(ship.z - kSinkRate * dt);
    if (ship.height + ship.z + kRemovalDepth < 0.0) removedShips.push_back(&ship);
  }

  // No clamp: a side ends slightly above 1 and stays there until it fires.
  for (float& reload : ship.reload) {
    if (reload < 1.0f) reload = static_cast<float>(reload + kReloadRate * dt);
  }

  // Balls marked earlier in this step still hit: removal waits for the end of the step.
  const HitEllipse ellipse(ship);
  for (Cannonball* ball : g_cannonballs) {
    if (!ellipse.contains(*ball) || firedBy(*ball, ship)) continue;
    removedBalls.push_back(ball);
    ship.energy -= 1;
    reportAt(WorldEventInfo{WorldEvent::ShipHit, ship.name, -1, ship.energy}, ball->x, ball->y, &ship);
    playExplosion();
    if (ship.energy <= 0) {
      if (!ship.sunk) reportAt(WorldEventInfo{WorldEvent::ShipSinking, ship.name, -1, 0}, ship.x, ship.y, &ship);
      ship.sunk = true;
      ship.speed = 0;
    }
  }
}

void moveDuck(Duck& duck, double dt, std::vector<Duck*>& removedDucks, std::vector<Cannonball*>& removedBalls) {
  steerAndMove(duck, dt);
  // Every ball hits ducks, whoever fired it; each hit plays its own explosion.
  for (Cannonball* ball : g_cannonballs) {
    if (distance(ball->x, ball->y, duck.x, duck.y) < 2.0 * duck.radius) {
      removedBalls.push_back(ball);
      reportAt(WorldEventInfo{WorldEvent::DuckHit, nullptr, -1, duck.id}, duck.x, duck.y);
      playExplosion();
      removedDucks.push_back(&duck);
    }
  }
}

}  // namespace

void updateEntities(double dt) {
  std::vector<Cannonball*> removedBalls;
  std::vector<Ship*> removedShips;
  std::vector<Duck*> removedDucks;
  std::vector<ScrollText*> removedTexts;

  for (Cannonball* ball : g_cannonballs) moveBall(*ball, dt, removedBalls);
  for (Ship* ship : g_ships) moveShip(*ship, dt, removedShips, removedBalls);
  for (Duck* duck : g_ducks) moveDuck(*duck, dt, removedDucks, removedBalls);
  for (ScrollText* line : g_scrollTexts) {
    line->y = static_cast<float>(line->y - line->speed * dt * kSpeedUnitsPerSecond);
    if (line->y < 0.0f) removedTexts.push_back(line);
  }

  // Removal order: balls, ships, ducks, title lines.
  // A record marked twice (a ball on target and past its range) leaves its list once.
  g_cannonballs.removeEach(std::move(removedBalls));
  for (Ship* ship : removedShips) {
    reportAt(WorldEventInfo{WorldEvent::ShipRemoved, ship->name, -1, 0}, ship->x, ship->y, ship);
  }
  g_ships.removeEach(std::move(removedShips));
  g_ducks.removeEach(std::move(removedDucks));
  g_scrollTexts.removeEach(std::move(removedTexts));
}
