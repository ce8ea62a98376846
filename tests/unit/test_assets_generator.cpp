// The asset generator as a program: the same bytes on every run, the full set of files in the
// run-time tree, and a clear failure when it cannot do its job.
#include <gtest/gtest.h>

#include <stdlib.h>  // Required for: mkdtemp
#include <sys/wait.h>  // Required for: WEXITSTATUS

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "test_assets_common.h"

namespace {

namespace fs = std::filesystem;

// Every file the demo opens from the data tree.
const char* const kExpectedFiles[] = {
    "objects/schiff1.ase",       "objects/schiff2.ase",        "objects/ente.ase",
    "textures/template.bmp",     "textures/dome256256.bmp",    "textures/bumpversion_nm.bmp",
    "sound/wind.wav",            "sound/sails.mp3",            "sound/ocean.wav",
    "sound/quack1.mp3",          "sound/quack2.mp3",           "sound/cannon1.wav",
    "sound/cannon2.wav",         "sound/cannon3.wav",          "sound/cannon4.wav",
    "sound/explosion.wav",       "sound/watersplash.wav",
};

std::string makeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "karvosta_assets_XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const char* made = mkdtemp(buffer.data());
  return made ? std::string(made) : std::string();
}

int runGenerator(const std::string& args) {
  const std::string command = "'" + asset_check::generatorPath() + "' " + args + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return status == -1 ? -1 : WEXITSTATUS(status);
}

// Relative path -> bytes, for every regular file under `root`.
std::map<std::string, std::vector<uint8_t>> snapshot(const std::string& root) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    files[fs::relative(entry.path(), root).string()] = asset_check::readBytes(entry.path().string());
  }
  return files;
}

class Generator : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(asset_check::generatorPath())) << asset_check::generatorPath();
  }
  void TearDown() override {
    for (const std::string& dir : cleanup_) fs::remove_all(dir);
  }
  std::string tempDir() {
    const std::string dir = makeTempDir();
    if (!dir.empty()) cleanup_.push_back(dir);
    return dir;
  }
  std::vector<std::string> cleanup_;
};

TEST_F(Generator, TwoRunsWriteIdenticalBytes) {
  const std::string a = tempDir(), b = tempDir();
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  ASSERT_EQ(runGenerator("'" + a + "'"), 0);
  ASSERT_EQ(runGenerator("'" + b + "'"), 0);
  const auto first = snapshot(a), second = snapshot(b);
  ASSERT_EQ(first.size(), second.size());
  for (const auto& [name, bytes] : first) {
    auto it = second.find(name);
    ASSERT_NE(it, second.end()) << name << " only in the first run";
    EXPECT_TRUE(bytes == it->second) << name << " differs between runs";
  }
  // The build's own tree came from the same generator: same file set, same bytes.
  const auto built = snapshot(asset_check::dataDir());
  for (const auto& [name, bytes] : first) {
    auto it = built.find(name);
    ASSERT_NE(it, built.end()) << name << " missing from the build's data tree";
    EXPECT_TRUE(bytes == it->second) << name << " in the build's data tree is stale";
  }
}

TEST_F(Generator, TheBuildTreeHoldsEveryFileTheDemoOpens) {
  for (const char* name : kExpectedFiles) {
    const fs::path path = fs::path(asset_check::dataDir()) / name;
    ASSERT_TRUE(fs::is_regular_file(path)) << path;
    EXPECT_GT(fs::file_size(path), 0u) << path;
  }
}

TEST_F(Generator, WithoutATargetItPrintsUsageAndFails) {
  EXPECT_NE(runGenerator(""), 0);
  EXPECT_NE(runGenerator("--preview"), 0);
}

TEST_F(Generator, AnUnwritableTargetIsAFailureNotACrash) {
  const std::string dir = tempDir();
  ASSERT_FALSE(dir.empty());
  // A plain file where the data directory should be.
  const std::string blocker = dir + "/data";
  { std::ofstream(blocker) << "not a directory"; }
  EXPECT_EQ(runGenerator("'" + blocker + "'"), 1);
}

TEST_F(Generator, PreviewsArePicturesForEveryModelAndTexture) {
  const std::string data = tempDir(), previews = tempDir();
  ASSERT_EQ(runGenerator("'" + data + "' --preview '" + previews + "'"), 0);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(previews)) {
    const std::vector<uint8_t> head = asset_check::readBytes(entry.path().string());
    ASSERT_GE(head.size(), 8u);
    EXPECT_EQ(std::string(head.begin() + 1, head.begin() + 4), "PNG") << entry.path();
    names.insert(entry.path().filename().string());
  }
  for (const char* expected : {"schiff1_quarter.png", "schiff2_side.png", "ente_quarter.png", "dome256256.png",
                               "bumpversion_nm.png", "sky_up.png"}) {
    EXPECT_EQ(names.count(expected), 1u) << expected;
  }
}

}  // namespace
