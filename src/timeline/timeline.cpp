// The demo script as a table: one row per event, its actions in the order they are performed.
#include "timeline/timeline.h"

#include <cassert>
#include <vector>

#include "camera/camera_rig.h"
#include "sim/events.h"
#include "sim/firing.h"
#include "sim/world.h"
#include "sound/sound_bank.h"

int64_t g_timelineStart = 0;

namespace {

constexpr double kQuietStart = 8.0;     // seconds of each run before script time 0
constexpr double kWindowFrames = 2.0;   // a window reaches this many frames either side of its time

enum class Op { Fire, Speed, Turn, MoveSpeed, YawRate, PitchRate, DirX, DirY, StopQuacking, Title, Restart };
enum { kShipA = 0, kShipB = 1, kNoShip = -1 };  // positions in g_ships, looked up at each firing

struct Action {
  Op op;
  int ship;      // kShipA, kShipB or kNoShip
  double value;  // side, speed, turn, camera value or title number
};

struct ScriptEvent {
  double time;  // script seconds (run time - 8)
  std::vector<Action> actions;
};

Action fire(int ship, int side) { return {Op::Fire, ship, static_cast<double>(side)}; }
Action speed(int ship, int value) { return {Op::Speed, ship, static_cast<double>(value)}; }
Action turn(int ship, int value) { return {Op::Turn, ship, static_cast<double>(value)}; }
Action camera(Op field, double value) { return {field, kNoShip, value}; }
Action stopQuacking() { return {Op::StopQuacking, kNoShip, 0.0}; }
Action title(int number) { return {Op::Title, kNoShip, static_cast<double>(number)}; }
Action restart() { return {Op::Restart, kNoShip, 0.0}; }

constexpr int A = kShipA, B = kShipB;

const std::vector<ScriptEvent>& script() {
  static const std::vector<ScriptEvent> kScript = {
      {2, {fire(B, 0), stopQuacking()}},
      {4, {speed(A, -3), camera(Op::YawRate, -15), camera(Op::PitchRate, 10)}},
      {5.5, {turn(A, -3), speed(A, -3), speed(B, 2), camera(Op::MoveSpeed, 30), camera(Op::YawRate, 0),
             camera(Op::PitchRate, 0), camera(Op::DirX, -3), camera(Op::DirY, -1)}},
      {10, {camera(Op::MoveSpeed, 20), camera(Op::YawRate, -20), fire(A, 0), fire(B, 0)}},
      {12, {camera(Op::YawRate, 0), turn(A, 0), fire(A, 0), fire(B, 0), camera(Op::MoveSpeed, 10),
            camera(Op::DirX, -2)}},
      {15, {fire(A, 0), speed(A, -3), fire(B, 0), speed(B, 1), camera(Op::MoveSpeed, 30)}},
      {18, {camera(Op::YawRate, -10), fire(A, 0), fire(B, 0), turn(B, 3), speed(B, 5), camera(Op::MoveSpeed, 35)}},
      {22, {fire(A, 0), turn(A, -4), fire(B, 1), turn(B, 0), speed(B, 3), camera(Op::DirX, 2)}},
      {26, {fire(A, 1), fire(B, 1), speed(B, 1)}},
      {30, {fire(A, 1), turn(A, 2), fire(B, 1)}},
      {30, {fire(A, 1), speed(A, -1), fire(B, 1)}},
      {33, {camera(Op::YawRate, 0), camera(Op::MoveSpeed, 1), fire(A, 1), turn(A, 0), fire(B, 1), turn(B, -2)}},
      {35, {fire(A, 1), fire(B, 1)}},
      {37, {fire(A, 1), fire(B, 1), camera(Op::MoveSpeed, 0), camera(Op::YawRate, 0), camera(Op::PitchRate, 0),
            title(1)}},
      {39, {title(2)}},
      {40, {fire(A, 1), fire(B, 1), turn(B, 0), title(3)}},
      {43, {title(4)}},
      {63, {restart()}},
  };
  return kScript;
}

struct Title {
  const char* text;
  int offset;  // designed pixels left of the window's centre
};

const Title kTitles[4] = {
    {"Lumbrix presents", 99},
    {"KARVOSTA", 85},
    {"erhaeltlich ab Juli 2006", 92},
    {"(c) by Ardwyn, Pellomar", 166},
};

void createTitle(int number, const TimelineInput& input) {
  assert(number >= 1 && number <= 4 && "the script names title lines 1 to 4");
  if (g_titlesShown >= number) return;
  const Title& line = kTitles[number - 1];
  g_scrollTexts.append(new ScrollText(line.offset, line.text, input.windowWidth, input.windowHeight, input.textScale));
  ++g_titlesShown;
  reportWorldEvent(WorldEvent::TitleCreated, nullptr, -1, number);
}

void restartScenario(int64_t now) {
  // The run begins anew at this idle step's clock value, so the next call sees about -8 s.
  g_timelineStart = now;
  g_ships.clear();
  g_ducks.clear();
  setupScenario();
  g_titlesShown = 0;
  delete g_camera;
  g_camera = new CameraRig();
  reportWorldEvent(WorldEvent::Restart);
}

void setCamera(Op field, float value) {
  if (g_camera == nullptr) return;
  switch (field) {
    case Op::MoveSpeed: g_camera->moveSpeed = value; break;
    case Op::YawRate: g_camera->yawRate = value; break;
    case Op::PitchRate: g_camera->pitchRate = value; break;
    case Op::DirX: g_camera->dirX = value; break;
    case Op::DirY: g_camera->dirY = value; break;
    default: break;
  }
}

void perform(const Action& action, const TimelineInput& input) {
  // An order for a list position that no longer exists (a ship sank and was removed) is skipped.
  Ship* ship = nullptr;
  if (action.ship != kNoShip) {
    if (static_cast<size_t>(action.ship) >= g_ships.size()) return;
    ship = g_ships[static_cast<size_t>(action.ship)];
  }
  switch (action.op) {
    case Op::Fire: fireBroadside(ship, static_cast<int>(action.value)); break;
    case Op::Speed: ship->speed = static_cast<int32_t>(action.value); break;
    case Op::Turn: ship->turn = static_cast<int32_t>(action.value); break;
    case Op::StopQuacking:
      if (g_sounds != nullptr) g_sounds->stopQuacking();
      break;
    case Op::Title: createTitle(static_cast<int>(action.value), input); break;
    case Op::Restart: restartScenario(input.now); break;
    default: setCamera(action.op, static_cast<float>(action.value)); break;
  }
}

// Which rows of the current run have acted, and the script time of the last step. A step that jumps
// over a row's whole window (a stall, a slow frame) would otherwise skip the row, and a skipped
// restart would end the show.
struct Progress {
  bool begun = false;
  double lastTime = 0.0;  // script seconds
  std::vector<bool> acted;
};

Progress g_progress;

}  // namespace

