// The two warships: a lofted hull with sheer and tumblehome, gun ports with guns, masts, yards,
// square and fore-and-aft sails, bowsprit and flags. Model units: bow toward -x, z up, waterline z = 0.
#include <algorithm>

#include "det_math.h"
#include "models.h"
#include "textures.h"

// [SECTION] Game values: the one place to tune the battle.
// Lengths are world units (half the model units); speeds are world units per 1/25 s.
// Energies were set against the scripted battle (headless runs, seeds 1 to 20): the frigate's
// broadsides land about 50 hits on the brig, which sinks 44 to 46 s into the run, as the titles
// begin, and is gone some 10 s later; the frigate takes 11 to 15 of its 24. With about ten each,
// the brig sank to the frigate's second broadside, 19 s in; with 40 it sank just before 40 s.
const GameTableRow kGameTable[3] = {
    //             focal radius energy zOff height speed turn cannons ammo range cannonSpeed
    {"schiff1.ase", {50, 64, 24, 0, 90, 5, 3, 10, 400, 760, 8}},
    {"schiff2.ase", {44, 58, 50, 0, 82, 6, 4, 8, 320, 740, 8}},
    {"ente.ase", {0, 3, 1, 0, 6, 1, 2, 0, 0, 0, 0}},
};

const GameValues& gameValuesFor(const char* fileName) {
  for (const GameTableRow& row : kGameTable) {
    if (std::string(row.fileName) == fileName) return row.values;
  }
  return kGameTable[2].values;
}

namespace {

// [SECTION] Materials
enum ShipMaterial {
  kMatHull,
  kMatDeck,
  kMatSpar,
  kMatCanvas,
  kMatFlag,
  kMatPort,
  kMatIron,
  kMatLid,
  kMatWindow,
  kMatTrim,
  kMatBulwark,
  kMatPennant,
  kMatCount
};

// Textured materials stay dark: the demo adds the texture colour to the lit colour.
MaterialDef textured(const char* name, Color tint, const std::string& bitmap, double shine = 4.0) {
  return {name, tint, tint, {0.05, 0.05, 0.05}, shine, bitmap};
}
MaterialDef plain(const char* name, Color colour, Color specular = {0.05, 0.05, 0.05}, double shine = 4.0) {
  return {name, colour * 0.9, colour, specular, shine, "NONE"};
}

// [SECTION] Hull shape
struct HullShape {
  double length;      // stem to stern post at the rail
  double beam;        // greatest breadth at the waterline
  double draft;       // keel depth below the waterline amidships
  double freeboard;   // rail height above the waterline amidships
  double sheerBow;    // extra rail height at the bow
  double sheerStern;  // extra rail height at the stern
  double transom;     // stern breadth as a fraction of the beam
  double bulwark;     // rail height above the deck
};

constexpr double kTumblehome = 0.10;  // the side narrows by this fraction from waterline to rail
constexpr double kRailWidth = 1.6;
constexpr double kMinHalfBeam = 0.6;  // the stem keeps a little width so no triangle collapses
constexpr int kStations = 26;
constexpr int kBelowSamples = 6;  // section points from keel to waterline (excluding the keel)
constexpr int kAboveSamples = 5;  // section points from waterline to rail

struct Hull {
  HullShape shape;
  double yShift;  // the whole ship is built displaced along y by this

