// A user's own models as other tools write them: quoted bitmap paths with blanks, UTF-16 text, a
// file without geometry. Each gets a model that works or one line that says why it cannot.
#include <gtest/gtest.h>

#include <unistd.h>  // Required for: getpid

#include <filesystem>
#include <fstream>
#include <string>

#include "assets/bmp_image.h"
#include "assets/mesh_model.h"
#include "platform/dialog.h"

namespace {

namespace fs = std::filesystem;

const char* const kTriangle = "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *BITMAP NONE } }\n"
                              "*RADIUS 12\n"
                              "*GEOMOBJECT { *NODE_NAME sail *MESH_NUMVERTEX 3 *MESH_NUMFACES 1\n"
                              " *MESH_VERTEX_LIST { *MESH_VERTEX 0 0 0 0 *MESH_VERTEX 1 1 0 0 *MESH_VERTEX 2 0 1 0 }\n"
                              " *MESH_FACE_LIST { *MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1 } }\n";

// The same text in UTF-16 with its byte-order mark, as a Windows editor saves "Unicode".
std::string utf16(const std::string& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : text) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

class UserContent : public ::testing::Test {
 protected:
  void SetUp() override {
    setDialogsEnabled(false);
    dir_ = fs::path(::testing::TempDir()) / ("karvosta user content " + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Writes `bytes` as a model file and loads it; `err_` gets what the load said on stderr.
  std::string path_;
  std::string err_;
  MeshModel load(const std::string& bytes) {
    path_ = (dir_ / "my ship.ase").string();
    std::ofstream(path_, std::ios::binary) << bytes;
    MeshModel model;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    model.loadAse(path_.c_str());
    err_ = ::testing::internal::GetCapturedStderr();
    ::testing::internal::GetCapturedStdout();
    return model;
  }

  fs::path dir_;
};

TEST_F(UserContent, AQuotedBitmapPathWithBlanksLoadsItsPicture) {
  const fs::path wood = fs::path(KARVOSTA_RUNTIME_DIR) / "data/textures/wood.bmp";
  if (!fs::exists(wood)) GTEST_SKIP() << "generated textures not found";
  const fs::path picture = dir_ / "old maps" / "dark oak.bmp";
  fs::create_directories(picture.parent_path());
  fs::copy_file(wood, picture);

  for (const char* tail : {"", " *MATERIAL_SHINE 0.5"}) {  // the closing quote ends the path, not the line
    SCOPED_TRACE(tail);
    const MeshModel model =
        load("*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 {\n *BITMAP \"" + picture.string() + "\"" + tail +
             "\n} }\n*GEOMOBJECT { *MATERIAL_REF 0 }\n");
    ASSERT_EQ(model.materials.size(), 1u);
    EXPECT_EQ(model.materials[0].bitmapName, picture.string());
    EXPECT_EQ(err_, "");
    const std::unique_ptr<RgbImage> image = loadDib(model.materials[0].bitmapName.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_GT(image->width, 0);
  }
  // A quote that is never closed on its line: the path is the one token, quote included.
  const MeshModel open = load("*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *BITMAP \"a b.bmp\n } }\n");
  EXPECT_EQ(open.materials[0].bitmapName, "\"a");
}

TEST_F(UserContent, FilesThatLoadNoMeshSayWhyInOneLine) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string message;  // the whole of stderr after the file's name; empty: nothing said
    size_t objects;
  };
  const std::string noGeometry = " has no geometry object (*GEOMOBJECT); the model draws nothing.\n";
  const Case cases[] = {
      {"UTF-16 little-endian", utf16(kTriangle, false), " is UTF-16 (little-endian) text; save it as ASCII or UTF-8.\n", 0},
      {"UTF-16 big-endian", utf16(kTriangle, true), " is UTF-16 (big-endian) text; save it as ASCII or UTF-8.\n", 0},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + std::string(kTriangle), "", 1},
      {"materials and game keys only", "*MATERIAL_LIST { *MATERIAL_COUNT 0 }\n*RADIUS 12\n", noGeometry, 0},
      {"empty", "", noGeometry, 0},
      {"plain text", "Hello, this is not a model.\n", noGeometry, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const MeshModel model = load(c.bytes);
    EXPECT_EQ(model.objects.size(), c.objects);
    EXPECT_EQ(err_, c.message.empty() ? "" : "ASE file \"" + path_ + "\"" + c.message);
  }
}

}  // namespace
