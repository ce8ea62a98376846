// Generated model files: read back by an independent tokenizer and checked for the shape the loader
// expects, consistent meshes and normals, the game keys, and proportions that suit the scene.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_assets_common.h"

namespace {

using Vec = std::array<double, 3>;

const char* const kGameKeys[11] = {"*BRENNWEITE", "*RADIUS", "*ENERGIE", "*ZOFFSET", "*HOEHE", "*GESCHWINDIGKEIT",
                                   "*KURVE", "*KANONEN", "*MUNITION", "*REICHWEITE", "*KANONENGESCHW"};

struct Geom {
  std::string name;
  std::map<std::string, long> counts;    // "*MESH_NUMVERTEX" -> n, ...
  std::map<std::string, size_t> seenAt;  // token index where a key first appeared in this object
  std::vector<Vec> vertices, tvertices, faceNormals;
  std::vector<std::array<long, 3>> faces, tfaces;
  std::map<long, Vec> vertexNormals;
  std::vector<long> listedIndices[4];  // printed indices of vertex, tvert, tface, face-normal entries
  long materialRef = -1;
  bool hasWireColor = false;
};

struct MaterialInfo {
  long index = -1;
  std::map<std::string, std::vector<double>> values;
  std::vector<std::string> bitmaps;
};

struct AseFile {
  long materialCount = -1;
  size_t materialCountAt = 0, firstMaterialAt = 0, firstGeomAt = 0;
  std::vector<MaterialInfo> materials;
  std::map<std::string, std::vector<long>> topLevelKeys;  // game keys at brace depth 0
  std::vector<std::string> nestedGameKeys;               // game keys found inside any block
  std::vector<Geom> geoms;
  std::vector<std::string> problems;
};

bool parseNumber(const std::string& token, double& out) {
  char* end = nullptr;
  out = std::strtod(token.c_str(), &end);
  return !token.empty() && end == token.c_str() + token.size() && std::isfinite(out);
}

bool parseInteger(const std::string& token, long& out) {
  char* end = nullptr;
  out = std::strtol(token.c_str(), &end, 10);
  return !token.empty() && end == token.c_str() + token.size();
}

bool isGameKey(const std::string& t) {
  for (const char* k : kGameKeys)
    if (t == k) return true;
  return false;
}

// Recursive reading of "*KEY values" and "{ ... }" blocks; every file section is checked as it goes.
class Reader {
 public:
  explicit Reader(const std::string& text) {
    std::istringstream in(text);
    for (std::string t; in >> t;) tokens_.push_back(t);
  }

  AseFile read() {
    int depth = 0;
    while (i_ < tokens_.size()) {
      const std::string& t = tokens_[i_++];
      if (t == "{") {
        ++depth;
      } else if (t == "}") {
        --depth;
      } else if (isGameKey(t)) {
        long v = 0;
        if (!parseInteger(next(), v)) problem("game key " + t + " without an integer");
        if (depth == 0) {
          file_.topLevelKeys[t].push_back(v);
        } else {
          file_.nestedGameKeys.push_back(t);
        }
      } else if (t == "*MATERIAL_LIST") {
        expect("{");
        readMaterialList();
      } else if (t == "*GEOMOBJECT") {
        if (file_.geoms.empty()) file_.firstGeomAt = i_;
        expect("{");
        readGeom();
      } else if (t == "*MATERIAL" || t.rfind("*MESH", 0) == 0) {
        problem("'" + t + "' outside its block");
      }
    }
    if (depth != 0) problem("unbalanced braces");
    return file_;
  }

 private:
  std::vector<std::string> tokens_;
  size_t i_ = 0;
  AseFile file_;

