// What a frame's texts cost: the counter, a toggle message and the four title lines drawn off-screen
// at 800x600 and 1920x1080, from the bitmap font and from the glyph atlas, each draw finished (glFinish)
// before the next. Needs an X display (run under xvfb-run).
#include <benchmark/benchmark.h>

#include <unistd.h>  // Required for: chdir

#include <cstring>

#include "app/globals.h"
#include "app/scene.h"
#include "app/text_overlay.h"
#include "offscreen_context.h"
#include "platform/dialog.h"
#include "sim/world.h"

namespace {

const char* const kTitles[4] = {"Lumbrix presents", "KARVOSTA", "erhaeltlich ab Juli 2006", "(c) by Ardwyn, Pellomar"};

// mode (0 auto, 1 atlas, 2 bitmap), width, height; one iteration = one frame's texts.
void BM_FrameTexts(benchmark::State& state) {
  static bool opened = openHiddenContext("bench_text");
  if (!opened || chdir(KARVOSTA_RUNTIME_DIR "/bin") != 0) {
    state.SkipWithError("no X display or run-time tree");
    return;
  }
  setDialogsEnabled(false);
  setUpGlState();
  const TextMode modes[] = {TextMode::Auto, TextMode::Atlas, TextMode::Bitmap};
  startScreenText(modes[state.range(0)]);
  const int width = static_cast<int>(state.range(1)), height = static_cast<int>(state.range(2));
  const GLuint target = bindOffscreenTarget(width, height);
  g_windowWidth = width;
  g_windowHeight = height;
  const float scale = screenTextRule().scale;
  for (int i = 0; i < 4; ++i) {
    ScrollText* line = new ScrollText(100, kTitles[i], width, height, scale);
    line->y -= 100.0f * i;
    g_scrollTexts.append(line);
  }
  std::strcpy(g_messageText, "View Frustum Culling  OFF");
  state.SetLabel(screenTextRule().atlas ? "atlas" : "bitmap");

  drawFrameRate();  // the first draw of a program or texture costs more than any later one
  glFinish();
  for (auto _ : state) {
    drawFrameRate();
    drawToggleMessage();
    drawScrollTexts();
    glFinish();
  }
  g_scrollTexts.clear();
  stopScreenText();
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &target);
}
BENCHMARK(BM_FrameTexts)
    ->Args({0, 800, 600})
    ->Args({2, 1920, 1080})
    ->Args({0, 1920, 1080})
    ->Args({1, 800, 600})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
