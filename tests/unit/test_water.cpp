// Sea surface without GL: the wave table, heights and normals of the grid, point queries and the
// strip layout, for the scene's wave (origin 0,0, direction 2,1, wavelength 250, amplitude 2).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "water/water_surface.h"

namespace {

constexpr float kLight[3] = {500.0f, -500.0f, 910.0f};

std::unique_ptr<WaterSurface> makeSea(int columns = 50, int rows = 50) {
  return std::make_unique<WaterSurface>(-1500, 1500, columns, -1500, 1500, rows, 0, kLight, 0u, false);
}

void setSceneWave(WaterSurface& sea) {
  const int origin[2] = {0, 0};
  const int direction[2] = {2, 1};
  sea.setWave(origin, direction, 250.0f, 2.0f);
}

class SceneSea : public ::testing::Test {
 protected:
  void SetUp() override {
    sea = makeSea();
    setSceneWave(*sea);
    sea->setPhase(0.0f);
  }
  // Height and normal of the grid vertex at (column j, row i).
  float heightAt(int j, int i) const { return sea->positions[3 * (i * sea->columns + j) + 2]; }
  const float* normalAt(int j, int i) const { return &sea->normals[3 * (i * sea->columns + j)]; }

  std::unique_ptr<WaterSurface> sea;
};

TEST_F(SceneSea, TableHoldsOneWavelengthOfHeightAndSlope) {
  ASSERT_EQ(sea->waveTable.size(), 1000u);
  const struct {
    int entry;
    float height, slope;
  } expected[] = {{0, 0.0f, 0.0502655f}, {250, 2.0f, 0.0f}, {500, 0.0f, -0.0502655f}, {750, -2.0f, 0.0f}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.entry);
    EXPECT_NEAR(sea->waveTable[e.entry].waveHeight, e.height, 1e-5f);
    EXPECT_NEAR(sea->waveTable[e.entry].slope, e.slope, 1e-6f);
  }
  EXPECT_FLOAT_EQ(sea->directionX, 0.8944272f);
  EXPECT_FLOAT_EQ(sea->directionY, 0.4472136f);
  EXPECT_DOUBLE_EQ(sea->tableScale, 4.0);
}

TEST_F(SceneSea, CornerVertexIsRaisedByWholeWavelengthsAndRoundedUp) {
  // d = -2012.46 becomes 237.54 after nine wavelengths; 950.155 rounds up to 951.
  EXPECT_EQ(sea->tableIndex(-1500.0f, -1500.0f), 951);
  EXPECT_NEAR(heightAt(0, 0), -0.60607f, 1e-4f);

  const SurfacePose pose = sea->surfaceAt(-1500.0f, -1500.0f);
  EXPECT_NEAR(pose.surfaceZ, -0.60607f, 1e-4f);
  EXPECT_NEAR(sea->waveTable[951].slope, 0.047902f, 1e-5f);
  EXPECT_NEAR(pose.angle, 2.7425f, 1e-3f);

  sea->setPhase(0.5f);
  EXPECT_EQ(sea->tableIndex(-1500.0f, -1500.0f), 451);
  EXPECT_NEAR(heightAt(0, 0), 0.60607f, 1e-4f);
}

TEST_F(SceneSea, OriginAtPhaseZeroRisesWithFullSlope) {
  const SurfacePose pose = sea->surfaceAt(0.0f, 0.0f);
  EXPECT_EQ(sea->tableIndex(0.0f, 0.0f), 0);
  EXPECT_FLOAT_EQ(pose.surfaceZ, 0.0f);
  EXPECT_NEAR(pose.angle, 2.87758f, 1e-4f);
  EXPECT_NEAR(pose.axisX, 0.4472136f, 1e-6f);
  EXPECT_NEAR(pose.axisY, -0.8944272f, 1e-6f);
  EXPECT_EQ(pose.axisZ, 0.0f);
}