  const std::string& next() {
    static const std::string kEnd = "<end of file>";
    return i_ < tokens_.size() ? tokens_[i_++] : kEnd;
  }
  void problem(const std::string& what) { file_.problems.push_back(what + " (token " + std::to_string(i_) + ")"); }
  void expect(const std::string& want) {
    const std::string got = next();
    if (got != want) problem("expected '" + want + "', found '" + got + "'");
  }
  double number() {
    double v = 0.0;
    const std::string t = next();
    if (!parseNumber(t, v)) problem("expected a number, found '" + t + "'");
    return v;
  }
  long integer() {
    long v = 0;
    const std::string t = next();
    if (!parseInteger(t, v)) problem("expected an integer, found '" + t + "'");
    return v;
  }
  Vec vec() {
    const double x = number(), y = number();
    return {x, y, number()};
  }
  // Skips a block whose "{" has just been read.
  void skipBlock() {
    for (int depth = 1; depth > 0 && i_ < tokens_.size();) {
      const std::string& t = next();
      if (t == "{") ++depth;
      if (t == "}") --depth;
      if (isGameKey(t)) file_.nestedGameKeys.push_back(t);
    }
  }

  void readMaterialList() {
    while (i_ < tokens_.size()) {
      const std::string t = next();
      if (t == "}") return;
      if (t == "*MATERIAL_COUNT") {
        file_.materialCountAt = i_;
        file_.materialCount = integer();
      } else if (t == "*MATERIAL") {
        if (file_.firstMaterialAt == 0) file_.firstMaterialAt = i_;
        MaterialInfo m;
        m.index = integer();
        expect("{");
        readMaterial(m);
        file_.materials.push_back(m);
      } else if (t == "{") {
        skipBlock();
      }
    }
  }

  void readMaterial(MaterialInfo& m) {
    for (int depth = 1; depth > 0 && i_ < tokens_.size();) {
      const std::string t = next();
      if (t == "{") {
        ++depth;
      } else if (t == "}") {
        --depth;
      } else if (t == "*MATERIAL_AMBIENT" || t == "*MATERIAL_DIFFUSE" || t == "*MATERIAL_SPECULAR") {
        const Vec c = vec();
        m.values[t] = {c[0], c[1], c[2]};
      } else if (t == "*MATERIAL_SHINE") {
        m.values[t] = {number()};
      } else if (t == "*BITMAP") {
        m.bitmaps.push_back(next());
      } else if (isGameKey(t)) {
        file_.nestedGameKeys.push_back(t);
      }
    }
  }

  void readList(Geom& g, const char* entryKey, int which, int numbersPerEntry, bool integers) {
    expect("{");
    while (i_ < tokens_.size()) {
      const std::string t = next();
      if (t == "}") return;
      if (t != entryKey) {
        problem(std::string("unexpected '") + t + "' in a list of " + entryKey);
        continue;
      }
      g.listedIndices[which].push_back(integer());
      if (integers) {
        std::array<long, 3> v{};
        for (int k = 0; k < numbersPerEntry; ++k) v[static_cast<size_t>(k)] = integer();
        g.tfaces.push_back(v);
      } else {
        (which == 0 ? g.vertices : g.tvertices).push_back(vec());
      }
    }
  }

  void readFaces(Geom& g) {
    expect("{");
    std::string t = next();
    while (i_ < tokens_.size() && t != "}") {
      if (t != "*MESH_FACE") {
        problem("unexpected '" + t + "' in the face list");
        t = next();
        continue;
      }
      const std::string number = next();
      if (number.empty() || number.back() != ':') problem("face number without colon: " + number);
      std::array<long, 3> corners{};
      const char* labels[6] = {"A:", "B:", "C:", "AB:", "BC:", "CA:"};
      for (int k = 0; k < 6; ++k) {
        expect(labels[k]);
        const long v = integer();
        if (k < 3) corners[static_cast<size_t>(k)] = v;
      }
      g.faces.push_back(corners);
      // Trailing per-face entries (smoothing group, material id) up to the next face or the end.
      for (t = next(); i_ < tokens_.size() && t != "*MESH_FACE" && t != "}"; t = next()) {
        if (t == "{") problem("block inside the face list");
      }
    }
  }

