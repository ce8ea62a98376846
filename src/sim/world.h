// Naval world: ship, cannonball, duck and title-line records, the four global lists that own them,
// the three models they spawn from, the serial counters, spawning and the opening scenario. GL-free.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class MeshModel;

// One sailing ship. Speeds are world units per 1/25 s, angles degrees, heading 0 along +x.
struct Ship {
  char name[30];
  char tag[10];          // "s <serial>"; its balls carry a copy so a ship never hits itself
  int32_t type;          // 1 = g_shipModel1, 2 = g_shipModel2
  float x, y;            // position on the water plane
  float z;               // above the local water surface; falls while sinking
  float heading;         // degrees
  int32_t speed;         // set by the script, forced to 0 on sinking; may be negative
  int32_t maxSpeed;      // model value, informational
  int32_t turn;          // rudder: heading changes by turn * speed * 1.5 degrees per second
  int32_t turnRate;      // model value, informational
  int32_t focalDistance; // foci of the hit ellipse; also the length of the cannon row
  int32_t radius;        // half the major axis of the hit ellipse
  bool sunk;
  int32_t energy;        // hits left; one hit costs 1
  int32_t maxEnergy;
  int32_t cannons;       // per side = balls per broadside
  float reload[2];       // per side (0 left, 1 right); may fire at >= 1
  int32_t ammunition;
  int32_t maxAmmunition;
  int32_t height;        // removed once z < -(height + 20)
  int32_t range;         // world units its balls fly
  int32_t cannonSpeed;   // base speed of its balls
};

struct Cannonball {
  float x, y;
  float heading;      // degrees
  int32_t speed;
  int32_t range;      // world units
  int32_t travelled;  // whole world units flown; each step's fraction is dropped
  char tag[8];        // copy of the firing ship's tag
};

struct Duck {
  int32_t id;  // serial number from 1
  float x, y;
  float heading;
  int32_t speed;
  int32_t turn;
  int32_t radius;  // a ball closer than 2 * radius hits the duck
};

// A title line rising over the screen: window pixels, origin top left, y growing downwards. Drawn by
// the text overlay, moved and removed by the simulation step.
struct ScrollText {
  // A line `offset` designed pixels left of the centre of a picture `width` x `height` pixels, its
  // baseline on the bottom edge. `scale` is the picture's pixels per designed pixel: the offset counts
  // that much, and the line rises that much faster, so it crosses a taller picture in the same time.
  ScrollText(int offset, const char* text, int width, int height, float scale = 1.0f);
  float x;           // left end of the baseline, pixels
  float y;           // baseline, pixels from the top edge
  float speed;       // pixels per 1/25 s: 2, times the scale
  const char* text;  // not owned
  int offset;        // designed pixels from the left end to the picture's centre
  int height;        // pixels: the height of the picture x and y are in
};

// The line in a picture that changed size (a resized window, full screen): the same designed offset
// from the new centre, the same share of its way up, and the speed that crosses the new picture in
// the same time. A picture of the same size leaves the line as it was.
void fitScrollText(ScrollText& line, int width, int height, float scale);

// An ordered list of heap records that it owns: a record is freed when its pointer leaves the list
// (removal or emptying), so nothing may keep a pointer to a record after that. Iteration runs in
// append order.
template <typename T>
class RecordList {
 public:
  RecordList() = default;
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;
  ~RecordList() { clear(); }

  void append(T* record) { items_.push_back(record); }

  // Takes every occurrence of `record` out of the list and frees it once. A pointer not in the list
  // is left alone (not freed), so removing the same record twice is harmless.
  void remove(T* record) {
    const auto end = std::remove(items_.begin(), items_.end(), record);
    if (end == items_.end()) return;
    items_.erase(end, items_.end());
    delete record;
  }

  // remove() for each record of `records`, in one pass over the list: records listed more than once
  // are freed once, the others keep their order.
  void removeEach(std::vector<T*> records) {
    std::sort(records.begin(), records.end(), std::less<T*>());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    std::vector<T*> kept;
    std::vector<T*> found;
    kept.reserve(items_.size());
    for (T* item : items_) {
      const bool marked = std::binary_search(records.begin(), records.end(), item, std::less<T*>());
      (marked ? found : kept).push_back(item);
    }
    items_.swap(kept);
    std::sort(found.begin(), found.end(), std::less<T*>());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    for (T* record : found) delete record;
  }

  // Frees every record (each once, even if listed twice) and leaves the list empty.
  void clear() {
    std::vector<T*> owned;
    owned.swap(items_);
    std::sort(owned.begin(), owned.end(), std::less<T*>());
    owned.erase(std::unique(owned.begin(), owned.end()), owned.end());
    for (T* record : owned) delete record;
  }

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  T* operator[](std::size_t index) const { return items_[index]; }
  T* front() const { return items_.empty() ? nullptr : items_.front(); }
  typename std::vector<T*>::const_iterator begin() const { return items_.begin(); }
  typename std::vector<T*>::const_iterator end() const { return items_.end(); }

 private:
  std::vector<T*> items_;
};

extern RecordList<Ship> g_ships;
extern RecordList<Cannonball> g_cannonballs;
extern RecordList<Duck> g_ducks;
extern RecordList<ScrollText> g_scrollTexts;

// Title lines created in the current run (0..4); the restart sets it back to 0.
extern int g_titlesShown;

// The models ships and ducks take their game values from (and are drawn with). Created and released
// by the application shell; null until start-up has loaded them.
extern MeshModel* g_shipModel1;  // "../data/objects/schiff1.ase", ship type 1
extern MeshModel* g_shipModel2;  // "../data/objects/schiff2.ase", ship type 2
extern MeshModel* g_duckModel;   // "../data/objects/ente.ase"

// Serial numbers of the last ship and duck created; never reset, so tags stay unique across restarts.
extern int32_t g_shipCounter;
extern int32_t g_duckCounter;

// A stationary ship at rest with full reload. Type 1 or 2 selects the model whose game values it
// copies; any other type, or a missing model, gives game values 0. Names longer than 29 characters
// are cut.
void spawnShip(int32_t type, const char* name, float x, float y, float heading);
// A stationary duck with the duck model's radius (0 without a model).
void spawnDuck(float x, float y, float heading);
// The opening scenario: two ships, four ducks swimming along +y, and the quack loops.
void setupScenario();
// Frees every record of every list: ships, ducks, cannonballs, then scroll texts. Counters stay.
void clearWorld();
