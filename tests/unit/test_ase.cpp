// ASE loader: the file subset as read, the game keys, and broken files (bad values, bad indices,
// files cut at every point) that must give a consistent, drawable model and never a crash.
#include <gtest/gtest.h>

#include <unistd.h>  // Required for: getpid (a temp directory per test process)

#include <cctype>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <locale>
#include <string>
#include <vector>

#include "assets/mesh_model.h"
#include "platform/dialog.h"

namespace {

namespace fs = std::filesystem;

// A small but complete model in the shape the exporters write: scene block, two materials (one
// textured through a map block, one "NONE"), the game keys, and one textured square of two faces.
const char* const kSquareModel = R"(*3DSMAX_ASCIIEXPORT	200
*COMMENT "AsciiExport Version  2,00 - Sat Jun 10 12:00:00 2006"
*SCENE {
	*SCENE_FILENAME "square.max"
	*SCENE_FIRSTFRAME 0
	*SCENE_BACKGROUND_STATIC 0.0000	0.0000	0.0000
	*SCENE_AMBIENT_STATIC 0.0000	0.0000	0.0000
}
*MATERIAL_LIST {
	*MATERIAL_COUNT 2
	*MATERIAL 0 {
		*MATERIAL_NAME "Planks"
		*MATERIAL_CLASS "Standard"
		*MATERIAL_AMBIENT 0.1000	0.2000	0.3000
		*MATERIAL_DIFFUSE 0.4000	0.5000	0.6000
		*MATERIAL_SPECULAR 0.9000	0.8000	0.7000
		*MATERIAL_SHINE 0.2500
		*MATERIAL_SHINESTRENGTH 0.0500
		*MAP_DIFFUSE {
			*MAP_NAME "Map #1"
			*MAP_CLASS "Bitmap"
			*MAP_SUBNO 1
			*MAP_AMOUNT 1.0000
			*BITMAP "../data/textures/planks.bmp"
			*UVW_U_OFFSET 0.0000
			*UVW_V_OFFSET 0.0000
			*UVW_U_TILING 2.7000
			*UVW_V_TILING -1.5000
		}
	}
	*MATERIAL 1 {
		*MATERIAL_NAME "Paint"
		*MATERIAL_AMBIENT 0.0000	0.5000	0.0000
		*MATERIAL_DIFFUSE 0.0000	0.6000	0.0000
		*MATERIAL_SPECULAR 0.0000	0.0000	0.0000
		*MATERIAL_SHINE 10.0
		*BITMAP NONE
	}
}
*BRENNWEITE 60
*RADIUS 90
*ENERGIE 5
*ZOFFSET -3
*HOEHE 40
*GESCHWINDIGKEIT 4
*KURVE 2
*KANONEN 6
*MUNITION 30
*REICHWEITE 700
*KANONENGESCHW 18
*GEOMOBJECT {
	*NODE_NAME "Square"
	*NODE_TM {
		*NODE_NAME "Square"
		*TM_ROW0 1.0000	0.0000	0.0000
		*TM_POS 0.0000	0.0000	0.0000
	}
	*MESH {
		*TIMEVALUE 0
		*MESH_NUMVERTEX 4
		*MESH_NUMFACES 2
		*MESH_VERTEX_LIST {
			*MESH_VERTEX    0	-8.0000	-8.0000	0.0000
			*MESH_VERTEX    1	8.0000	-8.0000	0.0000
			*MESH_VERTEX    2	8.0000	8.0000	0.0000
			*MESH_VERTEX    3	-8.0000	8.0000	0.0000
		}
		*MESH_FACE_LIST {
			*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0	 *MESH_SMOOTHING 1 	*MESH_MTLID 0
			*MESH_FACE    1:    A:    0 B:    2 C:    3 AB:    0 BC:    1 CA:    1	 *MESH_SMOOTHING 1 	*MESH_MTLID 0
		}
		*MESH_NUMTVERTEX 4
		*MESH_TVERTLIST {
			*MESH_TVERT 0	0.0000	0.0000	0.0000
			*MESH_TVERT 1	1.0000	0.0000	0.0000
			*MESH_TVERT 2	1.0000	1.0000	0.0000
			*MESH_TVERT 3	0.0000	1.0000	0.0000
		}
		*MESH_NUMTVFACES 2
		*MESH_TFACELIST {
			*MESH_TFACE 0	0	1	2
			*MESH_TFACE 1	0	2	3
		}
		*MESH_NORMALS {
			*MESH_FACENORMAL 0	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 0	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 1	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 2	0.0000	0.0000	1.0000
			*MESH_FACENORMAL 1	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 0	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 2	0.0000	0.0000	1.0000
				*MESH_VERTEXNORMAL 3	0.0000	0.0000	1.0000
		}
	}
	*PROP_MOTIONBLUR 0
	*PROP_CASTSHADOW 1
	*PROP_RECVSHADOW 1
	*MATERIAL_REF 0
	*WIREFRAME_COLOR 0.5000	0.2500	0.1250
}
)";

