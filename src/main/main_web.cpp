// Web entry: the page's program. The page hands over the options of its address as command-line
// arguments and starts the frames when the viewer clicks; the browser then drives them, one idle step
// and one frame per animation frame, in the desktop's order. Keys come from the page's document. The
// program tells the page (web/page.js, Module.onProgram) when its first frame stands, when the demo
// ended, when a fixed number of frames is done, when WebGL or the options fail, and what `help` and
// `version` say. The page tells the program when its tab is hidden and when the browser lost or
// restored the WebGL context; the page alone starts and stops the sound (web/library_page.js).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/frame_profile.h"
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/scene.h"
#include "audio/sound_layer.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "timeline/timeline.h"
#include "water/water_surface.h"  // Required for: g_wavePhase

namespace {

Options g_options;
float g_startPhase = 0.0f;  // the sea's phase at load, for a new start to begin where the first did
bool g_sceneUp = false;     // between initScene and shutdownScene
bool g_started = false;     // the viewer started the frames, and they have not ended
bool g_hidden = false;      // the page's tab is hidden
bool g_contextLost = false; // the browser took the WebGL context away and has not given it back
bool g_framesGoing = false; // the browser calls the frames

void tellPage(const char* kind, const char* text = "") {
  EM_ASM({
    if (Module.onProgram) Module.onProgram(UTF8ToString($0), UTF8ToString($1));
  }, kind, text);
}

// In a browser, as opposed to node (the headless runs that compare the simulation with the desktop's).
bool inBrowser() { return EM_ASM_INT({ return typeof window === "object" ? 1 : 0; }) != 0; }

// The page has made this context already, with the same attributes, to tell a viewer without WebGL
// at once (web/page.js); the canvas gives the program the same context.
bool createContext() {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = EM_FALSE;  // the page must not show through the picture
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_FALSE;
  attributes.antialias = EM_FALSE;  // the desktop's window has no multisampling either
  attributes.majorVersion = 1;
  // A run of a fixed number of frames keeps its last one readable for whoever compares pictures.
  attributes.preserveDrawingBuffer = g_options.frames > 0 ? EM_TRUE : EM_FALSE;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
  return context > 0 && emscripten_webgl_make_context_current(context) == EMSCRIPTEN_RESULT_SUCCESS;
}

void bringSceneUp() {
  if (g_options.fixedDt > 0.0) useFixedClock(g_options.fixedDt);
  g_wavePhase = g_startPhase;
  g_runControl = RunControl{};
  g_runControl.frameLimit = g_options.frames;
  g_runControl.loopLimit = g_options.loops;
  // The page's device turns each line into one console message (web/pre.js).
  if (!g_options.eventLog.empty() && !openEventLog(g_options.eventLog)) {
    std::fprintf(stderr, "karvosta: cannot write the event log %s\n", g_options.eventLog.c_str());
  }
  initScene(g_options, true);
  g_timelineStart = readCounter();
  g_sceneUp = true;
}

void takeSceneDown() {
  if (!g_sceneUp) return;
  shutdownScene(true);   // closes the event log too
  shutdownSoundLayer();  // the page stays: its sounds must stop with the demo
  g_sceneUp = false;
}

// The frame pass as the desktop's display callback makes it, without a buffer swap: the browser
// shows the canvas when the callback returns. True after the last frame of a limited run.
bool displayFrame() {
  drawScene();
  const double start = beginPhase();
  drawOverlays(true);
  ++g_runControl.framesDrawn;
  const bool last = (g_runControl.frameLimit > 0 && g_runControl.framesDrawn >= g_runControl.frameLimit) ||
                    (g_runControl.loopLimit > 0 && g_runControl.loopsDone >= g_runControl.loopLimit);
  // The browser draws what the program queued in its own time, up to a second behind when the
  // frames come back to back. Reading a pixel waits for all of it: the last frame stands on the
  // canvas, and in the frame times, when the run says it is done.
  if (last) {
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  }
  endPhase(FramePhase::Overlays, start);
  markFrameEnd();
  return last;
}

// A pause (a hidden tab, a lost context) is left out of the run: the script and the toggle message
// go on from where they stood, not by the stall bound's quarter second. The frame-rate meter drops
// the gap as it drops a stall's (countFrame), so the script's firing windows keep their width.
void leaveOutPause() {
  const int64_t now = readCounter();
  const int64_t paused = now - g_frameCounter;
  g_timelineStart += paused;
  g_messageStart += paused;
  g_frameCounter = now;
}

void onAnimationFrame();

// The frames run while the viewer has started them, the tab shows and WebGL is there.
void steerFrames() {
  const bool wanted = g_started && !g_hidden && !g_contextLost;
  if (wanted == g_framesGoing) return;
  g_framesGoing = wanted;
  if (!wanted) {
    emscripten_pause_main_loop();
    return;
  }
  leaveOutPause();
  emscripten_resume_main_loop();
}

void stopFrames() {
  if (g_started) emscripten_cancel_main_loop();
  g_started = g_framesGoing = false;
}

// One animation frame: the idle step, then the frame. The desktop's main loop runs one more idle
// step after the frame that ends a limited run; so does this, for the same event log.
void onAnimationFrame() {
  if (advanceWorld()) ++g_runControl.loopsDone;
  if (displayFrame()) {
    stopFrames();
    if (advanceWorld()) ++g_runControl.loopsDone;
    printFrameProfile();
    takeSceneDown();
    std::fflush(nullptr);
    tellPage("frames-done");
    return;
  }
  std::fflush(nullptr);  // event-log lines reach the console with their frame
}

void endDemo() {
  stopFrames();
  takeSceneDown();
  std::fflush(nullptr);
  tellPage("ended");
}

// The demo's keys. Handled keys are kept from the browser while the program has the page: F5 must
// not reload it, F3 not open a search, F6 not move to the address bar. They act only on running
// frames: before the viewer's start the scene stands as it will begin.
EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
  static const struct {
    const char* key;
    int glutKey;
  } kToggles[] = {{"F3", GLUT_KEY_F3}, {"F4", GLUT_KEY_F4}, {"F5", GLUT_KEY_F5},
                  {"F6", GLUT_KEY_F6}, {"F7", GLUT_KEY_F7}, {"F8", GLUT_KEY_F8}};
  const bool acting = g_sceneUp && g_framesGoing;
  for (const auto& toggle : kToggles) {
    if (std::strcmp(event->key, toggle.key) != 0) continue;
    if (acting) onSpecialKey(toggle.glutKey, 0, 0);
    return EM_TRUE;
  }
  if (std::strcmp(event->key, "Escape") == 0 || std::strcmp(event->key, "x") == 0 ||
      std::strcmp(event->key, "X") == 0) {
    if (acting) endDemo();
    return EM_TRUE;
  }
  return EM_FALSE;
}

