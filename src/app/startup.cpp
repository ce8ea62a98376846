// Start-up and shutdown: every world object is created here in a fixed order and released at the end.
#include <cstdint>

#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/reflection_target.h"
#include "app/scene.h"
#include "app/text_overlay.h"
#include "assets/gl_state.h"
#include "assets/mesh_model.h"
#include "assets/texture.h"
#include "audio/sound_layer.h"
#include "camera/camera_rig.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "effects/effects.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "sim/entity_draw.h"  // Required for: g_frustumCulling
#include "sim/world.h"
#include "sky/sky_dome.h"
#include "sound/sound_bank.h"
#include "water/water_surface.h"

void setUpGlState() {
  g_wireframe = false;
  gfxPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  g_frustumCulling = true;
  g_renderPath = RenderPath::DisplayList;
  gfxEnable(GL_DEPTH_TEST);
  gfxDepthFunc(GL_LESS);
  // The modelview matrix stays the identity between drawing operations; the camera lives in the
  // projection matrix, so lighting is computed in world coordinates.
  gfxMatrixMode(GL_MODELVIEW);
  gfxLoadIdentity();
  glClearColor(0, 0, 0, 0);
  gfxShadeModel(GL_SMOOTH);
  // Models are drawn at half size: without rescaling, their normals would come out twice as long
  // and every model would be lit twice as brightly as its materials say.
  gfxEnable(GL_RESCALE_NORMAL);
  gfxEnable(GL_TEXTURE_2D);
  resetTextureWrap();
  gfxTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
  gfxLightfv(GL_LIGHT0, GL_POSITION, g_lightPosition);
  gfxLightModelfv(GL_LIGHT_MODEL_AMBIENT, g_ambientLight);
  gfxEnable(GL_LIGHTING);
  gfxEnable(GL_LIGHT0);
  gfxEnable(GL_TEXTURE_2D);
}

namespace {

void loadModelGraphics(MeshModel& model) {
  model.loadTextures();
  model.buildDisplayList();
}

MeshModel* loadModel(const char* path, bool withGraphics) {
  MeshModel* model = new MeshModel();
  model->loadAse(path);
  if (withGraphics) loadModelGraphics(*model);
  return model;
}

void createReflection() {
  glGenTextures(1, &g_reflectionTexture);
  createReflectionTarget();
}

// The sea: grid, shading (with graphics), wave and the current phase.
WaterSurface* makeSea(bool withGraphics) {
  auto* sea = new WaterSurface(-1500, 1500, 50, -1500, 1500, 50, 0, g_lightPosition, g_reflectionTexture,
                               withGraphics);
  const int waveOrigin[2] = {0, 0};
  const int waveDirection[2] = {2, 1};
  sea->setWave(waveOrigin, waveDirection, static_cast<float>(g_waveLength), static_cast<float>(g_waveAmplitude));
  sea->setPhase(g_wavePhase);
  return sea;
}

// The same sea made anew, with or without its shading; F4's and F6's switches stay as they stood.
void replaceSea(bool withGraphics) {
  WaterSurface* sea = makeSea(withGraphics);
  if (g_water != nullptr) {
    sea->bumpMapOff = g_water->bumpMapOff;
    sea->quadStripMode = g_water->quadStripMode;
  }
  delete g_water;
  g_water = sea;
}

void loadSkyGraphics() {
  // The reflection texture's first content only gives it storage; every frame replaces it.
  gfxBindTexture(GL_TEXTURE_2D, g_reflectionTexture);
  loadBmpTexture("../data/textures/template.bmp");
  glGenTextures(1, &g_domeTexture);
  gfxBindTexture(GL_TEXTURE_2D, g_domeTexture);
  loadBmpTexture("../data/textures/dome256256.bmp");
  buildSkyDome();
}

// Every GL object of the scene but the sea's, which go with the sea.
void releaseGraphicsBesideSea() {
  destroyReflectionTarget();
  releaseEffectSprites();
  stopScreenText();
  for (MeshModel* model : {g_shipModel1, g_shipModel2, g_duckModel}) {
    if (model != nullptr) model->releaseGraphics();
  }
  releaseSkyDome();
  gfxDeleteTexture(g_domeTexture);
  gfxDeleteTexture(g_reflectionTexture);
  g_domeTexture = g_reflectionTexture = 0;
}

}  // namespace

void initScene(const Options& options, bool withGraphics) {
  if (withGraphics) {
    setUpGlState();
    createReflection();
  }
  g_perfFrequency = counterFrequency();
  g_water = makeSea(withGraphics);
  if (withGraphics) {
    loadSkyGraphics();
    startScreenText(options.text);
  }

  g_shipModel1 = loadModel("../data/objects/schiff1.ase", withGraphics);
  g_shipModel2 = loadModel("../data/objects/schiff2.ase", withGraphics);
  g_duckModel = loadModel("../data/objects/ente.ase", withGraphics);

  g_camera = new CameraRig();

  setSoundMuted(options.mute);
  g_sounds = new SoundBank();
  g_sounds->startWindAndSails();
  g_sounds->startOcean();

  setupScenario();

  const uint32_t seed = options.hasSeed ? options.seed : static_cast<uint32_t>(readCounter());
  seedRandom(seed);
  // The effects draw from a generator of their own, seeded from the run's seed; without a picture
  // there is nothing to spawn them for.
  if (withGraphics) loadEffectSprites();
  startEffects(seed);
  setEffectsOn(withGraphics && !options.noEffects);

  const int64_t now = readCounter();
  g_frameCounter = now;
  g_messageStart = now;
  startFrameRateWindow(now);
}

void releaseSceneGraphics() {
  releaseGraphicsBesideSea();
  if (g_water != nullptr) replaceSea(false);
}

void rebuildSceneGraphics(const Options& options) {
  createReflection();
  replaceSea(true);
  loadSkyGraphics();
  startScreenText(options.text);
  for (MeshModel* model : {g_shipModel1, g_shipModel2, g_duckModel}) {
    if (model != nullptr) loadModelGraphics(*model);
  }
  loadEffectSprites();
}

void shutdownScene(bool withGraphics) {
  // GLUT destroys the window before its main loop returns, so the context may be gone already.
  if (withGraphics && glContextCurrent()) {
    gfxDisable(GL_TEXTURE_2D);
    gfxDisable(GL_DEPTH_TEST);
    gfxDisable(GL_LIGHTING);
    gfxDisable(GL_LIGHT0);
    releaseGraphicsBesideSea();
  } else if (withGraphics) {
    stopScreenText();
  }
  stopEffects();
  delete g_shipModel1;
  delete g_shipModel2;
  delete g_duckModel;
  g_shipModel1 = g_shipModel2 = g_duckModel = nullptr;
  delete g_water;
  g_water = nullptr;
  delete g_camera;
  g_camera = nullptr;
  delete g_sounds;
  g_sounds = nullptr;
  clearWorld();
  closeEventLog();
}
