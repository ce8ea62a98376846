// ASE loader: one table of {snippet, model read, messages}; an exported file cut at every byte; a
// German numeric locale; and the two regressions fuzzing found (work growing with the square of the
// file's size).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../test_support.h"
#include "assets/mesh_model.h"
#include "platform/dialog.h"

namespace {

// An exporter's file in miniature: a textured and a "NONE" material, the game keys, one textured
// square of two faces.
const std::string kSquareModel = R"(*3DSMAX_ASCIIEXPORT	200
*SCENE { *SCENE_FILENAME "square.max" }
*MATERIAL_LIST {
	*MATERIAL_COUNT 2
	*MATERIAL 0 { *MATERIAL_NAME "Planks" *MATERIAL_DIFFUSE 0.4000	0.5000	0.6000 *MATERIAL_SHINE 0.2500
		*MAP_DIFFUSE { *BITMAP "../data/textures/planks.bmp" *UVW_U_TILING 2.7000 } }
	*MATERIAL 1 { *MATERIAL_DIFFUSE 0.0000	0.6000	0.0000 *MATERIAL_SHINE 10.0 *BITMAP NONE }
}
*BRENNWEITE 60 *RADIUS 90 *ENERGIE 5 *ZOFFSET -3 *HOEHE 40 *GESCHWINDIGKEIT 4
*KURVE 2 *KANONEN 6 *MUNITION 30 *REICHWEITE 700 *KANONENGESCHW 18
)" + test::aseSquare(-8, 8, 8, "*NODE_NAME \"Square\"\n*MATERIAL_REF 0\n*WIREFRAME_COLOR 0.5000\t0.2500\t0.1250");

// The same text in UTF-16 with its byte-order mark, as a Windows editor saves "Unicode".
std::string utf16(const std::string& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : text) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

template <typename T>
void list(std::ostringstream& s, const char* label, const std::vector<T>& values) {
  if (values.empty()) return;
  s << ' ' << label;
  for (const T& v : values) s << ' ' << v;
}

// What was read, in one line: game keys that are set, materials, then objects.
std::string describe(const MeshModel& m) {
  std::ostringstream s;
  const std::pair<const char*, int32_t> keys[] = {
      {"focal", m.focalDistance}, {"radius", m.radius}, {"energy", m.energy}, {"z", m.zOffset},
      {"height", m.height}, {"speed", m.speed}, {"turn", m.turnRate}, {"cannons", m.cannons},
      {"ammo", m.ammunition}, {"range", m.range}, {"ballspeed", m.cannonSpeed}};
  for (const auto& [name, value] : keys)
    if (value != 0) s << name << '=' << value << ' ';
  for (const Material& mat : m.materials) {
    s << "(mat " << mat.bitmapName << " shine " << mat.shine << " diffuse " << mat.diffuse[0] << ' '
      << mat.diffuse[1] << ' ' << mat.diffuse[2] << ") ";
  }
  for (const auto& o : m.objects) {
    s << "(" << o->name;
    list(s, "v", o->vertices);
    list(s, "f", o->faces);
    list(s, "t", o->tvertices);
    bool upward = true;
    for (size_t i = 0; i < o->vertexNormals.size(); ++i) upward = upward && o->vertexNormals[i] == (i % 3 == 2);
    if (!upward) list(s, "n", o->vertexNormals);
    if (o->materialRef != -1) s << " ref " << o->materialRef;
    s << ") ";
  }
  std::string text = s.str();
  if (!text.empty()) text.pop_back();
  return text;
}

// Everything drawing relies on, whatever the file held.
void expectDrawable(const MeshModel& m) {
  for (const auto& o : m.objects) {
    ASSERT_TRUE(o->numVertex >= 0 && o->numFaces >= 0 && o->numTVertex >= 0 && o->numTVFaces >= 0);
    EXPECT_EQ(o->vertices.size(), 3u * o->numVertex);
    EXPECT_EQ(o->vertexNormals.size(), 3u * o->numVertex);
    EXPECT_EQ(o->faces.size(), 3u * o->numFaces);
    EXPECT_EQ(o->tvertices.size(), 3u * o->numTVertex);
    for (uint32_t corner : o->faces) ASSERT_LT(corner, static_cast<uint32_t>(o->numVertex));
    EXPECT_TRUE(o->materialRef >= -1 && o->materialRef < static_cast<int32_t>(m.materials.size()));
  }
}

