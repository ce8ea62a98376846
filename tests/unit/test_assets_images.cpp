// Generated bitmaps: BMP headers as the loader accepts them, the sky dome's fold-out agreeing where
// one sky direction appears twice, and the ripple normal map repeating without a seam.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "test_assets_common.h"

namespace {

using asset_check::le16;
using asset_check::le32;
using asset_check::le32s;

struct Bitmap {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // bottom row first
  std::string problem;       // empty when the file is well-formed

  int at(int x, int y, int channel) const { return rgb[(static_cast<size_t>(y) * width + x) * 3 + channel]; }
};

// Reads a 24-bit bottom-up BMP with the 40-byte info header; anything else is reported as a problem.
Bitmap readBmp(const std::string& path) {
  Bitmap bmp;
  const std::vector<uint8_t> b = asset_check::readBytes(path);
  if (b.size() < 54) {
    bmp.problem = "missing or shorter than the two headers";
    return bmp;
  }
  if (b[0] != 'B' || b[1] != 'M') bmp.problem = "no BM signature";
  if (le32(b, 2) != b.size()) bmp.problem = "file size field disagrees with the file";
  if (le32(b, 14) != 40) bmp.problem = "info header is not 40 bytes";
  if (le16(b, 26) != 1) bmp.problem = "planes not 1";
  if (le16(b, 28) != 24) bmp.problem = "not 24 bits per pixel";
  if (le32(b, 30) != 0) bmp.problem = "compressed";
  bmp.width = le32s(b, 18);
  bmp.height = le32s(b, 22);
  if (bmp.width <= 0 || bmp.height <= 0) bmp.problem = "not a bottom-up picture";
  const size_t offset = le32(b, 10);
  const size_t stride = (static_cast<size_t>(bmp.width) * 3 + 3) & ~size_t{3};
  if (!bmp.problem.empty()) return bmp;
  if (offset < 54 || offset + stride * static_cast<size_t>(bmp.height) > b.size()) {
    bmp.problem = "pixel data runs past the end of the file";
    return bmp;
  }
  bmp.rgb.resize(static_cast<size_t>(bmp.width) * bmp.height * 3);
  for (int y = 0; y < bmp.height; ++y) {
    for (int x = 0; x < bmp.width; ++x) {
      const size_t src = offset + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
      for (int c = 0; c < 3; ++c) bmp.rgb[(static_cast<size_t>(y) * bmp.width + x) * 3 + c] = b[src + 2 - c];
    }
  }
  return bmp;
}

std::string texturePath(const std::string& name) { return asset_check::dataDir() + "/textures/" + name; }

TEST(GeneratedBitmaps, EveryTextureIsA24BitBmpWithPowerOfTwoSides) {
  const std::string dir = asset_check::dataDir() + "/textures";
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".bmp") continue;
    ++count;
    const Bitmap bmp = readBmp(entry.path().string());
    EXPECT_EQ(bmp.problem, "") << entry.path();
    EXPECT_TRUE(asset_check::isPowerOfTwo(bmp.width)) << entry.path() << " width " << bmp.width;
    EXPECT_TRUE(asset_check::isPowerOfTwo(bmp.height)) << entry.path() << " height " << bmp.height;
  }
  EXPECT_GE(count, 3);
}

TEST(GeneratedBitmaps, TheProgramsOwnPicturesHaveTheirSizes) {
  const Bitmap dome = readBmp(texturePath("dome256256.bmp"));
  EXPECT_EQ(dome.problem, "");
  EXPECT_EQ(dome.width, 256);
  EXPECT_EQ(dome.height, 256);
  const Bitmap bump = readBmp(texturePath("bumpversion_nm.bmp"));
  EXPECT_EQ(bump.problem, "");
  EXPECT_EQ(bump.width, bump.height);
  EXPECT_GE(bump.width, 64);
  const Bitmap placeholder = readBmp(texturePath("template.bmp"));
  EXPECT_EQ(placeholder.problem, "");
  EXPECT_GE(placeholder.width, 8);
}

TEST(GeneratedBitmaps, TruncatedOrForeignFilesAreRejectedByThisReader) {
  // The checks above would pass vacuously if the reader accepted anything: prove that it does not.
  const std::string dir = std::filesystem::temp_directory_path().string();
  std::vector<uint8_t> good = asset_check::readBytes(texturePath("template.bmp"));
  ASSERT_GT(good.size(), 54u);
  auto check = [&](std::vector<uint8_t> bytes, const char* what) {
    const std::string path = dir + "/karvosta_bmp_check.bmp";
    {
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    EXPECT_NE(readBmp(path).problem, "") << what;
    std::filesystem::remove(path);
  };
  check(std::vector<uint8_t>(good.begin(), good.begin() + 40), "cut inside the headers");
  check(std::vector<uint8_t>(good.begin(), good.end() - 10), "cut inside the pixels");
  std::vector<uint8_t> deep = good;
  deep[28] = 32;
  check(deep, "32 bits per pixel");
  std::vector<uint8_t> v5 = good;
  v5[14] = 124;
  check(v5, "124-byte header");
}

// [Sky dome] The strips map texture column s = 0 to the -y direction and s = 1 to +y in both halves,
// the +x half above t = 0.5 and the -x half mirrored below it.
class DomePicture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { dome_ = new Bitmap(readBmp(texturePath("dome256256.bmp"))); }
  static void TearDownTestSuite() {
    delete dome_;
    dome_ = nullptr;
  }
  static int maxDifference(int x0, int y0, int x1, int y1) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(dome_->at(x0, y0, c) - dome_->at(x1, y1, c)));
    return worst;
  }
  static Bitmap* dome_;
};
Bitmap* DomePicture::dome_ = nullptr;