bool runTimeline(const TimelineInput& input) {
  if (input.framesPerSecond == 0) return false;
  const double scriptTime = input.elapsed - kQuietStart;
  const double halfWindow = kWindowFrames / input.framesPerSecond;
  const std::vector<ScriptEvent>& rows = script();
  // A new run: the first step, or script time went back (a restart, or the shell began the run
  // anew). Rows whose windows lie wholly behind its first step count as done: the run began past them.
  if (!g_progress.begun || scriptTime < g_progress.lastTime) {
    g_progress.acted.assign(rows.size(), false);
    for (size_t i = 0; i < rows.size(); ++i) g_progress.acted[i] = rows[i].time + halfWindow <= scriptTime;
    g_progress.begun = true;
  }
  g_progress.lastTime = scriptTime;
  for (size_t i = 0; i < rows.size(); ++i) {
    const ScriptEvent& event = rows[i];
    // Every step inside the window acts, as designed; a row that no step landed in acts once, in
    // script order, on the first step past its window.
    const bool inWindow = event.time - halfWindow < scriptTime && scriptTime < event.time + halfWindow;
    const bool jumped = !g_progress.acted[i] && scriptTime >= event.time + halfWindow;
    if (!inWindow && !jumped) continue;
    g_progress.acted[i] = true;
    for (const Action& action : event.actions) {
      perform(action, input);
      if (action.op == Op::Restart) return true;  // this run is complete; the next step begins the next
    }
  }
  return false;
}
