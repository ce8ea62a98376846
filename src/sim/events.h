// World events for the event log, for tests and for what is drawn about the world: the simulation,
// firing and the timeline report what happens through two hooks. No hook set: nothing is reported.
// GL-free.
#pragma once

struct Ship;

enum class WorldEvent {
  BroadsideFired,    // ship, side, value = balls fired
  BroadsideRefused,  // ship, side
  ShipHit,           // ship, value = energy left
  DuckHit,           // value = duck id
  Splash,            // a ball fell into the sea; value = its travelled distance
  ShipSinking,       // ship
  ShipRemoved,       // ship
  TitleCreated,      // value = title number 1..4
  Restart,
};

struct WorldEventInfo {
  WorldEvent kind;
  const char* shipName;  // the ship concerned, or nullptr
  int side;              // broadsides only, else -1
  int value;
  // Where it happened, in world units on the water plane; the event log prints none of it.
  //   BroadsideFired: the row of guns runs from (x, y), the rear gun, to (toX, toY), the front gun;
  //                   `heading` is the balls' heading in degrees.
  //   ShipHit, Splash: the ball's position. DuckHit: the duck's.
  //   ShipSinking, ShipRemoved: the ship's position.
  float x = 0.0f, y = 0.0f;
  float toX = 0.0f, toY = 0.0f;
  float heading = 0.0f;
  const Ship* ship = nullptr;  // ship events; valid only while the hooks run
};

using WorldEventHook = void (*)(const WorldEventInfo& event);
// The records of a run: the event log, or a test.
extern WorldEventHook g_worldEventHook;
// A second listener beside the records, so that watching the world never displaces the log.
extern WorldEventHook g_worldEventWatcher;

inline void reportWorldEvent(const WorldEventInfo& event) {
  if (g_worldEventHook != nullptr) g_worldEventHook(event);
  if (g_worldEventWatcher != nullptr) g_worldEventWatcher(event);
}

inline void reportWorldEvent(WorldEvent kind, const char* shipName = nullptr, int side = -1, int value = 0) {
  reportWorldEvent(WorldEventInfo{kind, shipName, side, value});
}