TEST_F(DomePicture, SideColumnsAgreeMirroredAboutTheZenithRow) {
  ASSERT_EQ(dome_->problem, "");
  ASSERT_EQ(dome_->width, 256);
  const int last = dome_->height - 1;
  // Both halves hold the same meridian there; only rounding may differ.
  constexpr int kTolerance = 2;
  for (int y = 0; y < dome_->height / 2; ++y) {
    EXPECT_LE(maxDifference(0, y, 0, last - y), kTolerance) << "column s = 0, row " << y;
    EXPECT_LE(maxDifference(dome_->width - 1, y, dome_->width - 1, last - y), kTolerance) << "column s = 1, row " << y;
  }
}

TEST_F(DomePicture, WrapAroundBetweenTheSideColumnsShowsNoSeam) {
  // The dome's texture repeats, so filtering at s = 0 blends in column s = 1: they must match.
  for (int y = 0; y < dome_->height; ++y) {
    EXPECT_LE(maxDifference(0, y, dome_->width - 1, y), 2) << "row " << y;
  }
}

TEST_F(DomePicture, LooksLikeADaylightSky) {
  double red = 0.0, blue = 0.0, bright = 0.0;
  for (int y = 0; y < dome_->height; ++y)
    for (int x = 0; x < dome_->width; ++x) {
      red += dome_->at(x, y, 0);
      blue += dome_->at(x, y, 2);
      bright += dome_->at(x, y, 2) > 190 ? 1.0 : 0.0;
    }
  EXPECT_GT(blue, 1.2 * red);
  // The demo adds about 0.3 of blue light under the picture: little of it may run into saturation.
  EXPECT_LT(bright / (dome_->width * dome_->height), 0.02);
  // The horizon (both halves' outer rows) is paler than the sky near the zenith.
  double zenithRed = 0.0, horizonRed = 0.0;
  for (int x = 0; x < dome_->width; ++x) {
    zenithRed += dome_->at(x, dome_->height / 2 - 3, 0) + dome_->at(x, dome_->height / 2 + 2, 0);
    horizonRed += dome_->at(x, 0, 0) + dome_->at(x, dome_->height - 1, 0);
  }
  EXPECT_GT(horizonRed, 1.5 * zenithRed);
}

// [Ripple normal map] decoded normals and the tile's repeat.
class RippleMap : public ::testing::Test {
 protected:
  void SetUp() override { map_ = readBmp(texturePath("bumpversion_nm.bmp")); }
  double component(int x, int y, int c) const { return map_.at(x, y, c) / 255.0 * 2.0 - 1.0; }
  // Mean absolute difference between two columns (or rows), all channels.
  double columnStep(int x0, int x1) const {
    double sum = 0.0;
    for (int y = 0; y < map_.height; ++y)
      for (int c = 0; c < 3; ++c) sum += std::abs(map_.at(x0, y, c) - map_.at(x1, y, c));
    return sum / (3.0 * map_.height);
  }
  double rowStep(int y0, int y1) const {
    double sum = 0.0;
    for (int x = 0; x < map_.width; ++x)
      for (int c = 0; c < 3; ++c) sum += std::abs(map_.at(x, y0, c) - map_.at(x, y1, c));
    return sum / (3.0 * map_.width);
  }
  Bitmap map_;
};

TEST_F(RippleMap, EncodesUnitNormalsLeaningAroundStraightUp) {
  ASSERT_EQ(map_.problem, "");
  double meanX = 0.0, meanY = 0.0, tilted = 0.0;
  for (int y = 0; y < map_.height; ++y) {
    for (int x = 0; x < map_.width; ++x) {
      const double nx = component(x, y, 0), ny = component(x, y, 1), nz = component(x, y, 2);
      ASSERT_NEAR(std::sqrt(nx * nx + ny * ny + nz * nz), 1.0, 0.03) << x << "," << y;
      ASSERT_GT(nz, 0.5) << "normal tipped over at " << x << "," << y;
      meanX += nx;
      meanY += ny;
      tilted += std::sqrt(nx * nx + ny * ny);
    }
  }
  const double n = static_cast<double>(map_.width) * map_.height;
  EXPECT_NEAR(meanX / n, 0.0, 0.03);
  EXPECT_NEAR(meanY / n, 0.0, 0.03);
  EXPECT_GT(tilted / n, 0.05) << "a flat map shows no ripples";
}

TEST_F(RippleMap, OppositeEdgesMeetLikeNeighbouringTexels) {
  ASSERT_EQ(map_.problem, "");
  double typicalColumn = 0.0, typicalRow = 0.0;
  for (int k = 0; k + 1 < map_.width; ++k) typicalColumn += columnStep(k, k + 1);
  for (int k = 0; k + 1 < map_.height; ++k) typicalRow += rowStep(k, k + 1);
  typicalColumn /= map_.width - 1;
  typicalRow /= map_.height - 1;
  EXPECT_LE(columnStep(map_.width - 1, 0), 2.0 * typicalColumn);
  EXPECT_LE(rowStep(map_.height - 1, 0), 2.0 * typicalRow);
  // A map that does not tile would show a jump far above the typical step: make sure the test
  // can tell, by comparing columns half a tile apart.
  EXPECT_GT(columnStep(0, map_.width / 2), 3.0 * typicalColumn);
}

}  // namespace
