// The world's one event hook; null until an event log or a test installs one.
#include "sim/events.h"

WorldEventHook g_worldEventHook = nullptr;