// Everything drawing relies on, whatever file was read.
void expectConsistent(const MeshModel& model) {
  for (size_t i = 0; i < model.objects.size(); ++i) {
    SCOPED_TRACE("object " + std::to_string(i));
    ASSERT_NE(model.objects[i], nullptr);
    const GeomObject& o = *model.objects[i];
    ASSERT_GE(o.numVertex, 0);
    ASSERT_GE(o.numFaces, 0);
    ASSERT_GE(o.numTVertex, 0);
    ASSERT_GE(o.numTVFaces, 0);
    EXPECT_EQ(o.vertices.size(), 3u * o.numVertex);
    EXPECT_EQ(o.vertexNormals.size(), 3u * o.numVertex);
    EXPECT_EQ(o.faces.size(), 3u * o.numFaces);
    EXPECT_EQ(o.tvertices.size(), 3u * o.numTVertex);
    size_t outside = 0;
    for (uint32_t corner : o.faces) outside += corner >= static_cast<uint32_t>(o.numVertex);
    EXPECT_EQ(outside, 0u) << "face corners outside the object's vertices";
    EXPECT_TRUE(o.materialRef == -1 ||
                (o.materialRef >= 0 && static_cast<size_t>(o.materialRef) < model.materials.size()))
        << "materialRef " << o.materialRef;
  }
}

struct Loaded {
  std::unique_ptr<MeshModel> model;
  std::string out;  // what the load wrote to standard output
  std::string err;  // and to standard error
};

class AseLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    setDialogsEnabled(false);  // the open-failure message goes to standard error
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) /
           ("karvosta_ase_" + std::to_string(getpid()) + "_" + info->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string write(const std::string& text, const std::string& name = "model.ase") {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  Loaded loadPath(const std::string& path) {
    Loaded result;
    result.model = std::make_unique<MeshModel>();
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    result.model->loadAse(path.c_str());
    result.err = ::testing::internal::GetCapturedStderr();
    result.out = ::testing::internal::GetCapturedStdout();
    expectConsistent(*result.model);
    return result;
  }

  // Writes the text as a model file, loads it and checks it is consistent.
  std::unique_ptr<MeshModel> load(const std::string& text) { return loadPath(write(text)).model; }

  fs::path dir_;
};

// One geometry object around a body of mesh lines.
std::string object(const std::string& body) { return "*GEOMOBJECT {\n" + body + "\n}\n"; }

// ---------------------------------------------------------------------------------------------
// The subset as read
// ---------------------------------------------------------------------------------------------

TEST_F(AseLoader, ReadsTheGameKeysMaterialsAndMesh) {
  const std::unique_ptr<MeshModel> m = load(kSquareModel);
  EXPECT_EQ(m->focalDistance, 60);
  EXPECT_EQ(m->radius, 90);
  EXPECT_EQ(m->energy, 5);
  EXPECT_EQ(m->zOffset, -3);
  EXPECT_EQ(m->height, 40);
  EXPECT_EQ(m->speed, 4);
  EXPECT_EQ(m->turnRate, 2);
  EXPECT_EQ(m->cannons, 6);
  EXPECT_EQ(m->ammunition, 30);
  EXPECT_EQ(m->range, 700);
  EXPECT_EQ(m->cannonSpeed, 18);

  ASSERT_EQ(m->materials.size(), 2u);
  const Material& planks = m->materials[0];
  EXPECT_EQ(planks.bitmapName, "../data/textures/planks.bmp");  // the enclosing quotes are not part of it
  EXPECT_EQ(planks.ambient, (std::array<float, 3>{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(planks.diffuse, (std::array<float, 3>{0.4f, 0.5f, 0.6f}));
  EXPECT_EQ(planks.specular, (std::array<float, 3>{0.9f, 0.8f, 0.7f}));
  EXPECT_FLOAT_EQ(planks.shine, 0.25f);
  EXPECT_TRUE(planks.hasBitmap());
  EXPECT_EQ(m->materials[1].bitmapName, "NONE");
  EXPECT_FALSE(m->materials[1].hasBitmap());

  ASSERT_EQ(m->objects.size(), 1u);
  const GeomObject& o = *m->objects[0];
  EXPECT_EQ(o.name, "\"Square\"");
  EXPECT_EQ(o.numVertex, 4);
  EXPECT_EQ(o.numFaces, 2);
  EXPECT_EQ(o.numTVertex, 4);
  EXPECT_EQ(o.numTVFaces, 2);
  EXPECT_EQ(o.vertices, (std::vector<float>{-8, -8, 0, 8, -8, 0, 8, 8, 0, -8, 8, 0}));
  EXPECT_EQ(o.faces, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(o.tvertices, (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
  EXPECT_EQ(o.vertexNormals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(o.materialRef, 0);
  EXPECT_EQ(o.wireframeColor, (std::array<float, 3>{0.5f, 0.25f, 0.125f}));
  EXPECT_TRUE(o.hasTexCoordPerVertex());
}

TEST_F(AseLoader, PrintsOneProgressLine) {
  const std::string path = write(kSquareModel);
  const Loaded loaded = loadPath(path);
  EXPECT_EQ(loaded.out, "loading \"" + path + "\" ...done\n");
  EXPECT_EQ(loaded.err, "");
}

TEST_F(AseLoader, VertexListsAreReadByCountNotByBraces) {
  // Four entries for a count of three, printed with indices 5, 3, 4: the first three are stored in
  // file order, the fourth is skipped, and the faces after it are still read.
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 3
    *MESH_NUMFACES 1
    *MESH_VERTEX_LIST {
      *MESH_VERTEX 5 1.0 2.0 3.0
      *MESH_VERTEX 3 4.0 5.0 6.0
      *MESH_VERTEX 4 7.0 8.0 9.0
      *MESH_VERTEX 6 10.0 11.0 12.0
    }
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 2 B: 1 C: 0 AB: 1 BC: 1 CA: 1
    })"));
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->vertices, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(m->objects[0]->faces, (std::vector<uint32_t>{2, 1, 0}));
}

TEST_F(AseLoader, FaceLinesSkipSmoothingGroupsAndMaterialIds) {
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 4
    *MESH_NUMFACES 3
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1 *MESH_MTLID 0
      *MESH_FACE 7: A: 3 B: 2 C: 1 AB: 0 BC: 1 CA: 1 *MESH_SMOOTHING *MESH_MTLID 3
      *MESH_FACE 1: A: 1 B: 3 C: 0 AB: 0 BC: 0 CA: 0 *MESH_SMOOTHING 1,2,5 *MESH_MTLID 1 extra words
    }
    *MATERIAL_REF 0)"));
  ASSERT_EQ(m->objects.size(), 1u);
  // Printed face numbers are not used: faces are stored in file order.
  EXPECT_EQ(m->objects[0]->faces, (std::vector<uint32_t>{0, 1, 2, 3, 2, 1, 1, 3, 0}));
}

TEST_F(AseLoader, NodeNamesAreSingleTokensQuotedBitmapsKeepTheirBlanks) {
  const std::unique_ptr<MeshModel> m = load(R"(
    *MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *BITMAP "C:\maps\sail cloth.bmp" } }
    *GEOMOBJECT { *NODE_NAME "Main Mast" })");
  ASSERT_EQ(m->materials.size(), 1u);
  EXPECT_EQ(m->materials[0].bitmapName, "C:\\maps\\sail cloth.bmp");
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->name, "\"Main");
}

TEST_F(AseLoader, MaterialBlocksFillTheRecordOfTheirIndex) {
  const std::unique_ptr<MeshModel> m = load(R"(
    *MATERIAL_LIST {
      *MATERIAL_COUNT 3
      *MATERIAL 2 { *MATERIAL_DIFFUSE 0 0 1 *BITMAP two.bmp }
      *MATERIAL 0 { *MATERIAL_DIFFUSE 1 0 0 *BITMAP zero.bmp }
      *MATERIAL 1 { *MATERIAL_DIFFUSE 0 1 0 *BITMAP one.bmp }
    })");
  ASSERT_EQ(m->materials.size(), 3u);
  EXPECT_EQ(m->materials[0].bitmapName, "zero.bmp");
  EXPECT_EQ(m->materials[1].bitmapName, "one.bmp");
  EXPECT_EQ(m->materials[2].bitmapName, "two.bmp");
  EXPECT_EQ(m->materials[1].diffuse, (std::array<float, 3>{0, 1, 0}));
}

TEST_F(AseLoader, NestedBlocksInsideAMaterialApplyToItAndTheLastValueWins) {
  const std::unique_ptr<MeshModel> m = load(R"(
    *MATERIAL_LIST {
      *MATERIAL_COUNT 2
      *MATERIAL 0 {
        *MATERIAL_SHINE 1.0
        *MAP_DIFFUSE { *BITMAP first.bmp *SUBMAP { *MATERIAL_SHINE 3.0 *BITMAP second.bmp } }
      }
      *MATERIAL 1 { *MATERIAL_SHINE 7.0 }
    })");
  ASSERT_EQ(m->materials.size(), 2u);
  EXPECT_EQ(m->materials[0].bitmapName, "second.bmp");
  EXPECT_FLOAT_EQ(m->materials[0].shine, 3.0f);
  EXPECT_FLOAT_EQ(m->materials[1].shine, 7.0f);  // the nested braces did not end the list early
}

TEST_F(AseLoader, GameKeysCountOutsideMaterialsAtAnyDepthOnly) {
  const std::unique_ptr<MeshModel> m = load(R"(
    *SCENE { *RADIUS 11 }
    *MATERIAL_LIST {
      *MATERIAL_COUNT 1
      *MATERIAL 0 { *RADIUS 99 *ENERGIE 99 *MAP_DIFFUSE { *KANONEN 99 } *GEOMOBJECT { } }
    }
    *GEOMOBJECT { *MESH { *USERDATA { *ENERGIE 7 } } }
    *KANONEN 3)");
  EXPECT_EQ(m->radius, 11);
  EXPECT_EQ(m->energy, 7);
  EXPECT_EQ(m->cannons, 3);
  EXPECT_EQ(m->objects.size(), 1u);  // "*GEOMOBJECT" inside the material started no object
}

TEST_F(AseLoader, LaterVertexNormalsReplaceEarlierOnes) {
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 2
    *MESH_NUMFACES 1
    *MESH_NORMALS {
      *MESH_FACENORMAL 0 0 0 1
        *MESH_VERTEXNORMAL 0 1 0 0
        *MESH_VERTEXNORMAL 1 0 1 0
      *MESH_VERTEXNORMAL 0 0 0 -1
    })"));
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->vertexNormals, (std::vector<float>{0, 0, -1, 0, 1, 0}));
}

