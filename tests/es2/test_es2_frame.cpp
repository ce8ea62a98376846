// The whole frame in a real GL ES 2.0 context: Mesa's EGL, off-screen, without a window or a desktop
// GL entry point (libepoxy ends the process at the first call GL ES does not have). Each toggle's
// frames draw without a GL error and show the scene. (That the three model paths give one picture on
// the GL ES path is test_mesh_draw's.)
#include <gtest/gtest.h>

#include <epoxy/egl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "../test_support.h"
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/reflection_target.h"
#include "app/scene.h"
#include "assets/mesh_model.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "timeline/timeline.h"

namespace {

constexpr int kWidth = 400, kHeight = 300;

// An EGL context of GL ES 2.0 on Mesa's surfaceless platform, current from creation on.
bool makeEs2Context() {
  const auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) return false;
  const EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs == 0) return false;
  eglBindAPI(EGL_OPENGL_ES_API);
  const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
  const EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  return context != EGL_NO_CONTEXT && eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
}

// The frame's target: an RGBA texture and a 16-bit depth buffer, as GL ES 2.0 has them.
struct Target {
  GLuint framebuffer = 0, colour = 0, depth = 0;
  Target() {
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kWidth, kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kWidth, kHeight);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
  }
  std::vector<uint8_t> read() const {
    std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }
};

class Es2Frame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    created = makeEs2Context();
    if (!created) return;
    setDialogsEnabled(false);
    selectGraphicsPath(GraphicsPath::kEs2);
    target = new Target();
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    setMainFramebuffer(target->framebuffer);
    Options options;
    options.fixedDt = 0.02;
    options.hasSeed = true;
    options.seed = 3;
    options.mute = true;
    useFixedClock(options.fixedDt);
    g_windowWidth = kWidth;
    g_windowHeight = kHeight;
    test::captured([&] { initScene(options, true); });
    g_timelineStart = readCounter();
    g_framesPerSecond = 50;  // as the frame pass measures it at this step
    // Into the first exchange of broadsides: both ships, balls, smoke and their reflections.
    for (int step = 0; step < 1100; ++step) advanceWorld();
  }
  void SetUp() override { ASSERT_TRUE(created) << "no GL ES 2.0 context from Mesa's EGL (libegl-mesa0)"; }

  // The frame pass as in a window: the counter and the toggle message drawn.
  static std::vector<uint8_t> frame() {
    drawScene();
    drawOverlays(true);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return target->read();
  }

  static bool created;
  static Target* target;
};
bool Es2Frame::created = false;
Target* Es2Frame::target = nullptr;

// The pixels from x0, y0 to x1, y1 (from the bottom left) of which `is` holds.
int countPixels(const std::vector<uint8_t>& pixels, bool (*is)(const uint8_t*), int x0 = 0, int y0 = 0, int x1 = kWidth,
                int y1 = kHeight) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += is(&pixels[(static_cast<size_t>(y) * kWidth + x) * 4]);
  return n;
}
bool timber(const uint8_t* p) { return p[0] >= 80 && p[0] > p[2] + 30 && p[1] > p[2]; }  // warm browns
bool black(const uint8_t* p) { return p[0] + p[1] + p[2] < 12; }
bool green(const uint8_t* p) { return p[1] >= 90 && p[0] <= 60 && p[2] <= 60; }  // the texts'
// The pale, reddened sea that the sails' mirror image makes below the first ship at this moment.
int mirroredSails(const std::vector<uint8_t>& pixels) {
  return countPixels(pixels, [](const uint8_t* p) { return p[0] > 90 && p[2] < p[0] + 60; }, 20, 65, 130, 110);
}

TEST_F(Es2Frame, EveryToggleDrawsTheShipsAndTheirReflection) {
  const std::vector<uint8_t> first = frame();
  EXPECT_GT(countPixels(first, timber), kWidth * kHeight / 100);
  EXPECT_LT(countPixels(first, black), kWidth * kHeight / 100);
  // GL ES has no bitmap fonts: the counter in the top left corner comes from the glyph atlas, in
  // proportion to the picture.
  EXPECT_GT(countPixels(first, green, 0, kHeight - 25, 120, kHeight), 60);
  for (int key : {GLUT_KEY_F3, GLUT_KEY_F3, GLUT_KEY_F5, GLUT_KEY_F5, GLUT_KEY_F6, GLUT_KEY_F6, GLUT_KEY_F8,
                  GLUT_KEY_F8, GLUT_KEY_F4}) {
    onSpecialKey(key, 0, 0);
    const std::vector<uint8_t> picture = frame();
    EXPECT_GT(countPixels(picture, timber), kWidth * kHeight / 200) << g_messageText;
    // Outlines only: the cleared black shows between the edges of sky, sea and ships.
    if (g_wireframe) {
      EXPECT_GT(countPixels(picture, black), kWidth * kHeight / 3) << g_messageText;
    }
  }
  // Bump map and reflection off now: the sails' light grey below the ships goes with them.
  const int withReflection = mirroredSails(first), without = mirroredSails(frame());
  EXPECT_GT(withReflection, 1000) << "of 4950 pixels";
  EXPECT_LT(without, 100);
  onSpecialKey(GLUT_KEY_F4, 0, 0);
}

}  // namespace
