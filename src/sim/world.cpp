// Naval world: the global record lists, the models, serial counters, spawning and the opening scenario.
#include "sim/world.h"

#include <cstdio>   // Required for: snprintf()
#include <cstring>  // Required for: strlen(), memcpy()

#include "assets/mesh_model.h"
#include "sound/sound_bank.h"

RecordList<Ship> g_ships;
RecordList<Cannonball> g_cannonballs;
RecordList<Duck> g_ducks;
RecordList<ScrollText> g_scrollTexts;
int g_titlesShown = 0;

MeshModel* g_shipModel1 = nullptr;
MeshModel* g_shipModel2 = nullptr;
MeshModel* g_duckModel = nullptr;

int32_t g_shipCounter = 0;
int32_t g_duckCounter = 0;

namespace {

constexpr int kScrollSpeed = 2;  // pixels per 1/25 s: 50 pixels per second upwards

const MeshModel* shipModel(int32_t type) {
  if (type == 1) return g_shipModel1;
  if (type == 2) return g_shipModel2;
  return nullptr;
}

// Copies as much of `text` as fits, always terminated.
void copyCut(char* field, std::size_t fieldSize, const char* text) {
  const std::size_t length = std::min(std::strlen(text), fieldSize - 1);
  std::memcpy(field, text, length);
  field[length] = '\0';
}

}  // namespace

ScrollText::ScrollText(int lineOffset, const char* lineText, int width, int pictureHeight, float scale)
    : y(static_cast<float>(pictureHeight)), text(lineText), offset(lineOffset), height(pictureHeight) {
  fitScrollText(*this, width, pictureHeight, scale);
}

void fitScrollText(ScrollText& line, int width, int height, float scale) {
  // At scale 1 the difference is whole pixels, as designed.
  line.x = static_cast<float>(width / 2 - line.offset * static_cast<double>(scale));
  if (height != line.height && line.height > 0) line.y = line.y / static_cast<float>(line.height) * static_cast<float>(height);
  line.height = height;
  line.speed = kScrollSpeed * scale;
}

void spawnShip(int32_t type, const char* name, float x, float y, float heading) {
  Ship* ship = new Ship{};  // value-initialised: every game value 0 unless a model gives one
  if (name != nullptr) copyCut(ship->name, sizeof(ship->name), name);
  ship->type = type;
  ship->x = x;
  ship->y = y;
  ship->heading = heading;
  ship->speed = 0;
  ship->turn = 0;
  ship->reload[0] = 1.0f;
  ship->reload[1] = 1.0f;
  ship->sunk = false;

  if (const MeshModel* model = shipModel(type)) {
    ship->maxSpeed = model->speed;
    ship->turnRate = model->turnRate;
    ship->focalDistance = model->focalDistance;
    ship->radius = model->radius;
    ship->z = static_cast<float>(model->zOffset);
    ship->height = model->height;
    ship->energy = model->energy;
    ship->maxEnergy = model->energy;
    ship->ammunition = model->ammunition;
    ship->maxAmmunition = model->ammunition;
    ship->cannons = model->cannons;
    ship->cannonSpeed = model->cannonSpeed;
    ship->range = model->range;
  }

  ++g_shipCounter;
  // Serials up to 9,999,999 fit the tag; larger ones are cut rather than overrun it.
  char tag[16];
  std::snprintf(tag, sizeof(tag), "s %d", static_cast<int>(g_shipCounter));
  copyCut(ship->tag, sizeof(ship->tag), tag);
  g_ships.append(ship);
}

void spawnDuck(float x, float y, float heading) {
  Duck* duck = new Duck{};
  duck->speed = 0;
  duck->turn = 0;
  ++g_duckCounter;
  duck->id = g_duckCounter;
  duck->x = x;
  duck->y = y;
  duck->heading = heading;
  duck->radius = g_duckModel != nullptr ? g_duckModel->radius : 0;
  g_ducks.append(duck);
}

void setupScenario() {
  // The first ship uses the second model and the second ship the first: both face each other
  // across the camera's starting view.
  spawnShip(2, "Schiff Nr. 1", 150.0f, -150.0f, 315.0f);
  spawnShip(1, "Schiff Nr. 2", -350.0f, 350.0f, 225.0f);

  struct DuckStart {
    float x, y, heading;
  };
  constexpr DuckStart kDucks[] = {
      {-85.0f, -270.0f, 90.0f}, {-100.0f, -240.0f, 90.0f}, {-90.0f, -180.0f, 90.0f}, {-80.0f, -210.0f, 90.0f}};
  for (const DuckStart& start : kDucks) spawnDuck(start.x, start.y, start.heading);

  // The first four of the list: the ones just created, since a restart empties the list first.
  constexpr std::size_t kSwimmingDucks = 4;
  for (std::size_t i = 0; i < kSwimmingDucks && i < g_ducks.size(); ++i) g_ducks[i]->speed = 1;

  if (g_sounds != nullptr) g_sounds->startQuacking();
}

void clearWorld() {
  g_ships.clear();
  g_ducks.clear();
  g_cannonballs.clear();
  g_scrollTexts.clear();
}