TEST_F(AseLoader, RepeatedCountsAndListsReplaceTheFirst) {
  // A second mapping channel gives texture vertices a second time; the last ones are kept.
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 1
    *MESH_VERTEX_LIST { *MESH_VERTEX 0 1 1 1 }
    *MESH_NUMTVERTEX 1
    *MESH_TVERTLIST { *MESH_TVERT 0 0.1 0.2 0.3 }
    *MESH_NUMTVERTEX 2
    *MESH_TVERTLIST { *MESH_TVERT 0 0.5 0.6 0.7 *MESH_TVERT 1 0.8 0.9 1.0 }
    *MESH_NUMVERTEX 2
    *MESH_VERTEX_LIST { *MESH_VERTEX 0 2 2 2 *MESH_VERTEX 1 3 3 3 })"));
  ASSERT_EQ(m->objects.size(), 1u);
  const GeomObject& o = *m->objects[0];
  EXPECT_EQ(o.numTVertex, 2);
  EXPECT_EQ(o.tvertices, (std::vector<float>{0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f}));
  EXPECT_EQ(o.vertices, (std::vector<float>{2, 2, 2, 3, 3, 3}));
}

TEST_F(AseLoader, ObjectsKeepFileOrderAndTheirOwnProperties) {
  const std::unique_ptr<MeshModel> m = load(R"(
    *MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { } }
    *GEOMOBJECT { *NODE_NAME hull *MATERIAL_REF 0 }
    *GEOMOBJECT { *NODE_NAME mast *WIREFRAME_COLOR 0.1 0.2 0.3 }
    *GEOMOBJECT { *NODE_NAME flag })");
  ASSERT_EQ(m->objects.size(), 3u);
  EXPECT_EQ(m->objects[0]->name, "hull");
  EXPECT_EQ(m->objects[1]->name, "mast");
  EXPECT_EQ(m->objects[2]->name, "flag");  // the last one is appended at the end of the file
  EXPECT_EQ(m->objects[0]->materialRef, 0);
  EXPECT_EQ(m->objects[1]->materialRef, -1);  // no "*MATERIAL_REF": no material
  EXPECT_EQ(m->objects[1]->wireframeColor, (std::array<float, 3>{0.1f, 0.2f, 0.3f}));
}