TEST_F(SceneSea, OriginAtQuarterPhaseIsACrest) {
  sea->setPhase(0.25f);
  const SurfacePose pose = sea->surfaceAt(0.0f, 0.0f);
  EXPECT_EQ(sea->tableIndex(0.0f, 0.0f), 250);
  EXPECT_NEAR(pose.surfaceZ, 2.0f, 1e-5f);
  EXPECT_NEAR(pose.angle, 0.0f, 1e-4f);
}

TEST_F(SceneSea, TiltTurnsTheVerticalOntoTheGridNormal) {
  // Rotating (0, 0, 1) by the pose must give the normal setPhase stores at the same vertex.
  for (float phase : {0.0f, 0.13f, 0.6f}) {
    sea->setPhase(phase);
    for (int v : {0, 7, 1234, 2499}) {
      const float x = sea->positions[3 * v], y = sea->positions[3 * v + 1];
      const SurfacePose pose = sea->surfaceAt(x, y);
      const double a = pose.angle * 3.141592654 / 180.0;
      // Axis is horizontal and unit: up turns to (ay sin, -ax sin, cos).
      const double turned[3] = {pose.axisY * std::sin(a), -pose.axisX * std::sin(a), std::cos(a)};
      SCOPED_TRACE(testing::Message() << "phase " << phase << " vertex " << v);
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(turned[c], sea->normals[3 * v + c], 1e-5);
      EXPECT_FLOAT_EQ(pose.surfaceZ, sea->positions[3 * v + 2]);
    }
  }
}

TEST_F(SceneSea, ExactTablePositionTakesItsOwnEntryAndAnyFractionTheNext) {
  // Along the direction, a point 62.5 units on is exactly 250 entries on.
  const float x = 62.5f * sea->directionX, y = 62.5f * sea->directionY;
  const double exact = (x * sea->directionX + y * sea->directionY) * 4.0;
  ASSERT_EQ(exact, std::floor(exact)) << "test point must be an exact table position";
  EXPECT_EQ(sea->tableIndex(x, y), static_cast<int>(exact) % 1000);

  // A phase that adds an exact number of entries keeps the rule exact too.
  sea->setPhase(0.5f);
  EXPECT_EQ(sea->tableIndex(0.0f, 0.0f), 500);
  // A sliver above: the next entry.
  sea->setPhase(0.5001f);
  EXPECT_EQ(sea->tableIndex(0.0f, 0.0f), 501);
}

TEST_F(SceneSea, NegativeProjectionAnswersAsOneWavelengthFurther) {
  const float points[][2] = {{-100.0f, 0.0f}, {-10.0f, -30.0f}, {-700.0f, 120.0f}};
  for (const auto& p : points) {
    const float x = p[0], y = p[1];
    ASSERT_LT(x * sea->directionX + y * sea->directionY, 0.0f);
    const float fx = x + 250.0f * sea->directionX, fy = y + 250.0f * sea->directionY;
    const SurfacePose here = sea->surfaceAt(x, y), further = sea->surfaceAt(fx, fy);
    SCOPED_TRACE(testing::Message() << x << ", " << y);
    EXPECT_NEAR(here.surfaceZ, further.surfaceZ, 0.02f);  // one entry apart at most (float rounding)
    EXPECT_NEAR(here.angle, further.angle, 0.05f);
  }
}

TEST_F(SceneSea, WaveIsDefinedFarOutsideTheGrid) {
  const float far[][2] = {{1.0e5f, -3.0e5f}, {-2.0e6f, -2.0e6f}, {5.0e8f, 5.0e8f}, {-1.0e12f, 0.0f},
                          {-3.0e38f, -3.0e38f}};
  for (const auto& p : far) {
    const SurfacePose pose = sea->surfaceAt(p[0], p[1]);
    SCOPED_TRACE(testing::Message() << p[0] << ", " << p[1]);
    EXPECT_TRUE(std::isfinite(pose.surfaceZ));
    EXPECT_LE(std::fabs(pose.surfaceZ), 2.0f);
    EXPECT_LE(std::fabs(pose.angle), 3.0f);
    const int k = sea->tableIndex(p[0], p[1]);
    EXPECT_GE(k, 0);
    EXPECT_LT(k, 1000);
  }
  // Not a number: still a valid entry, no crash.
  const int k = sea->tableIndex(std::nanf(""), 0.0f);
  EXPECT_GE(k, 0);
  EXPECT_LT(k, 1000);
}