  void readNormals(Geom& g) {
    expect("{");
    while (i_ < tokens_.size()) {
      const std::string t = next();
      if (t == "}") return;
      if (t == "*MESH_FACENORMAL") {
        g.listedIndices[3].push_back(integer());
        g.faceNormals.push_back(vec());
      } else if (t == "*MESH_VERTEXNORMAL") {
        const long k = integer();
        g.vertexNormals[k] = vec();
      } else {
        // The loader only moves on at these two keywords: anything else would stall it.
        problem("unexpected '" + t + "' in the normals block");
      }
    }
  }

  void readGeom() {
    Geom g;
    for (int depth = 1; depth > 0 && i_ < tokens_.size();) {
      const size_t at = i_;
      const std::string t = next();
      if (t.rfind("*", 0) == 0 && g.seenAt.count(t) == 0) g.seenAt[t] = at;
      if (t == "{") {
        ++depth;
      } else if (t == "}") {
        --depth;
      } else if (t == "*NODE_NAME") {
        const std::string name = next();
        if (g.name.empty()) g.name = name;
      } else if (t == "*MESH_NUMVERTEX" || t == "*MESH_NUMFACES" || t == "*MESH_NUMTVERTEX" || t == "*MESH_NUMTVFACES") {
        g.counts[t] = integer();
      } else if (t == "*MESH_VERTEX_LIST") {
        readList(g, "*MESH_VERTEX", 0, 3, false);
      } else if (t == "*MESH_TVERTLIST") {
        readList(g, "*MESH_TVERT", 1, 3, false);
      } else if (t == "*MESH_TFACELIST") {
        readList(g, "*MESH_TFACE", 2, 3, true);
      } else if (t == "*MESH_FACE_LIST") {
        readFaces(g);
      } else if (t == "*MESH_NORMALS") {
        readNormals(g);
      } else if (t == "*MATERIAL_REF") {
        g.materialRef = integer();
      } else if (t == "*WIREFRAME_COLOR") {
        vec();
        g.hasWireColor = true;
      } else if (isGameKey(t)) {
        file_.nestedGameKeys.push_back(t);
      }
    }
    file_.geoms.push_back(g);
  }
};

Vec sub(Vec a, Vec b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec crossV(Vec a, Vec b) { return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; }
double dotV(Vec a, Vec b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double lengthV(Vec a) { return std::sqrt(dotV(a, a)); }

struct Bounds {
  Vec lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
  void add(Vec p) {
    for (size_t k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
};

const char* const kModelFiles[3] = {"schiff1.ase", "schiff2.ase", "ente.ase"};

// Each file is read once for the whole suite.
const AseFile& model(const std::string& name) {
  static std::map<std::string, AseFile> cache;
  auto it = cache.find(name);
  if (it == cache.end()) {
    const std::string text = asset_check::readText(asset_check::dataDir() + "/objects/" + name);
    it = cache.emplace(name, Reader(text).read()).first;
    if (text.empty()) it->second.problems.push_back("missing or empty file");
  }
  return it->second;
}

long gameKey(const AseFile& f, const char* key) {
  auto it = f.topLevelKeys.find(key);
  return it == f.topLevelKeys.end() || it->second.empty() ? 0 : it->second.front();
}

const Geom* geomNamed(const AseFile& f, const std::string& name) {
  for (const Geom& g : f.geoms)
    if (g.name == "\"" + name + "\"" || g.name == name) return &g;
  return nullptr;
}

Bounds boundsOf(const AseFile& f) {
  Bounds b;
  for (const Geom& g : f.geoms)
    for (const Vec& v : g.vertices) b.add(v);
  return b;
}

// Type-1 ships are drawn 13 world units along their local +y (26 model units before the half scale).
double drawShift(const std::string& name) { return name == "schiff1.ase" ? 26.0 : 0.0; }

class GeneratedModel : public ::testing::TestWithParam<const char*> {
 protected:
  const AseFile& file() const { return model(GetParam()); }
};

TEST_P(GeneratedModel, ReadsAsTheLoaderExpectsIt) {
  const AseFile& f = file();
  for (const std::string& p : f.problems) ADD_FAILURE() << GetParam() << ": " << p;
  ASSERT_GT(f.materialCount, 0);
  EXPECT_LT(f.materialCountAt, f.firstMaterialAt) << "*MATERIAL_COUNT must precede the materials";
  EXPECT_LT(f.firstMaterialAt, f.firstGeomAt) << "the material list comes before the meshes";
  ASSERT_EQ(static_cast<long>(f.materials.size()), f.materialCount);
  std::set<long> indices;
  for (const MaterialInfo& m : f.materials) indices.insert(m.index);
  EXPECT_EQ(indices.size(), f.materials.size());
  EXPECT_EQ(*indices.begin(), 0);
  EXPECT_EQ(*indices.rbegin(), f.materialCount - 1);
  EXPECT_FALSE(f.geoms.empty());
}

TEST_P(GeneratedModel, CarriesTheElevenGameKeysAtTopLevel) {
  const AseFile& f = file();
  for (const char* key : kGameKeys) {
    auto it = f.topLevelKeys.find(key);
    ASSERT_NE(it, f.topLevelKeys.end()) << key << " missing";
    EXPECT_EQ(it->second.size(), 1u) << key << " given more than once";
  }
  EXPECT_TRUE(f.nestedGameKeys.empty()) << "a game key inside a block: " << f.nestedGameKeys.front();
  // Otherwise the hit ellipse is empty and nothing can hit the ship.
  EXPECT_LT(gameKey(f, "*BRENNWEITE"), gameKey(f, "*RADIUS"));
  EXPECT_GE(gameKey(f, "*BRENNWEITE"), 0);
}

TEST_P(GeneratedModel, MaterialsHaveColoursAndExistingTextures) {
  for (const MaterialInfo& m : file().materials) {
    SCOPED_TRACE("material " + std::to_string(m.index));
    for (const char* key : {"*MATERIAL_AMBIENT", "*MATERIAL_DIFFUSE", "*MATERIAL_SPECULAR"}) {
      ASSERT_EQ(m.values.count(key), 1u) << key;
      for (double c : m.values.at(key)) {
        EXPECT_GE(c, 0.0);
        EXPECT_LE(c, 1.0);
      }
    }
    ASSERT_EQ(m.values.count("*MATERIAL_SHINE"), 1u);
    EXPECT_GE(m.values.at("*MATERIAL_SHINE")[0], 0.0);
    EXPECT_LE(m.values.at("*MATERIAL_SHINE")[0], 128.0);  // the GL specular exponent's range
    ASSERT_EQ(m.bitmaps.size(), 1u);
    const std::string& bitmap = m.bitmaps.front();
    if (bitmap == "NONE") continue;
    EXPECT_EQ(bitmap.find('"'), std::string::npos) << "quotes would become part of the path";
    ASSERT_EQ(bitmap.rfind("../data/textures/", 0), 0u) << bitmap << " is not relative to bin/";
    EXPECT_TRUE(std::filesystem::exists(asset_check::dataDir() + "/" + bitmap.substr(8))) << bitmap;
    // The texture is added to the lit colour: bright material colours would wash it out to white.
    for (double c : m.values.at("*MATERIAL_DIFFUSE")) EXPECT_LE(c, 0.35) << bitmap;
    for (double c : m.values.at("*MATERIAL_AMBIENT")) EXPECT_LE(c, 0.35) << bitmap;
  }
}

TEST_P(GeneratedModel, MeshListsMatchTheirCounts) {
  const AseFile& f = file();
  for (const Geom& g : f.geoms) {
    SCOPED_TRACE(std::string(GetParam()) + " " + g.name);
    for (const char* count : {"*MESH_NUMVERTEX", "*MESH_NUMFACES", "*MESH_NUMTVERTEX", "*MESH_NUMTVFACES"}) {
      ASSERT_EQ(g.counts.count(count), 1u) << count;
    }
    const long nv = g.counts.at("*MESH_NUMVERTEX"), nf = g.counts.at("*MESH_NUMFACES");
    const long ntv = g.counts.at("*MESH_NUMTVERTEX"), ntf = g.counts.at("*MESH_NUMTVFACES");
    // Each count comes before its list; normals after the vertex and face counts.
    EXPECT_LT(g.seenAt.at("*MESH_NUMVERTEX"), g.seenAt.at("*MESH_VERTEX_LIST"));
    EXPECT_LT(g.seenAt.at("*MESH_NUMFACES"), g.seenAt.at("*MESH_FACE_LIST"));
    EXPECT_LT(g.seenAt.at("*MESH_NUMTVERTEX"), g.seenAt.at("*MESH_TVERTLIST"));
    EXPECT_LT(g.seenAt.at("*MESH_NUMTVFACES"), g.seenAt.at("*MESH_TFACELIST"));
    EXPECT_LT(g.seenAt.at("*MESH_NUMFACES"), g.seenAt.at("*MESH_NORMALS"));
    ASSERT_EQ(static_cast<long>(g.vertices.size()), nv);
    ASSERT_EQ(static_cast<long>(g.faces.size()), nf);
    ASSERT_EQ(static_cast<long>(g.tvertices.size()), ntv);
    ASSERT_EQ(static_cast<long>(g.tfaces.size()), ntf);
    // Drawing takes texture vertex i for vertex i.
    EXPECT_GE(ntv, nv);
    for (int list = 0; list < 3; ++list) {
      std::vector<long> expected(g.listedIndices[list].size());
      std::iota(expected.begin(), expected.end(), 0);
      EXPECT_EQ(g.listedIndices[list], expected) << "entries printed out of order in list " << list;
    }
    for (const auto& face : g.faces)
      for (long c : face) ASSERT_TRUE(c >= 0 && c < nv) << "face corner " << c;
    for (const auto& face : g.tfaces)
      for (long c : face) ASSERT_TRUE(c >= 0 && c < ntv) << "texture face corner " << c;
    EXPECT_TRUE(g.materialRef >= 0 ? g.materialRef < f.materialCount : g.hasWireColor);
  }
}

TEST_P(GeneratedModel, NormalsAreUnitAndFaceOutward) {
  for (const Geom& g : file().geoms) {
    SCOPED_TRACE(std::string(GetParam()) + " " + g.name);
    const long nv = static_cast<long>(g.vertices.size());
    ASSERT_EQ(static_cast<long>(g.vertexNormals.size()), nv) << "every vertex needs its normal";
    for (const auto& [index, n] : g.vertexNormals) {
      ASSERT_TRUE(index >= 0 && index < nv);
      ASSERT_NEAR(lengthV(n), 1.0, 2e-3) << "vertex normal " << index;
    }
    ASSERT_EQ(g.faceNormals.size(), g.faces.size());
    size_t backwards = 0;
    for (size_t fi = 0; fi < g.faces.size(); ++fi) {
      const auto& face = g.faces[fi];
      ASSERT_NEAR(lengthV(g.faceNormals[fi]), 1.0, 2e-3) << "face normal " << fi;
      const Vec a = g.vertices[static_cast<size_t>(face[0])], b = g.vertices[static_cast<size_t>(face[1])];
      const Vec c = g.vertices[static_cast<size_t>(face[2])];
      const Vec winding = crossV(sub(b, a), sub(c, a));
      ASSERT_GT(lengthV(winding), 1e-9) << "zero-area face " << fi;
      // The listed face normal is the winding's (counter-clockwise front faces)...
      EXPECT_GT(dotV(winding, g.faceNormals[fi]) / lengthV(winding), 0.99) << "face " << fi;
      // ...and the smooth normals the drawing uses lean the same way.
      for (long corner : face) {
        if (dotV(g.vertexNormals.at(corner), g.faceNormals[fi]) <= 0.0) ++backwards;
      }
    }
    EXPECT_EQ(backwards, 0u) << "corners whose normal points against their face";
  }
}

INSTANTIATE_TEST_SUITE_P(AllModels, GeneratedModel, ::testing::ValuesIn(kModelFiles));

// [Ships] proportions, placement and game values in the scene's world units (half the model's).
class GeneratedShip : public GeneratedModel {};

TEST_P(GeneratedShip, IsSizedForTheSceneAndSitsInTheWater) {
  const AseFile& f = file();
  const Bounds b = boundsOf(f);
  const double length = b.hi[0] - b.lo[0];
  EXPECT_GT(length, 200.0);  // about 120 world units long, bowsprit included
  EXPECT_LT(length, 280.0);
  EXPECT_GT(b.hi[2], 150.0);  // about 90 world units high
  EXPECT_LT(b.hi[2], 200.0);
  // The drawn height the game keys announce matches the model.
  EXPECT_NEAR(gameKey(f, "*HOEHE"), b.hi[2] * 0.5, 8.0);
  const Geom* hull = geomNamed(f, "hull");
  ASSERT_NE(hull, nullptr);
  Bounds hb;
  for (const Vec& v : hull->vertices) hb.add(v);
  EXPECT_LT(hb.lo[2], -10.0) << "keel below the waterline";
  EXPECT_GT(hb.hi[2], 20.0) << "freeboard above it";
  EXPECT_EQ(gameKey(f, "*ZOFFSET"), 0) << "the waterline is the model's z = 0";
  // After the drawing's shift the hull is centred on the ship's position.
  EXPECT_NEAR((hb.lo[1] + hb.hi[1]) * 0.5 + drawShift(GetParam()), 0.0, 1.0);
  EXPECT_NEAR((hb.lo[0] + hb.hi[0]) * 0.5, 0.0, 5.0);
}

TEST_P(GeneratedShip, BowPointsTowardMinusX) {
  // The bow is the fine end of the hull, the stern the broad transom; the bowsprit reaches forward.
  const AseFile& f = file();
  const Geom* hull = geomNamed(f, "hull");
  ASSERT_NE(hull, nullptr);
  Bounds hb;
  for (const Vec& v : hull->vertices) hb.add(v);
  const double centreY = (hb.lo[1] + hb.hi[1]) * 0.5, span = hb.hi[0] - hb.lo[0];
  double bowWidth = 0.0, sternWidth = 0.0;
  for (const Vec& v : hull->vertices) {
    if (v[2] < 0.0) continue;
    if (v[0] < hb.lo[0] + 0.05 * span) bowWidth = std::max(bowWidth, std::fabs(v[1] - centreY));
    if (v[0] > hb.hi[0] - 0.05 * span) sternWidth = std::max(sternWidth, std::fabs(v[1] - centreY));
  }
  EXPECT_LT(bowWidth, 0.7 * sternWidth);
  const Geom* spars = geomNamed(f, "spars");
  ASSERT_NE(spars, nullptr);
  Bounds sb;
  for (const Vec& v : spars->vertices) sb.add(v);
  EXPECT_LT(sb.lo[0], hb.lo[0] - 20.0) << "no bowsprit ahead of the bow";
}

TEST_P(GeneratedShip, HitEllipseCoversTheDrawnHull) {
  const AseFile& f = file();
  const double focal = static_cast<double>(gameKey(f, "*BRENNWEITE"));
  const double radius = static_cast<double>(gameKey(f, "*RADIUS"));
  const Geom* hull = geomNamed(f, "hull");
  ASSERT_NE(hull, nullptr);
  double worst = 0.0;
  for (const Vec& v : hull->vertices) {
    // World offset from the ship's position along and across its axis (the ellipse is symmetric,
    // so the model's turn by heading - 180 does not matter).
    const double along = v[0] * 0.5, across = (v[1] + drawShift(GetParam())) * 0.5;
    const double sum = std::hypot(along - focal, across) + std::hypot(along + focal, across);
    worst = std::max(worst, sum);
  }
  EXPECT_LT(worst, 2.0 * radius) << "part of the hull cannot be hit";
  // Not so loose that balls passing well clear of the hull count as hits.
  EXPECT_GT(worst, 1.6 * radius);
}

TEST_P(GeneratedShip, GunPortsOnEachSideMatchTheCannons) {
  const AseFile& f = file();
  const Geom* ports = geomNamed(f, "gunports");
  ASSERT_NE(ports, nullptr);
  // Each port is a separate patch: count connected pieces per side.
  std::vector<long> parent(ports->vertices.size());
  std::iota(parent.begin(), parent.end(), 0);
  std::function<long(long)> root = [&](long v) { return parent[v] == v ? v : parent[v] = root(parent[v]); };
  for (const auto& face : ports->faces) {
    parent[root(face[1])] = root(face[0]);
    parent[root(face[2])] = root(face[0]);
  }
  std::map<long, Vec> pieces;
  for (size_t v = 0; v < ports->vertices.size(); ++v) pieces[root(static_cast<long>(v))] = ports->vertices[v];
  const double centre = -drawShift(GetParam());
  long port = 0, starboard = 0;
  for (const auto& [id, p] : pieces) {
    (p[1] > centre ? port : starboard) += 1;
    // Balls fly at 10 world units above the sea; the ports are near that height.
    EXPECT_GT(p[2] * 0.5, 5.0);
    EXPECT_LT(p[2] * 0.5, 15.0);
  }
  EXPECT_EQ(port, gameKey(f, "*KANONEN"));
  EXPECT_EQ(starboard, gameKey(f, "*KANONEN"));
}

TEST_P(GeneratedShip, BroadsidesCanReachTheOtherShip) {
  const AseFile& f = file();
  const long cannons = gameKey(f, "*KANONEN"), range = gameKey(f, "*REICHWEITE");
  const long speed = gameKey(f, "*KANONENGESCHW"), ammunition = gameKey(f, "*MUNITION");
  const long radius = gameKey(f, "*RADIUS");
  EXPECT_GE(cannons, 4);
  EXPECT_GE(ammunition, 20 * cannons) << "enough for the whole scripted battle";
  EXPECT_GE(gameKey(f, "*ENERGIE"), 5);
  // The ships open about 707 world units apart; a ball must get at least to the far hull's ellipse.
  EXPECT_GE(range + radius, 707);
  EXPECT_LE(range, 1000);
  // Slowest ball (0.75 x speed, units per 1/25 s) crosses that gap within a few seconds.
  EXPECT_LT(707.0 / (0.75 * speed * 25.0), 6.0);
}

INSTANTIATE_TEST_SUITE_P(Ships, GeneratedShip, ::testing::Values("schiff1.ase", "schiff2.ase"));

TEST(GeneratedDuck, IsDuckSizedAndSwimsTowardPlusX) {
  // Ducks are turned by their heading unchanged, so the head must lead along +x.
  const AseFile& f = model("ente.ase");
  const Bounds b = boundsOf(f);
  EXPECT_GT(b.hi[0] - b.lo[0], 16.0);  // about 10 world units long
  EXPECT_LT(b.hi[0] - b.lo[0], 26.0);
  EXPECT_LT(b.lo[2], 0.0);
  EXPECT_GT(b.hi[2], 8.0);
  const Geom* bill = geomNamed(f, "bill");
  const Geom* tail = geomNamed(f, "tail");
  ASSERT_NE(bill, nullptr);
  ASSERT_NE(tail, nullptr);
  auto meanX = [](const Geom& g) {
    double s = 0.0;
    for (const Vec& v : g.vertices) s += v[0];
    return s / static_cast<double>(g.vertices.size());
  };
  EXPECT_GT(meanX(*bill), 5.0);
  EXPECT_LT(meanX(*tail), -5.0);
  // A ball hits within twice the radius: about the duck's own half length.
  EXPECT_GE(gameKey(f, "*RADIUS") * 2, 4);
  EXPECT_LE(gameKey(f, "*RADIUS") * 2, 10);
}

}  // namespace