TEST_F(AseLoader, AFileWithoutObjectsOrMaterialsGivesAnEmptyModel) {
  const std::unique_ptr<MeshModel> m =
      load("*3DSMAX_ASCIIEXPORT 200\n*SCENE { *SCENE_FIRSTFRAME 0 }\n");
  EXPECT_TRUE(m->objects.empty());
  EXPECT_TRUE(m->materials.empty());
  EXPECT_EQ(m->radius, 0);
}

TEST_F(AseLoader, NumbersReadTheSameInAnyNotation) {
  const std::unique_ptr<MeshModel> m = load(
      "*RADIUS +42\n*ENERGIE -7\r\n*HOEHE 12.9\n" +
      object("\t*MESH_NUMVERTEX 2\r\n*MESH_VERTEX_LIST {\r\n"
             "*MESH_VERTEX 0 1e2 -.5 +2.5E-1\r\n*MESH_VERTEX 1 .125 -0 7.\r\n}"));
  EXPECT_EQ(m->radius, 42);
  EXPECT_EQ(m->energy, -7);
  EXPECT_EQ(m->height, 12);  // an integer is read from the start of the token, as a stream would
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->vertices, (std::vector<float>{100, -0.5f, 0.25f, 0.125f, 0, 7}));
}

TEST_F(AseLoader, AGermanNumericLocaleDoesNotChangeHowRealsRead) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
  }
  std::locale previous = std::locale::global(std::locale("de_DE.UTF-8"));
  const std::unique_ptr<MeshModel> m = load(
      "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *MATERIAL_SHINE 0.5 } }\n" +
      object("*MESH_NUMVERTEX 1 *MESH_VERTEX_LIST { *MESH_VERTEX 0 0.5 1,5 2 }"));
  std::locale::global(previous);
  std::setlocale(LC_ALL, "C");
  ASSERT_EQ(m->materials.size(), 1u);
  EXPECT_FLOAT_EQ(m->materials[0].shine, 0.5f);
  ASSERT_EQ(m->objects.size(), 1u);
  // "1,5" is not a German 1.5 here: the number ends at the comma, as it does in the C locale.
  EXPECT_EQ(m->objects[0]->vertices, (std::vector<float>{0.5f, 1.0f, 2.0f}));
}

// ---------------------------------------------------------------------------------------------
// Missing sections and keys: neutral values
// ---------------------------------------------------------------------------------------------

TEST_F(AseLoader, MissingSectionsGiveEmptyArraysAndUpwardNormals) {
  const std::unique_ptr<MeshModel> m = load(R"(
    *MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *MATERIAL_NAME "bare" } }
    *GEOMOBJECT {
      *MESH_NUMVERTEX 2 *MESH_VERTEX_LIST { *MESH_VERTEX 0 1 2 3 *MESH_VERTEX 1 4 5 6 }
    }
    *GEOMOBJECT { })");
  ASSERT_EQ(m->materials.size(), 1u);
  const Material& bare = m->materials[0];
  EXPECT_EQ(bare.ambient, (std::array<float, 3>{1, 1, 1}));
  EXPECT_EQ(bare.diffuse, (std::array<float, 3>{1, 1, 1}));
  EXPECT_EQ(bare.specular, (std::array<float, 3>{1, 1, 1}));
  EXPECT_EQ(bare.shine, 0.0f);
  EXPECT_EQ(bare.bitmapName, "");
  EXPECT_FALSE(bare.hasBitmap());  // no texture without a "*BITMAP"

  ASSERT_EQ(m->objects.size(), 2u);
  const GeomObject& noNormals = *m->objects[0];
  EXPECT_EQ(noNormals.vertexNormals, (std::vector<float>{0, 0, 1, 0, 0, 1}));
  EXPECT_TRUE(noNormals.faces.empty());
  EXPECT_TRUE(noNormals.tvertices.empty());
  EXPECT_FALSE(noNormals.hasTexCoordPerVertex());
  const GeomObject& empty = *m->objects[1];
  EXPECT_EQ(empty.numVertex, 0);
  EXPECT_TRUE(empty.vertices.empty());
  EXPECT_EQ(empty.wireframeColor, (std::array<float, 3>{1, 1, 1}));
}