  // Position along the hull: -1 at the bow, +1 at the stern.
  double along(double x) const { return dm::clamp(x / (shape.length * 0.5), -1.0, 1.0); }
  double halfBeam(double x) const {
    const double t = along(x);
    double f;
    if (t < 0.0) {
      f = dm::pow(std::max(0.0, 1.0 - dm::pow(-t, 2.4)), 0.6);
    } else {
      f = 1.0 - (1.0 - shape.transom) * dm::pow(t, 2.5);
    }
    return std::max(kMinHalfBeam, shape.beam * 0.5 * f);
  }
  double rail(double x) const {
    const double t = along(x);
    return shape.freeboard + (t < 0.0 ? shape.sheerBow * t * t : shape.sheerStern * dm::pow(t, 2.2));
  }
  double deck(double x) const { return rail(x) - shape.bulwark; }
  double keel(double x) const {
    const double t = along(x);
    return shape.draft * (t < 0.0 ? 1.0 - 0.85 * dm::pow(-t, 5.0) : 1.0 + 0.08 * t);
  }
  // Section fullness: full U amidships, sharper toward the ends.
  double fullness(double x) const {
    const double t = along(x);
    return 0.55 + 0.8 * t * t;
  }
  // Half-breadth of the side above the waterline at height z.
  double sideAbove(double x, double z) const {
    const double q = z / rail(x);
    return halfBeam(x) * (1.0 - kTumblehome * q * q);
  }
  // Point k of the port side's section: 0 is the keel, kBelowSamples the waterline, then up to the
  // rail. `v` gets the hull texture coordinate (0 keel, kHullVWaterline waterline, 1 rail).
  Vec3 section(double x, int k, double& v) const {
    double y, z;
    if (k <= kBelowSamples) {
      const double angle = 0.5 * dm::kPi * k / kBelowSamples;
      const double sn = dm::sin(angle);
      y = halfBeam(x) * (k == 0 ? 0.0 : dm::pow(sn, fullness(x)));
      z = -keel(x) * dm::cos(angle);
      if (k == kBelowSamples) z = 0.0;
      v = kHullVWaterline * (1.0 + z / keel(x));
    } else {
      z = rail(x) * (k - kBelowSamples) / kAboveSamples;
      y = sideAbove(x, z);
      v = kHullVWaterline + (1.0 - kHullVWaterline) * z / rail(x);
    }
    return {x, y + yShift, z};
  }
  // Outward unit normal of the port side above the waterline (mirror y for starboard).
  Vec3 sideNormal(double x, double z) const {
    constexpr double h = 0.05;
    const Vec3 dx{2 * h, sideAbove(x + h, z) - sideAbove(x - h, z), 0.0};
    const Vec3 dz{0.0, sideAbove(x, z + h) - sideAbove(x, z - h), 2 * h};
    return normalize(cross(dz, dx), {0, 1, 0});
  }
  double stationX(int i) const {
    // Stations crowd toward bow and stern where the shape changes fastest.
    const double s = static_cast<double>(i) / (kStations - 1);
    return -shape.length * 0.5 + shape.length * 0.5 * (1.0 - dm::cos(dm::kPi * s));
  }
};

// Ring of the outer hull at one station: starboard rail, down to the keel, up to the port rail.
std::vector<Vec3> hullRing(const Hull& hull, double x, std::vector<double>* vs) {
  constexpr int kSide = kBelowSamples + kAboveSamples;
  std::vector<Vec3> ring;
  for (int k = kSide; k >= 0; --k) {
    double v;
    Vec3 p = hull.section(x, k, v);
    p.y = hull.yShift - (p.y - hull.yShift);
    ring.push_back(p);
    if (vs) vs->push_back(v);
  }
  for (int k = 1; k <= kSide; ++k) {
    double v;
    ring.push_back(hull.section(x, k, v));
    if (vs) vs->push_back(v);
  }
  return ring;
}

void buildHull(const Hull& hull, Mesh& outer, Mesh& deck, Mesh& rail, Mesh& bulwark) {
  const double halfL = hull.shape.length * 0.5;
  const int ringSize = 2 * (kBelowSamples + kAboveSamples) + 1;
  std::vector<std::vector<Vec3>> rings;
  std::vector<std::vector<double>> ringV;
  for (int i = 0; i < kStations; ++i) {
    std::vector<double> vs;
    rings.push_back(hullRing(hull, hull.stationX(i), &vs));
    ringV.push_back(vs);
  }
  addGrid(outer, kStations, ringSize, [&](int r, int c) { return rings[r][c]; },
          [&](int r, int c) { return Vec2{(hull.stationX(r) + halfL) / hull.shape.length, ringV[r][c]}; });

  // Deck: boards along x; the texture repeats every 40 model units.
  const double ys = hull.yShift;
  auto innerHalf = [&](double x) {
    return std::max(0.0, hull.sideAbove(x, hull.rail(x)) - kRailWidth);
  };
  addGrid(deck, kStations, 2,
          [&](int r, int c) {
            const double x = hull.stationX(r);
            return Vec3{x, ys + (c == 0 ? 1.0 : -1.0) * innerHalf(x), hull.deck(x)};
          },
          [&](int r, int c) {
            const double x = hull.stationX(r);
            return Vec2{x / 40.0, (c == 0 ? 1.0 : -1.0) * innerHalf(x) / 40.0};
          });
  for (int side = 0; side < 2; ++side) {
    const double sy = side == 0 ? 1.0 : -1.0;
    // Rail cap, from the outer edge inward, facing up.
    addGrid(rail, kStations, 2,
            [&](int r, int c) {
              const double x = hull.stationX(r);
              const double outerY = hull.sideAbove(x, hull.rail(x));
              return Vec3{x, ys + sy * (c == 0 ? outerY : innerHalf(x)), hull.rail(x)};
            },
            [&](int r, int c) { return Vec2{hull.stationX(r) / 60.0, c * 0.05}; }, side == 1);
    // Inner face of the bulwark, from the rail down to the deck, facing the ship's centre line.
    addGrid(bulwark, kStations, 2,
            [&](int r, int c) {
              const double x = hull.stationX(r);
              return Vec3{x, ys + sy * innerHalf(x), c == 0 ? hull.rail(x) : hull.deck(x)};
            },
            [&](int r, int c) { return Vec2{hull.stationX(r) / 60.0, c * 0.2}; }, side == 1);
  }

  // Transom and bow caps close the ring; the transom shows the hull paint.
  auto capUv = [&](double u) {
    return [&hull, u](Vec3 p) {
      const double z = p.z;
      const double xr = p.x;
      const double v = z < 0.0 ? kHullVWaterline * (1.0 + z / hull.keel(xr))
                               : kHullVWaterline + (1.0 - kHullVWaterline) * z / hull.rail(xr);
      return Vec2{u, v};
    };
  };
  addPolygon(outer, rings.back(), {1, 0, 0}, capUv(0.995));
  addPolygon(outer, rings.front(), {-1, 0, 0}, capUv(0.005));
}

// [SECTION] Ship design
struct YardDef {
  double z;     // height of the yard
  double half;  // half its length
};

struct MastDef {
  double x;                    // position along the hull
  double top;                  // masthead height
  double topPlatform;          // height of the lower top (0: none)
  std::vector<YardDef> yards;  // bottom to top; a square sail hangs under every yard but the lowest
  double courseFoot;           // foot of the course under the lowest yard (0: no course)
  bool gaffSail;               // fore-and-aft sail abaft this mast
};

struct ShipDesign {
  const char* fileName;
  HullShape hull;
  double yShift;
  std::vector<MastDef> masts;
  double bowspritLength;
  double bowspritRise;  // degrees above horizontal
  double gaffLength, boomLength, gaffLow, gaffHigh;  // the fore-and-aft sail's spars and heights
  double portStart, portEnd;                         // gun port row, as fractions of half the length
  double portWidth, portHeight;
  int sternWindowRows;
  Color bulwarkColour, pennantColour;
  std::string hullTexture, flagTexture;
  double flagLength, flagHeight;
};

constexpr double kSailThickness = 0.35;

Vec2 sailUv(int r, int c, int rows, int cols) {
  return {static_cast<double>(c) / (cols - 1), 1.0 - static_cast<double>(r) / (rows - 1)};
}

// Square sail bent to a yard at (x, zTop) and sheeted to the yard arms below; it bellies forward.
void addSquareSail(Mesh& sails, double x, double yMid, double zTop, double halfTop, double zFoot,
                   double halfFoot) {
  constexpr int kRows = 5, kCols = 7;
  const double belly = 0.12 * (zTop - zFoot) + 1.5;
  addSheet(sails, kRows, kCols,
           [&](int r, int c) {
             const double t = static_cast<double>(r) / (kRows - 1);  // 0 head, 1 foot
             const double s = static_cast<double>(c) / (kCols - 1);  // 0 starboard, 1 port
             const double half = dm::mix(halfTop, halfFoot, t) * 0.97;
             const double bulge = belly * dm::sin(dm::kPi * s) * dm::pow(dm::sin(0.5 * dm::kPi * t), 0.7) *
                                  (1.0 - 0.35 * t * t * t);
             return Vec3{x - bulge, yMid + (2.0 * s - 1.0) * half, dm::mix(zTop - 0.8, zFoot + 0.8, t)};
           },
           [&](int r, int c) { return sailUv(r, c, kRows, kCols); }, kSailThickness);
}

// Sail spread between four corners (luff from tack up to throat or head), bellying toward +y.
void addForeAftSail(Mesh& sails, Vec3 tack, Vec3 throat, Vec3 peak, Vec3 clew, double belly) {
  constexpr int kRows = 5, kCols = 6;
  addSheet(sails, kRows, kCols,
           [&](int r, int c) {
             const double t = static_cast<double>(r) / (kRows - 1);  // 0 head edge, 1 foot
             const double s = static_cast<double>(c) / (kCols - 1);  // 0 luff, 1 leech
             const Vec3 luff = lerp(throat, tack, t), leech = lerp(peak, clew, t);
             Vec3 p = lerp(luff, leech, s);
             p.y += belly * dm::sin(dm::kPi * s) * dm::sin(dm::kPi * t);  // edges stay on their spars
             return p;
           },
           [&](int r, int c) { return sailUv(r, c, kRows, kCols); }, kSailThickness);
}

// A flag or pennant flying aft from a hoist line; taper 0 keeps it rectangular, 1 ends in a point.
void addFlag(Mesh& mesh, Vec3 hoistTop, double length, double height, double taper, double phase) {
  constexpr int kRows = 3, kCols = 7;
  addSheet(mesh, kRows, kCols,
           [&](int r, int c) {
             const double s = static_cast<double>(c) / (kCols - 1);  // 0 hoist, 1 fly
             const double t = static_cast<double>(r) / (kRows - 1);  // 0 top, 1 bottom
             const double h = height * (1.0 - taper * s);
             const double mid = height * 0.5;
             const double wave = 0.12 * length * s * dm::sin(dm::kTwoPi * (1.1 * s) + phase);
             return Vec3{hoistTop.x + length * s, hoistTop.y + wave, hoistTop.z - mid + (0.5 - t) * h - 0.15 * length * s * s};
           },
           [&](int r, int c) { return sailUv(r, c, kRows, kCols); }, 0.3);
}

void buildGunDeck(const ShipDesign& d, const Hull& hull, int cannons, Mesh& ports, Mesh& guns, Mesh& lids) {
  const double halfL = d.hull.length * 0.5;
  for (int k = 0; k < cannons; ++k) {
    const double f = cannons == 1 ? 0.5 : static_cast<double>(k) / (cannons - 1);
    const double x = halfL * dm::mix(d.portStart, d.portEnd, f);
    // The port sits on the hull's port-band line, which follows the sheer.
    const double zc = hull.rail(x) * (kHullVPortCentre - kHullVWaterline) / (1.0 - kHullVWaterline);
    for (int side = 0; side < 2; ++side) {
      const double sy = side == 0 ? 1.0 : -1.0;
      Vec3 n = hull.sideNormal(x, zc);
      n.y *= sy;
      auto onSide = [&](double px, double pz, double out) {
        return Vec3{px, d.yShift + sy * hull.sideAbove(px, pz), pz} + n * out;
      };
      const double hw = d.portWidth * 0.5, hh = d.portHeight * 0.5;
      addPolygon(ports,
                 {onSide(x - hw, zc - hh, 0.25), onSide(x + hw, zc - hh, 0.25), onSide(x + hw, zc + hh, 0.25),
                  onSide(x - hw, zc + hh, 0.25)},
                 n, [](Vec3) { return Vec2{0.5, 0.5}; });
      // Lid hinged at the port's upper edge, swung up and out.
      const Vec3 hingeA = onSide(x - hw - 0.3, zc + hh + 0.2, 0.3), hingeB = onSide(x + hw + 0.3, zc + hh + 0.2, 0.3);
      const Vec3 swing = normalize(n * 0.75 + Vec3{0, 0, 0.66});
      const double lidLength = d.portHeight + 0.6;
      addSlab(lids, {hingeA, hingeB, hingeB + swing * lidLength, hingeA + swing * lidLength},
              normalize(cross(hingeB - hingeA, swing)) * -1.0, 0.5, [](Vec3) { return Vec2{0.5, 0.5}; });
      // Gun barrel run out through the port.
      const Vec3 breech = onSide(x, zc - 0.4, -2.0), muzzle = onSide(x, zc, 4.5);
      addTube(guns, breech, muzzle, 1.05, 0.85, 6, false, true);
    }
  }
}

void buildSternWindows(const ShipDesign& d, const Hull& hull, Mesh& windows) {
  const double xs = d.hull.length * 0.5 + 0.2;
  const double rail = hull.rail(d.hull.length * 0.5);
  const double half = hull.halfBeam(d.hull.length * 0.5) * 0.8;
  constexpr int kPerRow = 5;
  for (int row = 0; row < d.sternWindowRows; ++row) {
    const double zc = rail * (0.78 - 0.2 * row);
    for (int k = 0; k < kPerRow; ++k) {
      const double yc = d.yShift + half * (2.0 * (k + 0.5) / kPerRow - 1.0);
      const double hw = half / kPerRow * 0.6, hh = rail * 0.055;
      addPolygon(windows,
                 {{xs, yc - hw, zc - hh}, {xs, yc + hw, zc - hh}, {xs, yc + hw, zc + hh}, {xs, yc - hw, zc + hh}},
                 {1, 0, 0}, [](Vec3) { return Vec2{0.5, 0.5}; });
    }
  }
}

void buildRig(const ShipDesign& d, const Hull& hull, Mesh& spars, Mesh& trim, Mesh& sails, Mesh& flags,
              Mesh& pennants) {
  const double ys = d.yShift;
  for (size_t m = 0; m < d.masts.size(); ++m) {
    const MastDef& mast = d.masts[m];
    const double foot = hull.deck(mast.x) - 4.0;
    const double baseRadius = 2.4 * mast.top / 180.0 + 0.6;
    // Lower mast, topmast and topgallant as one tapering pole.
    addTube(spars, {mast.x, ys, foot}, {mast.x, ys, mast.top}, baseRadius, 0.55, 8, false, true,
            (mast.top - foot) / 60.0);
    if (mast.topPlatform > 0.0) {
      addBox(trim, {mast.x + 1.5, ys, mast.topPlatform}, {7.0, 9.0, 0.7});
      addBox(trim, {mast.x, ys, mast.topPlatform + (mast.top - mast.topPlatform) * 0.55}, {2.5, 6.0, 0.5});
    }
    addEllipsoid(trim, {mast.x, ys, mast.top + 0.6}, {1.2, 1.2, 1.0}, 4, 6);  // truck
    const double sailX = mast.x - baseRadius - 1.6;
    for (size_t y = 0; y < mast.yards.size(); ++y) {
      const YardDef& yard = mast.yards[y];
      const Vec3 centre{mast.x - baseRadius - 0.9, ys, yard.z};
      const double r = 0.45 + yard.half * 0.022;
      addTube(spars, centre, centre + Vec3{0, yard.half, 0}, r, 0.4, 6, false, true, yard.half / 60.0);
      addTube(spars, centre, centre + Vec3{0, -yard.half, 0}, r, 0.4, 6, false, true, yard.half / 60.0);
      if (y == 0) {
        if (mast.courseFoot > 0.0) {
          addSquareSail(sails, sailX, ys, yard.z, yard.half, mast.courseFoot, yard.half * 1.02);
        }
      } else {
        const YardDef& below = mast.yards[y - 1];
        addSquareSail(sails, sailX, ys, yard.z, yard.half, below.z + 1.0, below.half);
      }
    }
    // Long pennant from every masthead.
    addFlag(pennants, {mast.x + 0.8, ys, mast.top - 0.5}, mast.top * 0.16, 2.6, 0.85, 0.7 * m);
    if (mast.gaffSail) {
      const double gaffRise = 25.0 * dm::kPi / 180.0;
      const Vec3 throat{mast.x + baseRadius, ys, d.gaffHigh};
      const Vec3 peak = throat + Vec3{d.gaffLength * dm::cos(gaffRise), 0, d.gaffLength * dm::sin(gaffRise)};
      const Vec3 tack{mast.x + baseRadius, ys, d.gaffLow};
      const Vec3 clew = tack + Vec3{d.boomLength, 0, 1.5};
      addTube(spars, throat, peak + Vec3{2.0 * dm::cos(gaffRise), 0, 2.0 * dm::sin(gaffRise)}, 0.9, 0.6, 6, false, true);
      addTube(spars, tack - Vec3{0, 0, 1.0}, clew + Vec3{4.0, 0, -0.7}, 1.1, 0.8, 6, false, true);
      addForeAftSail(sails, tack + Vec3{0.8, 0, 0.6}, throat + Vec3{0.8, 0, -0.4}, peak - Vec3{1.0, 0, 1.2},
                     clew - Vec3{1.0, 0, -0.6}, 3.0);
      // The ensign flies from the gaff's peak.
      addFlag(flags, peak + Vec3{0.8, 0, -1.0}, d.flagLength, d.flagHeight, 0.0, 1.3);
    }
  }

  // Bowsprit and jib-boom, rising forward from the stem.
  const double halfL = d.hull.length * 0.5;
  const double rise = d.bowspritRise * dm::kPi / 180.0;
  const Vec3 dir{-dm::cos(rise), 0, dm::sin(rise)};
  const Vec3 heel{-halfL + 14.0, ys, hull.deck(-halfL + 14.0) + 1.0};
  const Vec3 tip = heel + dir * d.bowspritLength;
  addTube(spars, heel, tip, 1.9, 1.0, 8, false, true, d.bowspritLength / 60.0);
  const Vec3 boomEnd = tip + dir * (d.bowspritLength * 0.45) + Vec3{0, 0, 1.0};
  addTube(spars, tip - dir * 6.0 + Vec3{0, 0, 1.2}, boomEnd, 0.8, 0.5, 6, false, true);
  // Cutwater below the bowsprit: a thin knee that sharpens the bow.
  const double stemTop = hull.rail(-halfL);
  addSlab(trim,
          {{-halfL + 1.0, ys + 0.6, -hull.keel(-halfL) * 0.7},
           {-halfL - 3.0, ys + 0.6, stemTop * 0.35},
           {-halfL - 8.0, ys + 0.6, stemTop * 0.95},
           {-halfL + 2.0, ys + 0.6, stemTop + 1.0}},
          {0, 1, 0}, 1.2, [](Vec3) { return Vec2{0.5, 0.5}; });

  // Jibs from the foremast's upper yards down to bowsprit and jib-boom.
  const MastDef& fore = d.masts.front();
  const double foreTopZ = fore.yards.size() > 1 ? fore.yards[1].z + 4.0 : fore.top * 0.6;
  const Vec3 head{fore.x - 3.0, ys, foreTopZ};
  const Vec3 head2{fore.x - 2.0, ys, fore.yards.back().z - 2.0};
  const Vec3 tack1 = tip - dir * 3.0 + Vec3{0, 0, 1.5};
  const Vec3 tack2 = boomEnd - dir * 2.0 + Vec3{0, 0, 1.0};
  const double clewZ = hull.rail(fore.x) + 14.0;
  addForeAftSail(sails, tack1, head, head, {fore.x - 18.0, ys, clewZ}, 2.5);
  addForeAftSail(sails, tack2, head2, head2, {fore.x - 34.0, ys, clewZ + 10.0}, 2.5);
}

Model buildShip(const ShipDesign& d) {
  const GameValues& game = gameValuesFor(d.fileName);
  const Hull hull{d.hull, d.yShift};
  Model model;
  model.fileName = d.fileName;
  model.game = game;
  model.materials.resize(kMatCount);
  model.materials[kMatHull] = textured("hull", {0.16, 0.13, 0.10}, d.hullTexture);
  model.materials[kMatDeck] = textured("deck", {0.20, 0.16, 0.12}, "deck.bmp");
  model.materials[kMatSpar] = textured("spars", {0.22, 0.16, 0.10}, "wood.bmp");
  model.materials[kMatCanvas] = textured("canvas", {0.24, 0.23, 0.20}, "canvas.bmp", 2.0);
  model.materials[kMatFlag] = textured("flag", {0.18, 0.18, 0.18}, d.flagTexture);
  model.materials[kMatPort] = plain("gunport", {0.04, 0.03, 0.025});
  model.materials[kMatIron] = plain("iron", {0.13, 0.13, 0.14}, {0.55, 0.55, 0.55}, 30.0);
  model.materials[kMatLid] = plain("portlid", d.bulwarkColour);
  model.materials[kMatWindow] = plain("window", {0.95, 0.80, 0.40}, {0.6, 0.6, 0.5}, 40.0);
  model.materials[kMatTrim] = plain("trim", {0.20, 0.13, 0.08});
  model.materials[kMatBulwark] = plain("bulwark", d.bulwarkColour);
  model.materials[kMatPennant] = plain("pennant", d.pennantColour);

  auto mesh = [](const char* name, int material) {
    Mesh m;
    m.name = name;
    m.material = material;
    return m;
  };
  Mesh outer = mesh("hull", kMatHull), deck = mesh("deck", kMatDeck), rail = mesh("rail", kMatTrim);
  Mesh bulwark = mesh("bulwark", kMatBulwark), ports = mesh("gunports", kMatPort), guns = mesh("guns", kMatIron);
  Mesh lids = mesh("portlids", kMatLid), windows = mesh("windows", kMatWindow), spars = mesh("spars", kMatSpar);
  Mesh trim = mesh("trim", kMatTrim), sails = mesh("sails", kMatCanvas), flags = mesh("flags", kMatFlag);
  Mesh pennants = mesh("pennants", kMatPennant);

  buildHull(hull, outer, deck, rail, bulwark);
  buildGunDeck(d, hull, game.cannons, ports, guns, lids);
  buildSternWindows(d, hull, windows);
  buildRig(d, hull, spars, trim, sails, flags, pennants);
  trim.append(rail);
  for (Mesh* m : {&outer, &deck, &bulwark, &ports, &lids, &guns, &windows, &spars, &trim, &sails, &flags, &pennants}) {
    model.meshes.push_back(*m);
  }
  return model;
}

}  // namespace