TEST_F(SceneSea, PhaseOneRepeatsPhaseZero) {
  const std::vector<float> atZero = sea->positions;
  sea->setPhase(1.0f);
  EXPECT_EQ(sea->positions, atZero);
}

TEST_F(SceneSea, LoweringThePhaseMovesCrestsAlongTheDirection) {
  // The crest at the origin for phase 0.25 stands 50 units further on at phase 0.05.
  sea->setPhase(0.05f);
  const SurfacePose pose = sea->surfaceAt(50.0f * sea->directionX, 50.0f * sea->directionY);
  EXPECT_NEAR(pose.surfaceZ, 2.0f, 1e-3f);
}

TEST_F(SceneSea, PhasesOutsideTheRangeStillIndexTheTable) {
  for (float phase : {-0.75f, -3.0f, 7.25f}) {
    sea->setPhase(phase);
    for (int v = 0; v < 2500; v += 97) {
      const int k = sea->tableIndex(sea->positions[3 * v], sea->positions[3 * v + 1]);
      EXPECT_GE(k, 0);
      EXPECT_LT(k, 1000);
    }
  }
}

TEST_F(SceneSea, NormalsAreUnitAndLeanAgainstTheSlope) {
  for (int v = 0; v < 2500; ++v) {
    const float* n = &sea->normals[3 * v];
    ASSERT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5f);
  }
  // At the origin the wave rises along +direction, so the normal leans back toward -direction.
  const SurfacePose pose = sea->surfaceAt(0.0f, 0.0f);
  EXPECT_GT(pose.angle, 0.0f);
  const float* n = normalAt(0, 0);  // the corner also lies on a rising flank
  EXPECT_LT(n[0], 0.0f);
  EXPECT_LT(n[1], 0.0f);
}

TEST(WaterGrid, BeforeAWaveTheSeaIsFlatAtBaseHeight) {
  WaterSurface sea(-100, 300, 5, 0, 80, 3, 7, kLight, 0u, false);
  for (int pass = 0; pass < 2; ++pass) {  // as constructed, and after a phase without a wave
    for (size_t v = 0; v < 15; ++v) {
      EXPECT_EQ(sea.positions[3 * v + 2], 7.0f);
      EXPECT_EQ(sea.normals[3 * v], 0.0f);
      EXPECT_EQ(sea.normals[3 * v + 1], 0.0f);
      EXPECT_EQ(sea.normals[3 * v + 2], 1.0f);
    }
    sea.setPhase(0.37f);
  }
  const SurfacePose pose = sea.surfaceAt(12.0f, -40.0f);
  EXPECT_EQ(pose.surfaceZ, 7.0f);
  EXPECT_EQ(pose.angle, 0.0f);
}

TEST(WaterGrid, VerticesAndTextureCoordinatesFollowColumnsAndRows) {
  WaterSurface sea(-100, 300, 5, 0, 80, 3, 0, kLight, 0u, false);
  EXPECT_DOUBLE_EQ(sea.stepX, 100.0);
  EXPECT_DOUBLE_EQ(sea.stepY, 40.0);
  ASSERT_EQ(sea.positions.size(), 45u);
  ASSERT_EQ(sea.texCoords.size(), 30u);
  const int v = 2 * 5 + 3;  // column 3, row 2
  EXPECT_EQ(sea.positions[3 * v], 200.0f);
  EXPECT_EQ(sea.positions[3 * v + 1], 80.0f);
  EXPECT_EQ(sea.texCoords[2 * v], 3.0f);
  EXPECT_EQ(sea.texCoords[2 * v + 1], 2.0f);

  // The scene's grid: 49 cells of 3000/49 units.
  auto scene = makeSea();
  EXPECT_NEAR(scene->stepX, 61.2245, 1e-4);
  EXPECT_EQ(scene->positions[3 * 2499], 1500.0f);
  EXPECT_EQ(scene->positions[3 * 2499 + 1], 1500.0f);
}