TEST_F(AseLoader, MeshKeysBeforeAnyObjectAreDropped) {
  const std::unique_ptr<MeshModel> m = load(R"(
    *MESH_NUMVERTEX 3 *MESH_NUMFACES 1 *NODE_NAME stray *MATERIAL_REF 4
    *MESH_VERTEX_LIST { *MESH_VERTEX 0 1 1 1 *MESH_VERTEX 1 2 2 2 *MESH_VERTEX 2 3 3 3 }
    *MESH_FACE_LIST { *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1 }
    *RADIUS 5)");
  EXPECT_TRUE(m->objects.empty());
  EXPECT_EQ(m->radius, 5);
}

// ---------------------------------------------------------------------------------------------
// Bad indices: rejected without touching anything outside an array
// ---------------------------------------------------------------------------------------------

TEST_F(AseLoader, AMaterialBlockWithABadIndexIsReadAndDropped) {
  const std::unique_ptr<MeshModel> m = load(R"(
    *MATERIAL_LIST {
      *MATERIAL_COUNT 2
      *MATERIAL 2 { *BITMAP wrong.bmp *MAP_DIFFUSE { *MATERIAL_SHINE 9 } }
      *MATERIAL -1 { *BITMAP wrong.bmp }
      *MATERIAL 1 { *BITMAP right.bmp }
    }
    *RADIUS 8)");
  ASSERT_EQ(m->materials.size(), 2u);
  EXPECT_EQ(m->materials[0].bitmapName, "");
  EXPECT_EQ(m->materials[1].bitmapName, "right.bmp");
  EXPECT_EQ(m->materials[0].shine, 0.0f);
  EXPECT_EQ(m->radius, 8);
}

TEST_F(AseLoader, MaterialRefsOutsideTheMaterialsBecomeNoMaterial) {
  const Loaded loaded = loadPath(write(R"(
    *MATERIAL_LIST { *MATERIAL_COUNT 2 *MATERIAL 0 { } *MATERIAL 1 { } }
    *GEOMOBJECT { *NODE_NAME hull *MATERIAL_REF 2 }
    *GEOMOBJECT { *MATERIAL_REF -5 }
    *GEOMOBJECT { *MATERIAL_REF 1 })"));
  const std::unique_ptr<MeshModel>& m = loaded.model;
  EXPECT_NE(loaded.err.find("object hull: material 2 does not exist"), std::string::npos)
      << loaded.err;
  ASSERT_EQ(m->objects.size(), 3u);
  EXPECT_EQ(m->objects[0]->materialRef, -1);
  EXPECT_EQ(m->objects[1]->materialRef, -1);
  EXPECT_EQ(m->objects[2]->materialRef, 1);
}

TEST_F(AseLoader, AMaterialRefWithoutAnyMaterialListBecomesNoMaterial) {
  const std::unique_ptr<MeshModel> m = load("*GEOMOBJECT { *MATERIAL_REF 0 }");
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->materialRef, -1);
}

TEST_F(AseLoader, NormalsWithABadIndexAreSkipped) {
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 2
    *MESH_NUMFACES 1
    *MESH_NORMALS {
      *MESH_FACENORMAL 1 9 9 9
      *MESH_FACENORMAL 0 0 1 0
      *MESH_VERTEXNORMAL 2 9 9 9
      *MESH_VERTEXNORMAL -1 9 9 9
      *MESH_VERTEXNORMAL 1 1 0 0
    })"));
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->vertexNormals, (std::vector<float>{0, 0, 1, 1, 0, 0}));
}

TEST_F(AseLoader, UnknownTokensInsideTheNormalsBlockAreSkipped) {
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 1
    *MESH_NORMALS { *MESH_SMOOTHINGNORMAL 0 1 1 1 *MESH_VERTEXNORMAL 0 0 -1 0 }
    *MATERIAL_REF 0)") + "*RADIUS 3");
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->vertexNormals, (std::vector<float>{0, -1, 0}));
  EXPECT_EQ(m->radius, 3);
}

