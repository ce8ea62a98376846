// main/: the program's entries, above everything they start: the desktop's (a window, a film or a
// headless run) and the web page's (main_web.cpp).
//
// Program entry: options, the window and its callbacks, start-up, the main loop, shutdown.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>  // Required for: std::strerror()

#include "app/frame_profile.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/scene.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "film/record.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/run_tree.h"
#include "timeline/timeline.h"

namespace {

bool displayAvailable() { return std::getenv("DISPLAY") != nullptr && std::getenv("DISPLAY")[0] != '\0'; }

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  switch (parseOptions(argc, argv, options, error)) {
    case ParseOutcome::Help:
      std::fputs(usageText(), stdout);
      return 0;
    case ParseOutcome::Version:
      std::puts("karvosta " KARVOSTA_VERSION);
      return 0;
    case ParseOutcome::Error:
      std::fprintf(stderr, "karvosta: %s\n%s", error.c_str(), usageText());
      return 2;
    case ParseOutcome::Run:
      break;
  }
  // Output files named on the command line are meant relative to where the user started the demo.
  for (std::string* path : {&options.screenshot, &options.eventLog, &options.record, &options.poster}) {
    if (!makeAbsolute(*path, error)) {
      std::fprintf(stderr, "karvosta: %s\n", error.c_str());
      return 1;
    }
  }
  enterRunTimeTree();  // on failure the loaders report each file they cannot find
  if (options.noDialogs) setDialogsEnabled(false);
  if (options.profile) enableFrameProfile();
  if (options.profile || options.frameStats) enableFrameIntervals();
  if (options.fixedDt > 0.0) useFixedClock(options.fixedDt);
  if (!options.eventLog.empty() && !openEventLog(options.eventLog)) {
    std::fprintf(stderr, "karvosta: cannot write the event log %s: %s\n", options.eventLog.c_str(), std::strerror(errno));
    return 1;
  }
  if (options.headless) return runHeadless(options);
  if (!displayAvailable()) {
    std::fprintf(stderr, "karvosta: no X display (DISPLAY is not set). The demo needs a display; "
                         "run it under xvfb-run, or use --headless for the simulation alone.\n");
    return 1;
  }
  selectGraphicsPath(options.graphics);
  if (!options.record.empty()) return runRecording(options, argv[0]);

  // GLUT sees only the program name: our options are not X toolkit options.
  int glutArgc = 1;
  char* glutArgv[] = {argv[0], nullptr};
  glutInit(&glutArgc, glutArgv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  const bool sized = options.sizeWidth > 0 && options.sizeHeight > 0;
  glutInitWindowSize(sized ? options.sizeWidth : 800, sized ? options.sizeHeight : 600);
  glutInitWindowPosition(0, 0);
  glutCreateWindow(argv[0]);  // the title is the invocation path
  if (options.fullscreen) {
    glutFullScreen();
    glutSetCursor(GLUT_CURSOR_NONE);
  }
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
  glutDisplayFunc(onDisplay);
  glutReshapeFunc(onReshape);
  glutKeyboardFunc(onKeyboard);
  glutSpecialFunc(onSpecialKey);
  glutIdleFunc(onIdle);

  g_runControl.frameLimit = options.frames;
  g_runControl.screenshotPath = options.screenshot;
  g_runControl.loopLimit = options.loops;
  initScene(options, true);
  g_timelineStart = readCounter();
  glutMainLoop();
  shutdownScene(true);
  printFrameProfile();
  return 0;
}