// What an address may ask of the desktop program that a page cannot do; empty when the page can run it.
// `designedAsked`: the address names gl=designed (the options' default, which the page never takes).
std::string refusedInPage(const Options& options, bool designedAsked) {
  if (options.headless) {
    return "headless runs the simulation without a picture, on the command line (node karvosta.js --headless)";
  }
  if (designedAsked) {
    return "gl=designed is desktop OpenGL's fixed pipeline; the page draws through GL ES 2.0 (WebGL 1): gl=es2";
  }
  if (!options.record.empty() || !options.screenshot.empty() || !options.poster.empty()) {
    return "films and screenshots are made by the desktop program";
  }
  return "";
}

}  // namespace

// freeglut's way out of the main loop: here the end of the frames, as after the last frame of a
// limited run.
extern "C" void glutLeaveMainLoop() { stopFrames(); }

// Called by the page: the click on its overlay (or at once with `autostart`) starts the frames, and a
// click on its "start again" after the end brings the scene up anew first.
extern "C" EMSCRIPTEN_KEEPALIVE void karvosta_start() {
  if (g_started || g_contextLost) return;
  if (!g_sceneUp) {
    bringSceneUp();
    displayFrame();
  }
  // The script's clock starts with the frames, not with the page's load.
  if (g_options.fixedDt <= 0.0) {
    g_timelineStart = g_frameCounter = readCounter();
    startFrameRateWindow(g_frameCounter);
  }
  g_started = true;
  emscripten_set_main_loop(onAnimationFrame, 0, 0);
  // A run of a fixed number of frames is for automation: like the desktop program it draws its
  // frames back to back, not at the display's refresh, so that it ends sooner and its frames/s say
  // what the browser can draw. The browser still shows a frame at each refresh.
  if (g_options.frames > 0) emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
  g_framesGoing = !g_hidden;
  if (!g_framesGoing) emscripten_pause_main_loop();
}