class Ase : public ::testing::Test {
 protected:
  void SetUp() override { setDialogsEnabled(false); }
  void TearDown() override { setDialogsEnabled(true); }

  // Writes the text as a model file and loads it; the model must be drawable.
  std::unique_ptr<MeshModel> load(const std::string& text, test::Console* console = nullptr) {
    path = dir.write("model.ase", text);
    auto model = std::make_unique<MeshModel>();
    const test::Console said = test::captured([&] { model->loadAse(path.c_str()); });
    EXPECT_EQ(said.out, "loading \"" + path + "\" ...done\n");
    if (console != nullptr) *console = said;
    expectDrawable(*model);
    return model;
  }

  test::ScratchDir dir;
  std::string path;
};

std::string object(const std::string& body) { return "*GEOMOBJECT {\n" + body + "\n}\n"; }
const std::string kFace012 = "*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1\n";

struct Snippet {
  const char* what;
  std::string text;
  const char* model;    // describe() of the model read
  const char* message;  // a line on standard error, or nullptr for none
};

const std::vector<Snippet> kSnippets = {
    {"lists are read by count, not by braces",
     object("*MESH_NUMVERTEX 2 *MESH_NUMFACES 1 *MESH_VERTEX_LIST { *MESH_VERTEX 5 1 2 3\n*MESH_VERTEX 3 4 5 6\n"
            "*MESH_VERTEX 6 7 8 9 }\n*MESH_FACE_LIST { *MESH_FACE 0: A: 1 B: 0 C: 1 AB: 1 BC: 1 CA: 1 }"),
     "( v 1 2 3 4 5 6 f 1 0 1)", nullptr},
    {"face lines skip smoothing groups and material ids; faces in file order",
     object("*MESH_NUMVERTEX 4 *MESH_NUMFACES 2 *MESH_FACE_LIST {\n"
            "*MESH_FACE 7: A: 3 B: 2 C: 1 AB: 0 BC: 1 CA: 1 *MESH_SMOOTHING *MESH_MTLID 3\n"
            "*MESH_FACE 1: A: 1 B: 3 C: 0 AB: 0 BC: 0 CA: 0 *MESH_SMOOTHING 1,2,5 *MESH_MTLID 1 extra words }"),
     "( v 0 0 0 0 0 0 0 0 0 0 0 0 f 3 2 1 1 3 0)", nullptr},
    {"material blocks fill the record of their index; nested blocks apply, the last value wins",
     "*MATERIAL_LIST { *MATERIAL_COUNT 3 *MATERIAL 2 { *BITMAP two.bmp }\n"
     "*MATERIAL 0 { *MATERIAL_SHINE 1 *MAP_DIFFUSE { *BITMAP a.bmp *SUBMAP { *MATERIAL_SHINE 3 *BITMAP b.bmp } } }\n"
     "*MATERIAL 1 { *MATERIAL_DIFFUSE 0 1 0 } }",
     "(mat b.bmp shine 3 diffuse 1 1 1) (mat  shine 0 diffuse 0 1 0) (mat two.bmp shine 0 diffuse 1 1 1)",
     "has no geometry object"},
    {"game keys count outside materials, at any depth",
     "*SCENE { *RADIUS 11 } *MATERIAL_LIST { *MATERIAL_COUNT 1\n"
     "*MATERIAL 0 { *RADIUS 99 *MAP_DIFFUSE { *KANONEN 99 } *GEOMOBJECT { } } }\n"
     "*GEOMOBJECT { *MESH { *USERDATA { *ENERGIE 7 } } } *KANONEN 3",
     "radius=11 energy=7 cannons=3 (mat  shine 0 diffuse 1 1 1) ()", nullptr},
    {"later vertex normals, counts and lists replace earlier ones",
     object("*MESH_NUMVERTEX 1 *MESH_VERTEX_LIST { *MESH_VERTEX 0 1 1 1 }\n*MESH_NUMTVERTEX 1 *MESH_TVERTLIST { *MESH_TVERT 0 1 2 3 }\n"
            "*MESH_NUMTVERTEX 1 *MESH_TVERTLIST { *MESH_TVERT 0 4 5 6 }\n*MESH_NUMVERTEX 2\n"
            "*MESH_NORMALS { *MESH_VERTEXNORMAL 0 1 0 0 *MESH_VERTEXNORMAL 0 0 -1 0 }"),
     "( v 0 0 0 0 0 0 t 4 5 6 n 0 -1 0 0 0 1)", nullptr},
    {"numbers read the same in any notation",
     "*RADIUS +42\n*ENERGIE -7\r\n*HOEHE 12.9\n" +
         object("\t*MESH_NUMVERTEX 2\r\n*MESH_VERTEX_LIST {\r\n*MESH_VERTEX 0 1e2 -.5 +2.5E-1\r\n*MESH_VERTEX 1 .125 -0 7.\r\n}"),
     "radius=42 energy=-7 height=12 ( v 100 -0.5 0.25 0.125 -0 7)", nullptr},
    {"a material block with a bad index is read and dropped",
     "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 1 { *BITMAP wrong.bmp *MAP_DIFFUSE { *MATERIAL_SHINE 9 } }\n"
     "*MATERIAL -1 { *BITMAP wrong.bmp } *MATERIAL 0 { *BITMAP right.bmp } } *RADIUS 8",
     "radius=8 (mat right.bmp shine 0 diffuse 1 1 1)", "material -1 does not exist (1 materials); its block is skipped"},
    {"material references outside the list become no material",
     "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { } }\n*GEOMOBJECT { *NODE_NAME hull *MATERIAL_REF 1 }\n"
     "*GEOMOBJECT { *MATERIAL_REF -5 } *GEOMOBJECT { *MATERIAL_REF 0 }",
     "(mat  shine 0 diffuse 1 1 1) (hull) () ( ref 0)", "object hull: material 1 does not exist"},
    {"normals with a bad index are skipped",
     object("*MESH_NUMVERTEX 2 *MESH_NUMFACES 1 *MESH_NORMALS { *MESH_FACENORMAL 1 9 9 9 *MESH_FACENORMAL 0 0 1 0\n"
            "*MESH_VERTEXNORMAL 2 9 9 9 *MESH_VERTEXNORMAL -1 9 9 9 *MESH_SMOOTHINGNORMAL 0 1 *MESH_VERTEXNORMAL 1 1 0 0 }"),
     "( v 0 0 0 0 0 0 f 0 0 0 n 0 0 1 1 0 0)", "vertex normal 2 outside 0..1 skipped"},
    {"faces with a corner outside the vertices are dropped with their normals; so are faces a later count cuts off",
     object("*MESH_NUMVERTEX 4 *MESH_NUMFACES 4 *MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 1 C: 4 AB: 1 BC: 1 CA: 1\n" + kFace012 +
            "*MESH_FACE 2: A: -1 B: 1 C: 0 AB: 1 BC: 1 CA: 1\n*MESH_FACE 3: A: 0 B: 4294967296 C: 1 AB: 1 BC: 1 CA: 1\n}\n"
            "*MESH_NORMALS { *MESH_FACENORMAL 0 1 0 0 *MESH_FACENORMAL 1 0 1 0 *MESH_FACENORMAL 2 0 0 1 }\n"
            "*MESH_NUMVERTEX 3"),
     "( v 0 0 0 0 0 0 0 0 0 f 0 1 2)", "with a corner outside its"},
    {"a corner equal to the vertex count is outside, whichever corner it is",
     object("*MESH_NUMVERTEX 3 *MESH_NUMFACES 4 *MESH_FACE_LIST {\n*MESH_FACE 0: A: 3 B: 1 C: 2 AB: 1 BC: 1 CA: 1\n"
            "*MESH_FACE 1: A: 0 B: 3 C: 2 AB: 1 BC: 1 CA: 1\n*MESH_FACE 2: A: 0 B: 1 C: 3 AB: 1 BC: 1 CA: 1\n" + kFace012 + "}"),
     "( v 0 0 0 0 0 0 0 0 0 f 0 1 2)", "3 faces with a corner outside its 3 vertices"},
    {"a word where a number belongs stops the load", "*RADIUS 5\n*ENERGIE many\n*KANONEN 4\n", "radius=5", "line 2"},
    {"a list shorter than its count stops the load and keeps the object",
     object("*NODE_NAME short *MESH_NUMVERTEX 3 *MESH_VERTEX_LIST { *MESH_VERTEX 0 1 1 1 *MESH_VERTEX 1 2 2 2 }") + "*RADIUS 4",
     "(short v 1 1 1 2 2 2 0 0 0)", "loading stops here"},
    {"a face list shorter than its count stops at its closing brace",
     object("*MESH_NUMVERTEX 3 *MESH_NUMFACES 2 *MESH_FACE_LIST { " + kFace012 + "}") +
         object("*NODE_NAME second *MESH_NUMFACES 1 *MESH_FACE_LIST { " + kFace012 + "}"),
     "( v 0 0 0 0 0 0 0 0 0 f 0 1 2 0 0 0)", "loading stops here"},
    {"a negative count stops the load", "*RADIUS 1 *MATERIAL_LIST { *MATERIAL_COUNT -1 } *ENERGIE 2", "radius=1", "loading stops here"},
    {"a count larger than the file could hold allocates nothing", object("*MESH_NUMVERTEX 9000000"), "()", "is impossible for this file"},
    {"two lists whose counts together fit the file both load",
     object("*MESH_NUMTVERTEX 2 *MESH_TVERTLIST { *MESH_TVERT 0 0 0 0 *MESH_TVERT 1 1 0 0 }\n"
            "*MESH_NUMTVERTEX 2 *MESH_TVERTLIST { *MESH_TVERT 0 5 6 7 *MESH_TVERT 1 8 9 1 }"),
     "( t 5 6 7 8 9 1)", nullptr},
    {"the end of the file inside a material block keeps what was read",
     "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *BITMAP a.bmp *MATERIAL_SHINE 2", "(mat a.bmp shine 2 diffuse 1 1 1)",
     "ends inside a material block"},
    // Models from a user's own tools.
    {"a quoted bitmap path keeps its blanks; the closing quote ends it, not the line",
     "*MATERIAL_LIST { *MATERIAL_COUNT 2 *MATERIAL 0 { *BITMAP \"old maps/dark oak.bmp\" }\n"
     "*MATERIAL 1 { *BITMAP \"my sails.bmp\" *MATERIAL_SHINE 0.5\n} }\n*GEOMOBJECT { *MATERIAL_REF 0 }",
     "(mat old maps/dark oak.bmp shine 0 diffuse 1 1 1) (mat my sails.bmp shine 0.5 diffuse 1 1 1) ( ref 0)", nullptr},
    {"a quote never closed on its line leaves the path one token, quote included",
     "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *BITMAP \"a b.bmp\n } }\n*GEOMOBJECT { }",
     "(mat \"a shine 0 diffuse 1 1 1) ()", nullptr},
    {"UTF-16, little-endian, is refused with what to do", utf16("*RADIUS 12 " + object(""), false), "",
     "is UTF-16 (little-endian) text; save it as ASCII or UTF-8."},
    {"UTF-16, big-endian, likewise", utf16("*RADIUS 12 " + object(""), true), "", "is UTF-16 (big-endian) text"},
    {"UTF-8 with its byte-order mark reads", "\xEF\xBB\xBF*RADIUS 12 " + object("*NODE_NAME sail"), "radius=12 (sail)", nullptr},
    {"an empty file has no geometry object", "", "", "has no geometry object (*GEOMOBJECT); the model draws nothing."},
    {"nor has plain text", "Hello, this is not a model.\n", "", "has no geometry object"},
};

