// The effects as drawn, off-screen, over a plain blue sea seen from a fixed camera: white water where
// a ball fell and open sea beside it, a storm of broadsides drawn from the full pool with the scene's
// GL state given back. (Where the smoke starts is test_effects'; the smoke beside the firing side in
// the program's picture, test_battle_pictures'.) Runs in <build>/bin.
#include <gtest/gtest.h>

#include <memory>

#include "app/scene.h"
#include "camera/view.h"
#include "drawing/gl.h"
#include "effects/effects.h"
#include "gl_context.h"
#include "sim/events.h"
#include "sim/world.h"

namespace {

constexpr int kSize = 200;  // pixels, square like the scene's aspect ratio

bool isPale(const Rgb& c) { return c[0] > 110 && c[1] > 110 && c[2] > 110; }

class EffectsDraw : public GlPathTest {
 protected:
  void SetUp() override {
    GlPathTest::SetUp();
    target = std::make_unique<OffscreenTarget>(kSize, kSize);
    clearWorld();
    setUpGlState();
    loadEffectSprites();
    startEffects(5);
    setEffectsOn(true);
    g_viewEye = {0.0f, -300.0f, 150.0f, 1.0f};
    g_viewTarget = {0.0f, 0.0f, 0.0f, 1.0f};
    g_viewUp = {0.0f, 0.0f, 1.0f, 0.0f};
  }
  void TearDown() override {
    stopEffects();
    releaseEffectSprites();
    GlPathTest::TearDown();
  }

  // The sea as a blue backdrop, the effects over it; returns the picture.
  std::vector<uint8_t> draw() {
    target->bind();
    glClearColor(0.0f, 0.1f, 0.55f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    gfxMatrixMode(GL_PROJECTION);
    gfxLoadIdentity();
    gfxPerspective(45.0, 1.0, 50.0, 1000.0);
    gfxLookAt(0, -300, 150, 0, 0, 0, 0, 0, 1);
    gfxMatrixMode(GL_MODELVIEW);
    drawEffects(ViewPass::Main);
    std::vector<uint8_t> pixels = target->readPixels();
    target->unbind();
    return pixels;
  }

  // The window pixel of a world point.
  Rgb at(const std::vector<uint8_t>& pixels, double x, double y, double z) {
    const std::array<int, 2> pixel = pixelOf(x, y, z, kSize, kSize);
    return target->pixelAt(pixels, pixel[0], pixel[1]);
  }

  std::unique_ptr<OffscreenTarget> target;  // made once the context exists
};

TEST_P(EffectsDraw, WhiteWaterWhereTheBallFell) {
  ASSERT_TRUE(target->complete());
  WorldEventInfo splash{WorldEvent::Splash, nullptr, -1, 500};
  splash.x = 0, splash.y = 0;
  spawnEffectsFor(splash);
  updateEffects(0.3);
  const std::vector<uint8_t> pixels = draw();
  EXPECT_TRUE(isPale(at(pixels, 0, 0, 1))) << "no white water where the ball fell";
  EXPECT_FALSE(isPale(at(pixels, 120, 0, 0))) << "white water far from the splash";
}

TEST_P(EffectsDraw, AStormOfBroadsidesIsDrawnAndTheSceneStateGivenBack) {
  ASSERT_TRUE(target->complete());
  WorldEventInfo broadside{WorldEvent::BroadsideFired, "Storm", 1, 30};
  broadside.x = -60, broadside.toX = 60;
  broadside.heading = 270;  // towards the camera
  for (int i = 0; i < 400; ++i) spawnEffectsFor(broadside);
  updateEffects(0.05);
  EXPECT_EQ(g_particles.living(), ParticlePool::kCapacity);
  const std::vector<uint8_t> pixels = draw();
  EXPECT_TRUE(isPale(at(pixels, 0, -40, 15)));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  GLint environment = 0;
  gfxGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_EQ(environment, GL_ADD);
  EXPECT_TRUE(depthWrites);
  EXPECT_TRUE(gfxIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(gfxIsEnabled(GL_BLEND));
}

INSTANTIATE_DRAWING_PATHS(EffectsDraw);

}  // namespace
