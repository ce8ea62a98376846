// Procedural pictures: wood, paint, canvas and flags for the models, the placeholder, the sky dome
// fold-out and the ripple normal map. All values are linear 0..1 colours written as bytes.
#include "textures.h"

#include "det_math.h"

namespace {

constexpr Color kBlackPaint{0.07, 0.065, 0.06};
constexpr Color kOchre{0.70, 0.52, 0.20};
constexpr Color kRailWood{0.33, 0.21, 0.11};
constexpr Color kWhitePaint{0.80, 0.78, 0.72};
constexpr Color kCopper{0.42, 0.25, 0.14};
constexpr Color kVerdigris{0.22, 0.34, 0.28};

double frac(double x) { return x - dm::floor(x); }

// Per-index pseudo-random value in [0, 1), stable for a given seed.
double cellRandom(int64_t i, int64_t j, uint64_t seed) {
  return static_cast<double>(dm::hash3(i, j, seed) >> 11) * (1.0 / 9007199254740992.0);
}

// Planking: boards run along u, `boards` of them per unit of v, butt joints staggered per board.
// Returns a brightness factor around 1 (seams and joints darker, grain and board tint varying).
double plankShade(double u, double v, int boards, double boardLength, uint64_t seed) {
  const double pv = v * boards;
  const int64_t board = static_cast<int64_t>(dm::floor(pv));
  const double inBoard = frac(pv);
  const double offset = cellRandom(board, 0, seed);
  const double along = u / boardLength + offset;
  const int64_t piece = static_cast<int64_t>(dm::floor(along));
  const double inPiece = frac(along);
  double shade = 0.92 + 0.16 * cellRandom(board, piece, seed + 1);
  // Grain: stretched noise along the board.
  shade *= 1.0 + 0.10 * dm::fbm(u * 90.0 + static_cast<double>(board) * 13.0, v * boards * 3.0, 3, seed + 2);
  if (inBoard < 0.10) shade *= 0.62;                                // seam between boards
  if (inPiece * boardLength < 0.004) shade *= 0.7;                 // butt joint, ~1 texel wide
  return shade;
}

Color paintedBand(double u, double v, Color paint, uint64_t seed) {
  // Paint over planks: the boards show faintly through.
  const double shade = plankShade(u, v, 70, 0.35, seed);
  return paint * (0.85 + 0.15 * shade) * (1.0 + 0.04 * dm::fbm(u * 30.0, v * 30.0, 3, seed + 9));
}

Color copperBottom(double u, double v, uint64_t seed) {
  // Sheathing plates about 1/40 of the hull long, with verdigris patches.
  const double pu = u * 40.0 + (static_cast<int64_t>(dm::floor(v * 60.0)) % 2) * 0.5;
  const double pv = v * 60.0;
  const double tint = 0.9 + 0.2 * cellRandom(static_cast<int64_t>(dm::floor(pu)), static_cast<int64_t>(dm::floor(pv)), seed);
  const double patch = dm::smoothstep(0.1, 0.5, dm::fbm(u * 12.0, v * 20.0, 4, seed + 3));
  Color c = mixColor(kCopper, kVerdigris, patch * 0.8) * tint;
  if (frac(pu) < 0.05 || frac(pv) < 0.08) c = c * 0.8;
  return c;
}

struct HullPaint {
  Color lower;      // between waterline stripe and wale
  Color wale;       // thick strake below the port band
  Color portBand;   // the band the gun ports sit in
  Color upper;      // above the port band
  Color waterline;  // thin stripe at the waterline
  uint64_t seed;
};

Image makeHull(const HullPaint& paint) {
  Image img(256, 256);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const double u = (x + 0.5) / img.width, v = (y + 0.5) / img.height;
      Color c;
      if (v < kHullVWaterline - 0.02) {
        c = copperBottom(u, v, paint.seed);
      } else if (v < kHullVWaterline + 0.02) {
        c = paintedBand(u, v, paint.waterline, paint.seed);
      } else if (v < 0.61) {
        c = paintedBand(u, v, paint.lower, paint.seed);
      } else if (v < kHullVPortBandLow - 0.005) {
        c = paintedBand(u, v, paint.wale, paint.seed) * 0.9;
      } else if (v < kHullVPortBandHigh) {
        c = paintedBand(u, v, paint.portBand, paint.seed);
      } else if (v < 0.95) {
        c = paintedBand(u, v, paint.upper, paint.seed);
      } else {
        c = kRailWood * plankShade(u, v, 70, 0.5, paint.seed + 5);
      }
      img.set(x, y, c);
    }
  }
  return img;
}

}  // namespace

Image makeHullFrigate() {
  // Black hull with an ochre band along the gun ports.
  return makeHull({kBlackPaint, {0.05, 0.045, 0.04}, kOchre, kBlackPaint, kWhitePaint * 0.9, 101});
}