TEST_F(Ase, EachSnippetGivesItsModelAndMessages) {
  for (const Snippet& s : kSnippets) {
    SCOPED_TRACE(s.what);
    test::Console said;
    const std::unique_ptr<MeshModel> m = load(s.text, &said);
    EXPECT_EQ(describe(*m), s.model);
    if (s.message == nullptr) {
      EXPECT_EQ(said.err, "");
    } else {
      EXPECT_NE(said.err.find(s.message), std::string::npos) << said.err;
      EXPECT_NE(said.err.find("ASE file \"" + path + "\""), std::string::npos) << said.err;
    }
  }
}

TEST_F(Ase, AnExportedFileGivesItsGameKeysMaterialsAndMesh) {
  test::Console said;
  const std::unique_ptr<MeshModel> m = load(kSquareModel, &said);
  EXPECT_EQ(describe(*m),
            "focal=60 radius=90 energy=5 z=-3 height=40 speed=4 turn=2 cannons=6 ammo=30 range=700 ballspeed=18 "
            "(mat ../data/textures/planks.bmp shine 0.25 diffuse 0.4 0.5 0.6) (mat NONE shine 10 diffuse 0 0.6 0) "
            "(\"Square\" v -8 -8 0 8 -8 0 8 8 0 -8 8 0 f 0 1 2 0 2 3 t 0 0 0 1 0 0 1 1 0 0 1 0 ref 0)");
  EXPECT_EQ(m->objects[0]->wireframeColor, (std::array<float, 3>{0.5f, 0.25f, 0.125f}));
  EXPECT_EQ(said.err, "");
}

