// Procedural pictures of the run-time tree: the material textures the models name, the reflection
// placeholder, the sky dome fold-out and the water's ripple normal map.
#pragma once
#include <string>
#include <vector>

#include "image.h"
#include "mesh.h"

struct TextureDef {
  const char* fileName;  // under data/textures
  Image (*make)();
};

// Every picture the generator writes, in a fixed order.
const std::vector<TextureDef>& textureTable();

// Light that the demo adds under the dome texture (ambient light x dome material); the texture holds
// the sky colour minus this, since the two are summed.
constexpr double kDomeBaseR = 0.24, kDomeBaseG = 0.24, kDomeBaseB = 0.30;

// Sky direction (unit vector from the dome centre) that the dome's eight strips show at texture (s, t).
Vec3 domeDirection(double s, double t);
// On-screen sky colour for a direction (before the base light is taken off).
Color skyColor(Vec3 direction);

Image makeTemplate();
Image makeDome();
Image makeBumpMap();
Image makeHullFrigate();
Image makeHullBrig();
Image makeDeck();
Image makeWood();
Image makeCanvas();
Image makeFlagFrigate();
Image makeFlagBrig();
// The effects' sprites (sprites.cpp).
Image makeSmokeSprite();
Image makeSpraySprite();
Image makeFoamSprite();
Image makeFlashSprite();
Image makeSplinterSprite();
Image makeFeatherSprite();

// Hull texture layout, shared with the ship builder: v runs from the keel (0) to the rail (1).
constexpr double kHullVWaterline = 0.35;  // v of the waterline at every station
constexpr double kHullVPortBandLow = 0.66;
constexpr double kHullVPortBandHigh = 0.82;
constexpr double kHullVPortCentre = 0.74;  // gun ports sit on this line
