// World events for the event log and for tests: the simulation, firing and the timeline report what
// happens through one hook. No hook set: nothing is reported. GL-free.
#pragma once

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
};

using WorldEventHook = void (*)(const WorldEventInfo& event);
extern WorldEventHook g_worldEventHook;

inline void reportWorldEvent(WorldEvent kind, const char* shipName = nullptr, int side = -1, int value = 0) {
  if (g_worldEventHook != nullptr) g_worldEventHook(WorldEventInfo{kind, shipName, side, value});
}
