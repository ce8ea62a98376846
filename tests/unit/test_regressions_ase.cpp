// ASE loader regressions from fuzzing: files whose work grew with the square of their size (thousands
// of rejected indices, a large count repeated over and over).
#include <gtest/gtest.h>

#include <unistd.h>  // Required for: getpid()

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "assets/mesh_model.h"
#include "platform/dialog.h"

namespace {

namespace fs = std::filesystem;

class AseRegression : public ::testing::Test {
 protected:
  void SetUp() override {
    setDialogsEnabled(false);
    dir_ = fs::temp_directory_path() /
           ("karvosta_ase_regression_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    setDialogsEnabled(true);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Loads the text as a model file; `err` receives what the load wrote to standard error.
  std::unique_ptr<MeshModel> load(const std::string& text, std::string& err) {
    const std::string path = (dir_ / "model.ase").string();
    std::ofstream(path, std::ios::binary) << text;
    auto model = std::make_unique<MeshModel>();
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    model->loadAse(path.c_str());
    err = ::testing::internal::GetCapturedStderr();
    ::testing::internal::GetCapturedStdout();
    return model;
  }

  fs::path dir_;
};

int linesOf(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

// Every rejected normal index looked up its line number by scanning the file from the start: a
// 200 kB file of bad normals took seconds. Only the first eight are shown, the rest are counted.
TEST_F(AseRegression, ThousandsOfRejectedIndicesAreCountedNotEachLocated) {
  constexpr int kBadNormals = 7600;
  std::string text = "*GEOMOBJECT {\n*MESH_NUMVERTEX 1\n*MESH_NUMFACES 0\n*MESH_NORMALS {\n";
  for (int i = 0; i < kBadNormals; ++i) text += "*MESH_VERTEXNORMAL 9 0 0 0\n";
  text += "*MESH_VERTEXNORMAL 0 1 0 0\n}\n}\n";
  std::string err;
  const auto model = load(text, err);

  EXPECT_EQ(linesOf(err), 8 + 1) << err;  // eight notes and the summary
  EXPECT_NE(err.find("line 5: vertex normal 9 outside 0..0 skipped"), std::string::npos) << err;
  EXPECT_NE(err.find(std::to_string(kBadNormals) + " rejected indices in all."), std::string::npos) << err;
  ASSERT_EQ(model->objects.size(), 1u);
  EXPECT_EQ(model->objects[0]->vertexNormals, (std::vector<float>{1.0f, 0.0f, 0.0f}));
}

// Each count clears and sizes its arrays. Each count alone fitted the bytes left after it, so a file
// repeating a large count cleared megabytes thousands of times (over a minute for 200 kB). All counts
// now share the file's size: the second large count is refused and the load keeps what it had.
TEST_F(AseRegression, RepeatedLargeCountsShareOneBudget) {
  constexpr size_t kSize = 200000;
  for (const std::string keyword : {"*MESH_NUMVERTEX", "*MESH_NUMFACES", "*MESH_NUMTVERTEX",
                                    "*MESH_NUMTVFACES", "*MATERIAL_COUNT"}) {
    SCOPED_TRACE(keyword);
    const size_t lineLength = keyword.size() + 8;  // keyword, blank, six digits, line feed
    std::string text = "*GEOMOBJECT {\n";
    while (text.size() + lineLength < kSize) {
      const size_t left = kSize - text.size() - lineLength - 50;
      char digits[8];
      std::snprintf(digits, sizeof digits, "%06zu", left);
      text += keyword + " " + digits + "\n";
    }
    std::string err;
    const auto model = load(text, err);

    EXPECT_NE(err.find("line 3: "), std::string::npos) << err;  // the second count is the one refused
    EXPECT_NE(err.find("is impossible for this file; loading stops here"), std::string::npos) << err;
    ASSERT_EQ(model->objects.size(), 1u);
    const GeomObject& o = *model->objects[0];
    const int32_t first = static_cast<int32_t>(kSize - 14 - lineLength - 50);
    if (keyword == "*MESH_NUMVERTEX") {
      EXPECT_EQ(o.vertices.size(), 3u * first);
    } else if (keyword == "*MATERIAL_COUNT") {
      EXPECT_EQ(model->materials.size(), static_cast<size_t>(first));
    }
  }
}

// Counts that together fit the file still load: two texture vertex lists in one object, the second
// replacing the first, as an extra mapping channel writes them.
TEST_F(AseRegression, CountsWithTheirListsStayWithinTheBudget) {
  const std::string text =
      "*GEOMOBJECT {\n*MESH_NUMVERTEX 2\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 0 0 0\n*MESH_VERTEX 1 1 0 0\n}\n"
      "*MESH_NUMTVERTEX 2\n*MESH_TVERTLIST {\n*MESH_TVERT 0 0 0 0\n*MESH_TVERT 1 1 0 0\n}\n"
      "*MESH_NUMTVERTEX 2\n*MESH_TVERTLIST {\n*MESH_TVERT 0 5 6 7\n*MESH_TVERT 1 8 9 1\n}\n}\n";
  std::string err;
  const auto model = load(text, err);
  EXPECT_EQ(err, "");
  ASSERT_EQ(model->objects.size(), 1u);
  EXPECT_EQ(model->objects[0]->tvertices, (std::vector<float>{5, 6, 7, 8, 9, 1}));
}

}  // namespace