TEST_F(AseLoader, FacesWithACornerOutsideTheVerticesAreDropped) {
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 3
    *MESH_NUMFACES 4
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 3 AB: 1 BC: 1 CA: 1
      *MESH_FACE 1: A: 2 B: 1 C: 0 AB: 1 BC: 1 CA: 1
      *MESH_FACE 2: A: -1 B: 1 C: 0 AB: 1 BC: 1 CA: 1
      *MESH_FACE 3: A: 0 B: 4294967296 C: 1 AB: 1 BC: 1 CA: 1
    }
    *MESH_NORMALS {
      *MESH_FACENORMAL 0 1 0 0
      *MESH_FACENORMAL 1 0 1 0
      *MESH_FACENORMAL 2 0 0 1
      *MESH_FACENORMAL 3 1 1 1
    })"));
  ASSERT_EQ(m->objects.size(), 1u);
  const GeomObject& o = *m->objects[0];
  EXPECT_EQ(o.numFaces, 1);
  EXPECT_EQ(o.faces, (std::vector<uint32_t>{2, 1, 0}));
}

TEST_F(AseLoader, ALaterSmallerVertexCountDropsTheFacesItNoLongerCovers) {
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 4
    *MESH_NUMFACES 2
    *MESH_FACE_LIST {
      *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1
      *MESH_FACE 1: A: 1 B: 2 C: 3 AB: 1 BC: 1 CA: 1
    }
    *MESH_NUMVERTEX 3)"));
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->faces, (std::vector<uint32_t>{0, 1, 2}));
}

// ---------------------------------------------------------------------------------------------
// Broken files: the load stops at the fault and keeps what was read
// ---------------------------------------------------------------------------------------------

TEST_F(AseLoader, AFileThatCannotBeOpenedGivesAnEmptyModelAndOneMessage) {
  const std::string path = (dir_ / "missing.ase").string();
  const Loaded loaded = loadPath(path);
  EXPECT_TRUE(loaded.model->objects.empty());
  EXPECT_TRUE(loaded.model->materials.empty());
  EXPECT_EQ(loaded.out, "loading \"" + path + "\" ...done\n");
  EXPECT_NE(loaded.err.find("Failed to open ASE file " + path + ".\n"), std::string::npos)
      << loaded.err;

  const Loaded directory = loadPath(dir_.string());  // opens, but cannot be read
  EXPECT_TRUE(directory.model->objects.empty());
  EXPECT_NE(directory.err.find("Failed to open ASE file"), std::string::npos);
}

TEST_F(AseLoader, AWordWhereANumberBelongsStopsTheLoad) {
  const Loaded loaded = loadPath(write("*RADIUS 5\n*ENERGIE many\n*KANONEN 4\n"));
  EXPECT_EQ(loaded.model->radius, 5);
  EXPECT_EQ(loaded.model->energy, 0);
  EXPECT_EQ(loaded.model->cannons, 0);  // after the fault nothing more is read
  EXPECT_NE(loaded.err.find("line 2"), std::string::npos) << loaded.err;
  EXPECT_NE(loaded.out.find("done\n"), std::string::npos);
}

TEST_F(AseLoader, AListShorterThanItsCountStopsTheLoadKeepingTheObject) {
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *NODE_NAME short
    *MESH_NUMVERTEX 3
    *MESH_VERTEX_LIST { *MESH_VERTEX 0 1 1 1 *MESH_VERTEX 1 2 2 2 }
    *MATERIAL_REF 0)") + "*RADIUS 4");
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->name, "short");
  EXPECT_EQ(m->objects[0]->vertices, (std::vector<float>{1, 1, 1, 2, 2, 2, 0, 0, 0}));
  EXPECT_EQ(m->radius, 0);
}