// Cut anywhere: a drawable model and no crash (the sanitizers watch); and where the cut falls between
// tokens, nothing the whole file does not say ("90" cut to "9" is another number, legitimately).
TEST_F(Ase, AFileCutAnywhereGivesADrawablePartOfTheModel) {
  const std::string full = kSquareModel;
  const std::unique_ptr<MeshModel> whole = load(full);
  for (size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE("cut at byte " + std::to_string(cut));
    const std::unique_ptr<MeshModel> m = load(full.substr(0, cut));
    ASSERT_FALSE(HasFailure());
    if (cut < full.size() && !std::isspace(static_cast<unsigned char>(full[cut]))) continue;
    EXPECT_TRUE(m->radius == 0 || m->radius == whole->radius);
    EXPECT_TRUE(m->cannonSpeed == 0 || m->cannonSpeed == whole->cannonSpeed);
    for (const auto& o : m->objects)
      for (size_t i = 0; i < o->vertices.size(); ++i)
        EXPECT_TRUE(o->vertices[i] == 0.0f || o->vertices[i] == whole->objects[0]->vertices[i]);
  }
}

// A decimal comma, both for C++ streams (always) and for the C library (where the locale is installed).
struct DecimalComma : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

// Where de_DE.UTF-8 is not installed it is compiled from the locale sources into the scratch directory.
TEST_F(Ase, AGermanNumericLocaleDoesNotChangeHowNumbersRead) {
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new DecimalComma));
  bool cLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  if (!cLocale && std::system(("localedef -i de_DE -f UTF-8 " + dir.path() + "/de_DE.UTF-8 2>/dev/null").c_str()) == 0) {
    setenv("LOCPATH", dir.path().c_str(), 1);
    cLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    unsetenv("LOCPATH");
  }
  const std::unique_ptr<MeshModel> m = load("*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *MATERIAL_SHINE 0.5 } }\n" +
                                            object("*MESH_NUMVERTEX 1 *MESH_VERTEX_LIST { *MESH_VERTEX 0 0.5 1,5 1.000 }"));
  std::setlocale(LC_NUMERIC, "C");
  std::locale::global(previous);
  // "1,5" ends at the comma and "1.000" is one, as in the C locale.
  EXPECT_EQ(describe(*m), "(mat  shine 0.5 diffuse 1 1 1) ( v 0.5 1 1)");
  if (!cLocale) std::printf("(no de_DE.UTF-8 locale: only C++ streams were given a decimal comma)\n");
}

