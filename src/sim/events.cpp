// The world's two event hooks; null until an event log, a test or a watcher installs one.
#include "sim/events.h"

WorldEventHook g_worldEventHook = nullptr;
WorldEventHook g_worldEventWatcher = nullptr;
