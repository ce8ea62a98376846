// Shared fixture of the naval world tests: hand-made worlds on test models, events recorded through
// the world's event hook, sounds recorded through the sound layer's seam, every list emptied before
// and after each test. No GL, no audio device.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/globals.h"
#include "assets/mesh_model.h"
#include "platform/sound_layer.h"
#include "sim/events.h"
#include "sim/world.h"
#include "sound/sound_bank.h"

struct RecordedEvent {
  WorldEvent kind;
  std::string shipName;
  int side;
  int value;
};

inline std::vector<RecordedEvent>& recordedEvents() {
  static std::vector<RecordedEvent> events;
  return events;
}

inline void recordEvent(const WorldEventInfo& event) {
  recordedEvents().push_back({event.kind, event.shipName != nullptr ? event.shipName : "", event.side, event.value});
}

// Remembers which file each slot holds and lists the file of every play request ("" when the
// request carried no sample).
class RecordingSoundLayer final : public SoundLayer {
 public:
  bool init(int, int, unsigned) override { return true; }
  SoundSample* loadSample(int slot, const char* path, int, int, int) override {
    Slot& entry = slots_[slot];
    entry.sample.slot = slot;
    entry.path = path != nullptr ? path : "";
    return &entry.sample;
  }
  int play(int channel, SoundSample* sample) override {
    played.push_back(sample != nullptr ? slots_[sample->slot].path : "");
    return channel;
  }
  void setVolume(int, int) override {}
  void setLoopMode(int, int) override {}
  void stop(int) override {}

  // Play requests whose file name contains `name`.
  int count(const char* name) const {
    int n = 0;
    for (const std::string& path : played) n += path.find(name) != std::string::npos ? 1 : 0;
    return n;
  }

  std::vector<std::string> played;

 private:
  struct Slot {
    SoundSample sample;
    std::string path;
  };
  std::map<int, Slot> slots_;
};

class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clearWorld();
    g_shipCounter = 0;
    g_duckCounter = 0;
    recordedEvents().clear();
    g_worldEventHook = &recordEvent;
    savedSounds = g_sounds;
    savedWindowHeight = g_windowHeight;
    setSoundLayer(&sounds);
    bank = new SoundBank();
    g_sounds = bank;
    g_windowHeight = 600;

    shipModel.focalDistance = 40;
    shipModel.radius = 50;
    shipModel.energy = 3;
    shipModel.zOffset = 5;
    shipModel.height = 60;
    shipModel.speed = 4;
    shipModel.turnRate = 2;
    shipModel.cannons = 3;
    shipModel.ammunition = 30;
    shipModel.range = 300;
    shipModel.cannonSpeed = 40;
    duckModel.radius = 6;
    g_shipModel1 = &shipModel;
    g_shipModel2 = &shipModel;
    g_duckModel = &duckModel;
  }

  void TearDown() override {
    clearWorld();
    g_worldEventHook = nullptr;
    g_shipModel1 = nullptr;
    g_shipModel2 = nullptr;
    g_duckModel = nullptr;
    g_sounds = savedSounds;
    delete bank;
    setSoundLayer(nullptr);
    g_windowHeight = savedWindowHeight;
  }

  // A ship of the test model, at rest, returned for further set-up.
  Ship* addShip(float x, float y, float heading, const char* name = "Test ship") {
    spawnShip(1, name, x, y, heading);
    return g_ships[g_ships.size() - 1];
  }

  Duck* addDuck(float x, float y, float heading = 0.0f) {
    spawnDuck(x, y, heading);
    return g_ducks[g_ducks.size() - 1];
  }

  // A ball as a broadside would leave it; the tag names the ship it must not hit.
  Cannonball* addBall(float x, float y, float heading = 0.0f, int speed = 0, int range = 1000, const char* tag = "s 999") {
    Cannonball* ball = new Cannonball{};
    ball->x = x;
    ball->y = y;
    ball->heading = heading;
    ball->speed = speed;
    ball->range = range;
    std::memcpy(ball->tag, tag, std::min(std::strlen(tag), sizeof(ball->tag) - 1));
    g_cannonballs.append(ball);
    return ball;
  }

  static int countEvents(WorldEvent kind) {
    int count = 0;
    for (const RecordedEvent& event : recordedEvents()) count += event.kind == kind ? 1 : 0;
    return count;
  }

  MeshModel shipModel;
  MeshModel duckModel;
  RecordingSoundLayer sounds;
  SoundBank* bank = nullptr;
  SoundBank* savedSounds = nullptr;
  int savedWindowHeight = 0;
};
