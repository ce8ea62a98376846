// Broadsides: readiness, the row of balls along the ship's axis, their random speeds.
#include "sim/firing.h"

#include <cassert>
#include <cmath>    // Required for: cos(), sin()
#include <cstring>  // Required for: strncpy()

#include "platform/angles.h"
#include "platform/random.h"
#include "sim/events.h"
#include "sim/world.h"
#include "sound/sound_bank.h"

namespace {

constexpr int kBothSides = 2;

void playCannonFire() {
  if (g_sounds != nullptr) g_sounds->playCannonFire();
}

bool sideReady(const Ship& ship, int side) {
  return !ship.sunk && ship.reload[side] >= 1.0f && ship.ammunition >= ship.cannons;
}

// Balls leave square to the course. One correction only: port of a ship heading 270 flies at 360.
float ballHeading(const Ship& ship, int side) {
  float heading = ship.heading;
  if (side == 0) {
    heading += 90.0f;
    if (heading > 360.0f) heading -= 360.0f;
  } else {
    heading -= 90.0f;
    if (heading < 0.0f) heading += 360.0f;
  }
  return heading;
}

// Ball speed between 0.75 and 1.25 times the ship's cannon speed, truncated toward zero.
int32_t ballSpeed(const Ship& ship) {
  const double r = static_cast<double>(nextRandom()) / kRandomMax;
  return static_cast<int32_t>((r * 0.5 + 0.75) * ship.cannonSpeed);
}

void appendBall(const Ship& ship, double x, double y, float heading) {
  Cannonball* ball = new Cannonball{};
  ball->x = static_cast<float>(x);
  ball->y = static_cast<float>(y);
  ball->heading = heading;
  ball->speed = ballSpeed(ship);
  ball->range = ship.range;
  ball->travelled = 0;
  // The ball's tag field is shorter than the ship's: cut, always terminated.
  std::strncpy(ball->tag, ship.tag, sizeof(ball->tag) - 1);
  ball->tag[sizeof(ball->tag) - 1] = '\0';
  g_cannonballs.append(ball);
}

// One side, already known to be ready: balls evenly spaced over focalDistance along the ship's
// axis, centred on its position, rear end first.
void fireSide(Ship& ship, int side) {
  assert((side == 0 || side == 1) && "fireSide takes one side; fireBroadside splits side 2");
  const float heading = ballHeading(ship, side);
  const int n = ship.cannons;
  WorldEventInfo fired{WorldEvent::BroadsideFired, ship.name, side, n > 0 ? n : 0};
  fired.x = fired.toX = ship.x;
  fired.y = fired.toY = ship.y;
  fired.heading = heading;
  fired.ship = &ship;
  if (n == 1) {
    appendBall(ship, ship.x, ship.y, heading);
  } else if (n > 1) {
    const double radians = ship.heading * kDegreesToRadians;
    const double hx = 0.5 * ship.focalDistance * std::cos(radians);
    const double hy = 0.5 * ship.focalDistance * std::sin(radians);
    for (int i = 0; i < n; ++i) {
      appendBall(ship, ship.x - hx + 2.0 * i * hx / (n - 1), ship.y - hy + 2.0 * i * hy / (n - 1), heading);
    }
    fired.x = static_cast<float>(ship.x - hx);
    fired.y = static_cast<float>(ship.y - hy);
    fired.toX = static_cast<float>(ship.x + hx);
    fired.toY = static_cast<float>(ship.y + hy);
  }
  ship.reload[side] = 0.0f;
  ship.ammunition -= ship.cannons;
  reportWorldEvent(fired);
}

}  // namespace

void fireBroadside(Ship* ship, int side) {
  if (ship == nullptr) return;  // no such ship: nothing fires and nothing sounds
  if (side == kBothSides) {
    fireBroadside(ship, 1);
    fireBroadside(ship, 0);
  } else if (side == 0 || side == 1) {
    if (sideReady(*ship, side)) {
      fireSide(*ship, side);
    } else {
      reportWorldEvent(WorldEvent::BroadsideRefused, ship->name, side);
    }
  }
  playCannonFire();  // refused calls and unknown sides sound too
}