TEST_F(AseLoader, AFaceListShorterThanItsCountStopsAtItsClosingBrace) {
  const std::unique_ptr<MeshModel> m = load(object(R"(
    *MESH_NUMVERTEX 3
    *MESH_NUMFACES 2
    *MESH_FACE_LIST { *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1 *MESH_MTLID 0 }
    )") + object(R"(*NODE_NAME second *MESH_NUMFACES 1
    *MESH_FACE_LIST { *MESH_FACE 0: A: 0 B: 0 C: 0 AB: 0 BC: 0 CA: 0 })"));
  ASSERT_EQ(m->objects.size(), 1u);  // the second object's faces were not taken for the first's
  EXPECT_EQ(m->objects[0]->numFaces, 2);
  EXPECT_EQ(m->objects[0]->faces, (std::vector<uint32_t>{0, 1, 2, 0, 0, 0}));
}

TEST_F(AseLoader, NegativeOrAbsurdCountsStopTheLoad) {
  for (const char* count : {"-1", "10000001", "2147483648", "5000"}) {
    SCOPED_TRACE(count);
    const std::unique_ptr<MeshModel> m =
        load(std::string("*RADIUS 1\n*MATERIAL_LIST { *MATERIAL_COUNT ") + count +
             " }\n*ENERGIE 2");
    EXPECT_EQ(m->radius, 1);
    EXPECT_EQ(m->energy, 0);
    EXPECT_TRUE(m->materials.empty());
  }
  // A vertex count larger than the rest of the file could hold allocates nothing.
  const std::unique_ptr<MeshModel> m = load(object("*MESH_NUMVERTEX 9000000"));
  ASSERT_EQ(m->objects.size(), 1u);
  EXPECT_EQ(m->objects[0]->numVertex, 0);
}

TEST_F(AseLoader, TheEndOfTheFileInsideAMaterialBlockStopsTheLoad) {
  const std::unique_ptr<MeshModel> m =
      load("*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *BITMAP a.bmp *MATERIAL_SHINE 2");
  ASSERT_EQ(m->materials.size(), 1u);
  EXPECT_EQ(m->materials[0].bitmapName, "a.bmp");
  EXPECT_FLOAT_EQ(m->materials[0].shine, 2.0f);
}

// Cut the model at every byte: no crash, no read outside the file or an array (the sanitizers
// watch), a consistent model; and where the cut falls between tokens, nothing that the full file
// does not say (inside a token, "90" cut to "9" is a different number, legitimately).
TEST_F(AseLoader, AFileCutAnywhereGivesAConsistentPartOfTheModel) {
  const std::string full = kSquareModel;
  const std::unique_ptr<MeshModel> whole = load(full);
  for (size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE("cut at byte " + std::to_string(cut));
    const Loaded part = loadPath(write(full.substr(0, cut)));
    ASSERT_FALSE(HasFailure());
    const MeshModel& m = *part.model;
    EXPECT_LE(m.objects.size(), 1u);
    EXPECT_LE(m.materials.size(), 2u);
    EXPECT_NE(part.out.find("done\n"), std::string::npos);
    const bool betweenTokens =
        cut == full.size() || std::isspace(static_cast<unsigned char>(full[cut]));
    if (!betweenTokens) continue;
    EXPECT_TRUE(m.radius == 0 || m.radius == whole->radius);
    EXPECT_TRUE(m.cannonSpeed == 0 || m.cannonSpeed == whole->cannonSpeed);
    for (const std::unique_ptr<GeomObject>& object : m.objects) {
      for (size_t i = 0; i < object->vertices.size(); ++i) {
        const float value = object->vertices[i];
        EXPECT_TRUE(value == 0.0f || value == whole->objects[0]->vertices[i]);
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The program's own models, when the asset generator has written them
// ---------------------------------------------------------------------------------------------

TEST_F(AseLoader, TheGeneratedModelsLoadWithTheirGameValues) {
  const std::string objects = std::string(KARVOSTA_RUNTIME_DIR) + "/data/objects/";
  if (!fs::exists(objects + "schiff1.ase")) {
    GTEST_SKIP() << "generated models not found in " << objects;
  }
  for (const char* ship : {"schiff1.ase", "schiff2.ase"}) {
    SCOPED_TRACE(ship);
    const Loaded loaded = loadPath(objects + ship);
    const MeshModel& m = *loaded.model;
    EXPECT_EQ(loaded.err, "");
    EXPECT_FALSE(m.objects.empty());
    // zOffset may well be 0: a hull modelled with its origin at the waterline.
    for (int32_t value : {m.focalDistance, m.radius, m.energy, m.height, m.speed, m.turnRate,
                          m.cannons, m.ammunition, m.range, m.cannonSpeed}) {
      EXPECT_GT(value, 0);
    }
    EXPECT_LT(m.focalDistance, m.radius);  // the foci lie inside the hit ellipse
  }
  const Loaded duck = loadPath(objects + "ente.ase");
  EXPECT_EQ(duck.err, "");
  EXPECT_FALSE(duck.model->objects.empty());
  EXPECT_GT(duck.model->radius, 0);
}

}  // namespace
