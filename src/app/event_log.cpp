// Event log of a run: one line per world event, stamped with the demo time since start-up and the
// time into the current run. Used for tuning the battle and by the tests.
#include <cstdio>

#include "app/globals.h"
#include "app/scene.h"
#include "platform/clock.h"
#include "sim/events.h"
#include "sim/world.h"
#include "timeline/timeline.h"  // Required for: g_timelineStart

namespace {

FILE* g_eventLog = nullptr;
int64_t g_logStart = 0;  // counter value when the log was opened

const char* eventName(WorldEvent kind) {
  switch (kind) {
    case WorldEvent::BroadsideFired: return "broadside-fired";
    case WorldEvent::BroadsideRefused: return "broadside-refused";
    case WorldEvent::ShipHit: return "ship-hit";
    case WorldEvent::DuckHit: return "duck-hit";
    case WorldEvent::Splash: return "splash";
    case WorldEvent::ShipSinking: return "ship-sinking";
    case WorldEvent::ShipRemoved: return "ship-removed";
    case WorldEvent::TitleCreated: return "title-created";
    case WorldEvent::Restart: return "restart";
  }
  return "unknown";
}

void writeEvent(const WorldEventInfo& event) {
  const int64_t now = readCounter();
  const double frequency = static_cast<double>(counterFrequency());
  std::fprintf(g_eventLog, "%10.4f %8.4f %-17s", static_cast<double>(now - g_logStart) / frequency,
               static_cast<double>(now - g_timelineStart) / frequency, eventName(event.kind));
  if (event.shipName != nullptr) std::fprintf(g_eventLog, " ship=\"%s\"", event.shipName);
  if (event.side >= 0) std::fprintf(g_eventLog, " side=%d", event.side);
  std::fprintf(g_eventLog, " value=%d", event.value);
  // The lists as the new run starts: equal at every restart, or records pile up across runs.
  if (event.kind == WorldEvent::Restart) {
    std::fprintf(g_eventLog, " ships=%zu ducks=%zu balls=%zu texts=%zu", g_ships.size(), g_ducks.size(),
                 g_cannonballs.size(), g_scrollTexts.size());
  }
  std::fputc('\n', g_eventLog);
}

}  // namespace

bool openEventLog(const std::string& path) {
  closeEventLog();
  g_eventLog = std::fopen(path.c_str(), "w");
  if (g_eventLog == nullptr) return false;
  // Each line reaches the file as it is written: a run ended by a signal, or by anything else that
  // skips the exit path, leaves whole lines behind.
  std::setvbuf(g_eventLog, nullptr, _IOLBF, BUFSIZ);
  std::fprintf(g_eventLog, "# demo-time run-time event details\n");
  g_logStart = readCounter();
  g_worldEventHook = writeEvent;
  return true;
}

void closeEventLog() {
  if (g_eventLog == nullptr) return;
  g_worldEventHook = nullptr;
  std::fclose(g_eventLog);
  g_eventLog = nullptr;
}
