// The application shell's sequences: start-up, the idle step, the frame pass, input and shutdown.
#pragma once
#include <cstdint>
#include <string>

struct Options;

// Start-up, once. With graphics: a GL context is current and every step runs. Without (headless
// runs): no GL, no textures or lists, models loaded for their game values only.
void initScene(const Options& options, bool withGraphics);
// The scene's GL state (depth test, light, ambient, texture environment, render flags) that start-up
// sets once; GL tests and benchmarks that draw parts of the scene start from it too.
void setUpGlState();
// The idle step without the redisplay request: clock, timeline, wave phase, world, camera. True when
// the script restarted the scenario in this step, completing one run.
bool advanceWorld();
// Releases the world objects in the shutdown order, and with graphics every GL object the scene made.
void shutdownScene(bool withGraphics);
// Every GL object of the scene released, the world kept: for a context that is lost (a browser's
// WebGL context), while the frames wait. The sea stays, without its shading.
void releaseSceneGraphics();
// The scene's GL objects made anew in a context that replaced a lost one, in start-up's order.
void rebuildSceneGraphics(const Options& options);
// --headless: start-up without graphics, then the idle step on the fixed clock for options.seconds of
// demo time, then shutdown. Returns the exit code.
int runHeadless(const Options& options);

// The frame pass without the buffer swap, into the main framebuffer (the window's, or a recording's
// target): drawScene for the reflection and the main view, then drawOverlays for the texts: the title
// lines, and with `withCounter` the frame counter and the toggle message (a window's, not a film's).
void drawScene();
void drawOverlays(bool withCounter);
// drawScene's steps, for a caller that takes them one at a time (bench_frame_parts): the reflection
// pass; the main pass begun (viewport, clears, the normal view), its sky dome, then after the ships
// and ducks (drawEntities) its sea, which reads the image where the latest reflection pass drew; the
// effects (drawEffects) end it.
void drawReflectionPass();
void beginMainPass();
void drawSky();
void drawSea();

// GLUT callbacks.
void onIdle();
void onDisplay();
void onReshape(int width, int height);
void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);

// Whether the last toggle key's text is still shown at counter value `now` (2 seconds after the key).
bool toggleMessageVisible(int64_t now);

// Ending an automated run: after `frameLimit` displayed frames, or once `loopLimit` runs of the
// script are complete, the main loop is left, and the last frame is written to `screenshotPath`
// first (if set).
struct RunControl {
  int frameLimit = -1;
  int framesDrawn = 0;
  int stepsTaken = 0;  // idle steps of the window's main loop
  int loopLimit = -1;
  int loopsDone = 0;  // complete runs: the script's restarts
  std::string screenshotPath;
};
extern RunControl g_runControl;

// Event log of a run (--event-log): opens the file and hooks it to the world's events.
bool openEventLog(const std::string& path);
void closeEventLog();
