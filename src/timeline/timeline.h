// The demo script: timed orders to the ships and the camera, the rising titles, and the restart of
// the scenario every 71 seconds. GL-free and clock-free: it is handed the elapsed run time.
#pragma once

// Title lines created in the current run (0..4).
extern int g_titlesShown;

// Tests every event of the script against the run time `elapsed` (seconds since g_timelineStart)
// and performs those whose firing window holds it. Does nothing until a frame rate is known.
void runTimeline(double elapsed);