Model buildFrigate() {
  ShipDesign d;
  d.fileName = "schiff1.ase";
  d.hull = {190.0, 52.0, 22.0, 30.0, 6.0, 12.0, 0.62, 6.0};
  d.yShift = -kShipType1YShift;
  // Foremast, mainmast, mizzen: three square sails each on fore and main, two on the mizzen with a
  // spanker abaft it.
  d.masts = {
      {-52.0, 168.0, 70.0, {{66.0, 44.0}, {106.0, 35.0}, {140.0, 24.0}}, 40.0, false},
      {6.0, 180.0, 74.0, {{70.0, 48.0}, {112.0, 38.0}, {148.0, 26.0}}, 41.0, false},
      {58.0, 146.0, 70.0, {{74.0, 30.0}, {104.0, 26.0}, {130.0, 18.0}}, 0.0, true},
  };
  d.bowspritLength = 44.0;
  d.bowspritRise = 18.0;
  d.gaffLength = 34.0;
  d.boomLength = 44.0;
  d.gaffLow = 47.0;
  d.gaffHigh = 84.0;
  d.portStart = -0.66;
  d.portEnd = 0.60;
  d.portWidth = 6.0;
  d.portHeight = 5.0;
  d.sternWindowRows = 2;
  d.bulwarkColour = {0.55, 0.12, 0.08};
  d.pennantColour = {0.75, 0.65, 0.15};
  d.hullTexture = "hull_frigate.bmp";
  d.flagTexture = "flag_frigate.bmp";
  d.flagLength = 24.0;
  d.flagHeight = 15.0;
  return buildShip(d);
}