// Each rejected index once looked for its line by scanning the file from its start. The first eight
// are shown, the rest only counted: these 5 MB load in a fraction of a second, where rescanning
// would take minutes and run into the unit tests' time limit.
TEST_F(Ase, ThousandsOfRejectedIndicesAreCountedNotEachLocated) {
  std::string text = "*GEOMOBJECT {\n*MESH_NUMVERTEX 1\n*MESH_NORMALS {\n";
  for (int i = 0; i < 200000; ++i) text += "*MESH_VERTEXNORMAL 9 0 0 0\n";
  test::Console said;
  const std::unique_ptr<MeshModel> m = load(text + "*MESH_VERTEXNORMAL 0 1 0 0\n}\n}\n", &said);
  EXPECT_EQ(std::count(said.err.begin(), said.err.end(), '\n'), 8 + 1) << said.err;
  EXPECT_NE(said.err.find("line 4: vertex normal 9 outside 0..0 skipped"), std::string::npos) << said.err;
  EXPECT_NE(said.err.find("200000 rejected indices in all."), std::string::npos) << said.err;
  EXPECT_EQ(describe(*m), "( v 0 0 0 n 1 0 0)");
}

// Each count alone once fitted the bytes after it, so 200 kB repeating a large count cleared
// megabytes thousands of times (over a minute). All counts share the file's size: the second is refused.
TEST_F(Ase, RepeatedLargeCountsShareOneBudget) {
  for (const std::string keyword : {"*MESH_NUMVERTEX", "*MESH_NUMFACES", "*MESH_NUMTVERTEX", "*MESH_NUMTVFACES", "*MATERIAL_COUNT"}) {
    SCOPED_TRACE(keyword);
    std::string text = "*GEOMOBJECT {\n";
    while (text.size() < 200000) text += keyword + " 150000\n";
    test::Console said;
    load(text, &said);
    EXPECT_NE(said.err.find("line 3: "), std::string::npos) << said.err;
    EXPECT_NE(said.err.find("is impossible for this file; loading stops here"), std::string::npos) << said.err;
  }
}