TEST(WaterGrid, StripsPairEachRowWithTheNext) {
  WaterSurface sea(0, 30, 4, 0, 20, 3, 0, kLight, 0u, false);
  ASSERT_EQ(sea.stripIndices.size(), 2u);
  EXPECT_EQ(sea.stripIndices[0], (std::vector<uint32_t>{0, 4, 1, 5, 2, 6, 3, 7}));
  EXPECT_EQ(sea.stripIndices[1], (std::vector<uint32_t>{4, 8, 5, 9, 6, 10, 7, 11}));

  auto scene = makeSea();
  ASSERT_EQ(scene->stripIndices.size(), 49u);
  for (const auto& strip : scene->stripIndices) ASSERT_EQ(strip.size(), 100u);
  EXPECT_EQ(scene->stripIndices[48].back(), 2499u);
}

TEST(WaterGrid, TooFewColumnsOrRowsBecomeTwo) {
  WaterSurface sea(0, 10, 1, 0, 10, 0, 0, kLight, 0u, false);
  EXPECT_EQ(sea.columns, 2);
  EXPECT_EQ(sea.rows, 2);
  EXPECT_EQ(sea.stripIndices.size(), 1u);
  sea.setPhase(0.3f);
}

TEST(WaterGrid, ABadWaveIsIgnored) {
  auto sea = makeSea(3, 3);
  const int origin[2] = {0, 0};
  const int none[2] = {0, 0};
  const int direction[2] = {2, 1};
  testing::internal::CaptureStderr();
  sea->setWave(origin, none, 250.0f, 2.0f);
  sea->setWave(origin, direction, 0.0f, 2.0f);
  sea->setWave(origin, direction, -5.0f, 2.0f);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("ignored"), std::string::npos);
  EXPECT_EQ(sea->wavelength, 1.0f);
  EXPECT_EQ(sea->directionX, 0.0f);
  sea->setPhase(0.5f);
  EXPECT_EQ(sea->surfaceAt(3.0f, 4.0f).surfaceZ, 0.0f);
}

TEST(WaterGrid, OriginShiftsTheWaveByItsTruncatedProjection) {
  auto sea = makeSea(3, 3);
  const int origin[2] = {100, 50};  // projection 111.80 on (2, 1), kept as 111
  const int direction[2] = {2, 1};
  sea->setWave(origin, direction, 250.0f, 2.0f);
  EXPECT_EQ(sea->originOffset, 111);
  sea->setPhase(0.0f);
  const float x = 111.0f * sea->directionX, y = 111.0f * sea->directionY;
  EXPECT_NEAR(sea->surfaceAt(x, y).surfaceZ, 0.0f, 0.02f);  // the wave starts here
}

TEST(WaterGrid, ToggleStripModeTwiceRestoresTheModeAndSaysQuadStrip) {
  auto sea = makeSea(3, 3);
  char message[32] = "";
  ASSERT_TRUE(sea->quadStripMode);
  sea->toggleStripMode(message);
  EXPECT_FALSE(sea->quadStripMode);
  EXPECT_STREQ(message, "Wasser - TRIANGLE-STRIP");
  sea->toggleStripMode(message);
  EXPECT_TRUE(sea->quadStripMode);
  EXPECT_STREQ(message, "Wasser - QUAD-STRIP");
}

TEST(WaterGrid, ToggleBumpMapFlipsTheFlagWithItsText) {
  auto sea = makeSea(3, 3);
  char message[32] = "";
  ASSERT_FALSE(sea->bumpMapOff);
  sea->toggleBumpMap(message);
  EXPECT_TRUE(sea->bumpMapOff);
  EXPECT_STREQ(message, "Shader - Bump Map OFF");
  sea->toggleBumpMap(message);
  EXPECT_FALSE(sea->bumpMapOff);
  EXPECT_STREQ(message, "Shader - Bump Map ON");
}

TEST(WaterGrid, ConstructionReportsProgressOnOneLine) {
  testing::internal::CaptureStdout();
  { WaterSurface sea(0, 10, 2, 0, 10, 2, 0, kLight, 0u, false); }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "initialising water ...done\n");
}

}  // namespace