Model buildBrig() {
  ShipDesign d;
  d.fileName = "schiff2.ase";
  d.hull = {172.0, 46.0, 19.0, 26.0, 6.0, 8.0, 0.58, 5.5};
  d.yShift = 0.0;
  // Two square-rigged masts; the mainmast carries the big boom sail that hangs over the stern.
  d.masts = {
      {-38.0, 156.0, 64.0, {{60.0, 40.0}, {98.0, 32.0}, {130.0, 22.0}}, 36.0, false},
      {24.0, 164.0, 68.0, {{70.0, 36.0}, {102.0, 32.0}, {134.0, 22.0}}, 0.0, true},
  };
  d.bowspritLength = 42.0;
  d.bowspritRise = 20.0;
  d.gaffLength = 40.0;
  d.boomLength = 70.0;
  d.gaffLow = 40.0;
  d.gaffHigh = 88.0;
  d.portStart = -0.62;
  d.portEnd = 0.52;
  d.portWidth = 5.5;
  d.portHeight = 4.6;
  d.sternWindowRows = 1;
  d.bulwarkColour = {0.15, 0.35, 0.20};
  d.pennantColour = {0.75, 0.10, 0.08};
  d.hullTexture = "hull_brig.bmp";
  d.flagTexture = "flag_brig.bmp";
  d.flagLength = 22.0;
  d.flagHeight = 13.0;
  return buildShip(d);
}