// A unit cube as an exporter writes one with hard edges: four vertices of its own per side, two
// faces per side wound counter-clockwise seen from outside.
std::unique_ptr<GeomObject> cube() {
  auto object = std::make_unique<GeomObject>();
  const int sides[6][4][3] = {{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
                              {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}},
                              {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}, {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}};
  for (const auto& side : sides) {
    const uint32_t base = static_cast<uint32_t>(object->vertices.size() / 3);
    for (const auto& corner : side) {
      for (int axis = 0; axis < 3; ++axis) object->vertices.push_back(static_cast<float>(corner[axis]));
    }
    for (uint32_t corner : {0u, 1u, 2u, 0u, 2u, 3u}) object->faces.push_back(base + corner);
  }
  object->numVertex = static_cast<int32_t>(object->vertices.size() / 3);
  object->numFaces = static_cast<int32_t>(object->faces.size() / 3);
  object->vertexNormals.assign(object->vertices.size(), 0.0f);
  return object;
}

bool closedAfterLoad(std::unique_ptr<GeomObject> object) {
  MeshModel model;
  model.objects.push_back(std::move(object));
  model.findClosedSurfaces();
  return model.objects[0]->closedSurface;
}

// Only a surface that hides its own back faces from every outside eye may have them culled.
TEST(ClosedSurfaces, OnlyWatertightOutwardSurfacesCount) {
  EXPECT_TRUE(closedAfterLoad(cube())) << "sides joined by position, not by shared vertices";

  auto open = cube();
  open->faces.resize(open->faces.size() - 6);
  open->numFaces -= 2;
  EXPECT_FALSE(closedAfterLoad(std::move(open))) << "a side missing";

  auto insideOut = cube();
  for (size_t f = 0; f < insideOut->faces.size(); f += 3) std::swap(insideOut->faces[f + 1], insideOut->faces[f + 2]);
  EXPECT_FALSE(closedAfterLoad(std::move(insideOut))) << "wound inward: culling would hide the front";

  auto flipped = cube();
  std::swap(flipped->faces[1], flipped->faces[2]);
  EXPECT_FALSE(closedAfterLoad(std::move(flipped))) << "one face wound against its neighbours";

  auto doubled = cube();
  doubled->faces.insert(doubled->faces.end(), doubled->faces.begin(), doubled->faces.begin() + 6);
  doubled->numFaces += 2;
  EXPECT_FALSE(closedAfterLoad(std::move(doubled))) << "a side twice: edges shared by four faces";

  auto sliver = cube();  // a face with two corners in one place covers nothing and changes nothing
  sliver->faces.insert(sliver->faces.end(), {0, 0, 5});
  ++sliver->numFaces;
  EXPECT_TRUE(closedAfterLoad(std::move(sliver)));

  auto broken = cube();
  broken->vertices[4] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(closedAfterLoad(std::move(broken))) << "a position that is not a number";

  EXPECT_FALSE(closedAfterLoad(std::make_unique<GeomObject>())) << "no faces at all";
}

}  // namespace