// Called by the page when its tab is hidden (1) or shows again (0): a hidden tab's frames wait,
// and the demo goes on where it stood.
extern "C" EMSCRIPTEN_KEEPALIVE void karvosta_hidden(int hidden) {
  g_hidden = hidden != 0;
  steerFrames();
}

// Called by the page on the canvas's webglcontextlost: the frames wait, and every GL object goes
// (in a lost context deleting frees only the names' records). The world stays as it stood.
extern "C" EMSCRIPTEN_KEEPALIVE void karvosta_context_lost() {
  if (g_contextLost) return;
  g_contextLost = true;
  steerFrames();
  if (g_sceneUp) releaseSceneGraphics();
  gfxContextLost();
}

// Called by the page on webglcontextrestored: the same canvas gives a new context with GL's
// defaults. Its extensions are switched on as at creation, the drawing backend gives it its state,
// the scene's GL objects are made anew, and the frames go on where they stood.
extern "C" EMSCRIPTEN_KEEPALIVE void karvosta_context_restored() {
  if (!g_contextLost) return;
  EM_ASM({
    GL.currentContext.initExtensionsDone = false;
    GL.initExtensions(GL.currentContext);
  });
  gfxContextRestored();
  glViewport(0, 0, g_windowWidth, g_windowHeight);
  if (g_sceneUp) rebuildSceneGraphics(g_options);
  g_contextLost = false;
  steerFrames();
}

// Called by the page when the canvas's drawing size changes.
extern "C" EMSCRIPTEN_KEEPALIVE void karvosta_reshape(int width, int height) { onReshape(width, height); }

// The status text of the last toggle key, for the page's tests.
extern "C" EMSCRIPTEN_KEEPALIVE const char* karvosta_status_text() { return g_messageText; }

int main(int argc, char** argv) {
  std::string error;
  switch (parseOptions(argc, argv, g_options, error)) {
    case ParseOutcome::Help:
      std::fputs(usageText(), stdout);
      tellPage("help", usageText());
      return 0;
    case ParseOutcome::Version:
      std::puts("karvosta " KARVOSTA_VERSION);
      tellPage("version", "karvosta " KARVOSTA_VERSION);
      return 0;
    case ParseOutcome::Error:
      std::fprintf(stderr, "karvosta: %s\n", error.c_str());
      tellPage("failed", error.c_str());
      return 2;
    case ParseOutcome::Run:
      break;
  }
  if (g_options.noDialogs) setDialogsEnabled(false);
  if (g_options.profile) enableFrameProfile();
  if (g_options.profile || g_options.frameStats) enableFrameIntervals();
  if (g_options.headless && !inBrowser()) {  // under node, for comparing the simulation with the desktop's
    useFixedClock(g_options.fixedDt);
    if (!g_options.eventLog.empty() && !openEventLog(g_options.eventLog)) {
      std::fprintf(stderr, "karvosta: cannot write the event log %s\n", g_options.eventLog.c_str());
      return 1;
    }
    return runHeadless(g_options);
  }
  bool pathNamed = false;
  for (int i = 1; i < argc; ++i) pathNamed = pathNamed || std::strcmp(argv[i], "--gl") == 0;
  const std::string refused = refusedInPage(g_options, pathNamed && g_options.graphics == GraphicsPath::kDesigned);
  if (!refused.empty()) {
    std::fprintf(stderr, "karvosta: %s\n", refused.c_str());
    tellPage("failed", refused.c_str());
    return 2;
  }
  if (!createContext()) {
    tellPage("no-webgl");
    return 1;
  }
  selectGraphicsPath(GraphicsPath::kEs2);  // WebGL 1 is GL ES 2.0
  g_startPhase = g_wavePhase;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, onKeyDown);
  int width = 0, height = 0;
  emscripten_get_canvas_element_size("#canvas", &width, &height);
  onReshape(width, height);
  // The first frame stands under the page's "click to start" until the viewer starts the frames.
  bringSceneUp();
  displayFrame();
  tellPage("ready");
  return 0;
}