Image makeHullBrig() {
  // Varnished oak with a white port band and a dark green top.
  const Color oak{0.40, 0.26, 0.13};
  return makeHull({oak, {0.10, 0.07, 0.05}, kWhitePaint, {0.07, 0.18, 0.12}, kBlackPaint, 202});
}

Image makeDeck() {
  // Tiles along both axes: boards span whole texture periods.
  Image img(128, 128);
  const Color deck{0.50, 0.38, 0.24};
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const double u = (x + 0.5) / img.width, v = (y + 0.5) / img.height;
      const int board = y / 16;
      const double inBoard = (y % 16 + 0.5) / 16.0;
      const int jointX = static_cast<int>(cellRandom(board, 0, 77) * 128.0);
      double shade = 0.9 + 0.2 * cellRandom(board, 1, 77);
      shade *= 1.0 + 0.12 * dm::periodicFbm(u * 8.0, v * 32.0, 8, 4, 78 + board);
      if (inBoard < 0.09) shade *= 0.55;
      if (x == jointX || x == (jointX + 1) % 128) shade *= 0.65;
      img.set(x, y, deck * shade);
    }
  }
  return img;
}

Image makeWood() {
  // Spars: grain runs along v (the spar's length); tiles in both directions.
  Image img(128, 128);
  const Color wood{0.34, 0.22, 0.12};
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const double u = (x + 0.5) / img.width, v = (y + 0.5) / img.height;
      const double grain = dm::periodicFbm(u * 24.0, v * 3.0, 24, 4, 303);
      const double rings = 0.5 + 0.5 * dm::sin(dm::kTwoPi * (u * 12.0 + grain * 1.5));
      img.set(x, y, wood * (0.85 + 0.25 * rings + 0.1 * grain));
    }
  }
  return img;
}

Image makeCanvas() {
  // Sail cloth: u across the sail, v from the foot (0) to the head (1). Vertical cloths with seams,
  // two reef bands near the head, a faint weave and grime toward the foot.
  Image img(128, 128);
  const Color cloth{0.74, 0.70, 0.60};
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const double u = (x + 0.5) / img.width, v = (y + 0.5) / img.height;
      double shade = 1.0 + 0.05 * dm::periodicFbm(u * 16.0, v * 16.0, 16, 4, 404);
      shade *= 0.97 + 0.06 * cellRandom(x / 16, 0, 405);  // each cloth a slightly different bolt
      if (x % 16 == 0) shade *= 0.78;                        // seam
      if (x % 16 == 2) shade *= 0.92;                        // its second stitching line
      if (y == 110 || y == 92) shade *= 0.8;                 // reef bands
      if ((y == 108 || y == 90) && x % 8 == 4) shade *= 0.6;  // reef points
      shade *= 0.9 + 0.1 * dm::smoothstep(0.0, 0.4, v);      // weathered foot
      img.set(x, y, cloth * shade);
    }
  }
  return img;
}

Image makeFlagFrigate() {
  // Dark blue with a yellow cross set toward the hoist (u = 0 at the staff).
  Image img(64, 32);
  const Color blue{0.06, 0.12, 0.45}, yellow{0.85, 0.70, 0.10};
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const bool cross = (x >= 18 && x < 26) || (y >= 12 && y < 20);
      const double weave = 1.0 + 0.05 * dm::fbm(x * 0.5, y * 0.5, 2, 505);
      img.set(x, y, (cross ? yellow : blue) * weave);
    }
  }
  return img;
}

Image makeFlagBrig() {
  // Red, white, red in horizontal stripes.
  Image img(64, 32);
  const Color red{0.62, 0.06, 0.06}, white{0.82, 0.80, 0.76};
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const bool middle = y >= 11 && y < 21;
      const double weave = 1.0 + 0.05 * dm::fbm(x * 0.5, y * 0.5, 2, 606);
      img.set(x, y, (middle ? white : red) * weave);
    }
  }
  return img;
}

Image makeTemplate() {
  // Neutral grey check, 8-pixel squares.
  Image img(64, 64);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const double g = ((x / 8 + y / 8) % 2 == 0) ? 0.38 : 0.62;
      img.set(x, y, {g, g, g});
    }
  return img;
}

const std::vector<TextureDef>& textureTable() {
  static const std::vector<TextureDef> table = {
      {"template.bmp", makeTemplate},       {"dome256256.bmp", makeDome},
      {"bumpversion_nm.bmp", makeBumpMap},  {"hull_frigate.bmp", makeHullFrigate},
      {"hull_brig.bmp", makeHullBrig},      {"deck.bmp", makeDeck},
      {"wood.bmp", makeWood},               {"canvas.bmp", makeCanvas},
      {"flag_frigate.bmp", makeFlagFrigate}, {"flag_brig.bmp", makeFlagBrig},
      {"smoke.bmp", makeSmokeSprite},       {"spray.bmp", makeSpraySprite},
      {"foam.bmp", makeFoamSprite},         {"flash.bmp", makeFlashSprite},
      {"splinter.bmp", makeSplinterSprite}, {"feather.bmp", makeFeatherSprite},
  };
  return table;
}
