// Drawing of the world's ships, ducks and cannonballs, riding on the sea.
#include "sim/entity_draw.h"

#include <cmath>     // Required for: sqrt(), fabs()
#include <optional>

#include "assets/gl_state.h"
#include "assets/mesh_model.h"
#include "assets/model_frame.h"
#include "camera/camera_rig.h"
#include "camera/view_wedge.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "drawing/matrix4.h"
#include "drawing/shader_layer.h"
#include "sim/world.h"
#include "water/reflection_cover.h"
#include "water/water_surface.h"

EntityDrawCounts g_entityDrawCounts;
bool g_frustumCulling = true;

namespace {

constexpr float kBallHeight = 10.0f;      // world units above the still sea, whatever the waves do
constexpr double kBallRadius = 1.4;       // world units
constexpr int kBallSlices = 5;

// Flat water when there is no sea.
SurfacePose surfaceAt(float x, float y) {
  if (g_water == nullptr) return SurfacePose{0.0f, 0.0f, 0.0f, 1.0f, 0.0f};
  return g_water->surfaceAt(x, y);
}

// Adds the box (in the current modelview's object space) to the cover, if there is one.
void addToCover(ReflectionCover* cover, const std::array<float, 3>& low, const std::array<float, 3>& high) {
  if (cover == nullptr) return;
  float clipFromObject[16];
  shaderCurrentModelViewProjection(clipFromObject);
  cover->addBox(clipFromObject, low, high);
}

// A model as drawn: MeshModel::draw leaves its own scale on the matrix, where its box then fits.
// With culling on, a path that spares unseen work leaves out a model that GL would clip away
// entirely (its scale still applied).
void drawModel(const MeshModel* model, ReflectionCover* cover) {
  if (model == nullptr) return;
  if (g_frustumCulling && gfxSparesUnseenWork()) {
    constexpr auto scale = static_cast<float>(kModelDrawScale);
    Matrix4 clip{};
    shaderCurrentModelViewProjection(clip.data());
    if (boxOutsideClipVolume(multiply(clip, scaleMatrix(scale, scale, scale)), model->boundsLow, model->boundsHigh)) {
      gfxScalef(scale, scale, scale);
      ++g_entityDrawCounts.modelsOutside;
      return;
    }
  }
  model->draw(g_renderPath);
  addToCover(cover, model->boundsLow, model->boundsHigh);
}

// Texturing back on with repeat wrap, on whatever 2D texture is bound now.
void restoreTexturing() {
  gfxEnable(GL_TEXTURE_2D);
  resetTextureWrap();
}

// The reflection pass draws on black; a black box around the hull hides the part of the sinking
// ship that lies below the water. Drawn in the frame the model's draw left behind, which is scaled
// by one half, so every length here counts half in world units.
void drawSinkBox(const Ship& ship) {
  static const GLfloat kBlack[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  gfxDisable(GL_TEXTURE_2D);
  setFlatMaterial(GL_FRONT_AND_BACK, kBlack);
  gfxTranslatef(0.0f, 0.0f, -ship.z - 35.0f);
  // Half minor axis of the hit ellipse, from integers; a ship whose foci lie outside its radius
  // (an ellipse that cannot exist) gets a box without width rather than a NaN.
  const int64_t minorSquared = static_cast<int64_t>(ship.radius) * ship.radius -
                               static_cast<int64_t>(ship.focalDistance) * ship.focalDistance;
  const double halfMinor = minorSquared > 0 ? std::sqrt(static_cast<double>(minorSquared)) : 0.0;
  gfxScalef(7.0f * ship.radius, static_cast<GLfloat>(3.5 * halfMinor), 2.0f * std::fabs(ship.z) + 35.0f);
  gfxSolidCube(1.0);
  gfxEnable(GL_TEXTURE_2D);
  ++g_entityDrawCounts.sinkBoxes;
}

void drawDuck(const Duck& duck, ReflectionCover* cover) {
  gfxPushMatrix();
  const SurfacePose pose = surfaceAt(duck.x, duck.y);
  gfxTranslatef(duck.x, duck.y, pose.surfaceZ);
  gfxRotatef(pose.angle, pose.axisX, pose.axisY, pose.axisZ);
  gfxRotatef(duck.heading, 0.0f, 0.0f, 1.0f);
  drawModel(g_duckModel, cover);
  gfxPopMatrix();
  ++g_entityDrawCounts.ducks;
}

void drawBall(const Cannonball& ball, ReflectionCover* cover) {
  static const GLfloat kIron[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  gfxPushMatrix();
  gfxTranslatef(ball.x, ball.y, kBallHeight);
  gfxDisable(GL_TEXTURE_2D);
  setFlatMaterial(GL_FRONT_AND_BACK, kIron);
  gfxSolidSphere(kBallRadius, kBallSlices, kBallSlices);
  constexpr float r = static_cast<float>(kBallRadius);
  addToCover(cover, {-r, -r, -r}, {r, r, r});
  restoreTexturing();
  gfxPopMatrix();
  ++g_entityDrawCounts.balls;
}

}  // namespace

void drawShip(Ship* ship, ViewPass pass, ReflectionCover* cover) {
  if (ship == nullptr) return;
  gfxPushMatrix();
  const SurfacePose pose = surfaceAt(ship->x, ship->y);
  gfxTranslatef(ship->x, ship->y, pose.surfaceZ + ship->z);
  gfxRotatef(pose.angle, pose.axisX, pose.axisY, pose.axisZ);
  gfxRotatef(ship->heading - 180.0f, 0.0f, 0.0f, 1.0f);  // ship models face their local -x
  if (ship->type == 1) {
    gfxTranslatef(0.0f, static_cast<GLfloat>(kShipType1Shift), 0.0f);  // the first model is off-centre
    drawModel(g_shipModel1, cover);
  } else if (ship->type == 2) {
    drawModel(g_shipModel2, cover);
  }
  if (ship->sunk && pass == ViewPass::Reflection) drawSinkBox(*ship);
  gfxPopMatrix();
  ++g_entityDrawCounts.ships;
}

void drawShips(ViewPass pass, ReflectionCover* cover) {
  // One wedge per pass, from the rig alone, so the reflection pass culls as the main view does.
  std::optional<ViewWedge> wedge;
  if (g_frustumCulling && g_camera != nullptr) wedge.emplace(*g_camera);
  for (Ship* ship : g_ships) {
    if (!wedge || isInViewWedge(*wedge, ship->x, ship->y)) drawShip(ship, pass, cover);
  }
}

void drawDucksAndBalls(ReflectionCover* cover) {
  for (const Duck* duck : g_ducks) drawDuck(*duck, cover);
  for (const Cannonball* ball : g_cannonballs) drawBall(*ball, cover);
}

void drawEntities(ViewPass pass, ReflectionCover* cover) {
  g_entityDrawCounts = EntityDrawCounts{};
  drawShips(pass, cover);
  drawDucksAndBalls(cover);
}
