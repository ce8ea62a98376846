// Drawing of the world's ships, ducks and cannonballs, riding on the sea. Needs a GL context.
#pragma once
#include "camera/view.h"  // Required for: ViewPass

class ReflectionCover;
struct Ship;

// F5: ships outside the camera's view wedge are skipped (on at start-up). A drawing path that spares
// unseen work (gfxSparesUnseenWork) also skips every model, ship or duck, that lies wholly outside
// the view.
extern bool g_frustumCulling;

// What the latest drawEntities call drew; lets tests see culling and the sinking box. A ship or duck
// whose model was skipped as wholly outside the view counts as drawn, and in modelsOutside.
struct EntityDrawCounts {
  int ships = 0;
  int ducks = 0;
  int balls = 0;
  int sinkBoxes = 0;
  int modelsOutside = 0;
};
extern EntityDrawCounts g_entityDrawCounts;

// Draws every ship inside the view wedge (every ship when g_frustumCulling is off or there is no
// camera), then every duck, then every cannonball. The modelview matrix is current on entry and
// unchanged on return; materials and texture wrap modes are left as the last object set them. With
// `cover`, the box of every object drawn in colour is added to it, in the current projection's terms.
void drawEntities(ViewPass pass, ReflectionCover* cover = nullptr);
// Its two halves, for a caller that takes them apart (bench_frame_parts); neither resets the counts.
void drawShips(ViewPass pass, ReflectionCover* cover = nullptr);
void drawDucksAndBalls(ReflectionCover* cover = nullptr);

// One ship on the water's surface pose; a sunk ship gets a black box hiding its reflection in
// the reflection pass. A ship of unknown type or without a model draws no model.
void drawShip(Ship* ship, ViewPass pass, ReflectionCover* cover = nullptr);
