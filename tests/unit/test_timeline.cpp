// The demo script driven through the real idle step on a fixed clock: every row acts once per run,
// however wide its window, a stall leaves the firing windows as they were, and each restart begins
// the script again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/scene.h"
#include "app/text_rule.h"
#include "assets/glyph_atlas.h"
#include "assets/mesh_model.h"
#include "camera/camera_rig.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "sim/events.h"
#include "sim/simulation.h"
#include "sim/world.h"
#include "sound/sound_bank.h"
#include "timeline/timeline.h"
#include "water/water_surface.h"

namespace {

struct Recorded {
  WorldEvent kind;
  std::string ship;
  int value;
  double runTime;  // seconds since the run began
};

std::vector<Recorded> g_recorded;

void record(const WorldEventInfo& e) {
  const double runTime = static_cast<double>(readCounter() - g_timelineStart) / counterFrequency();
  g_recorded.push_back({e.kind, e.shipName != nullptr ? e.shipName : "", e.value, runTime});
}

class Timeline : public ::testing::Test {
 protected:
  void SetUp() override {
    for (MeshModel* model : {&ship1_, &ship2_}) {  // nobody sinks: every scripted order has its ship
      model->focalDistance = 40, model->radius = 60, model->energy = 1000, model->cannons = 4;
      model->ammunition = 100000, model->range = 700, model->cannonSpeed = 8, model->height = 90;
    }
    duck_.radius = 4;
    g_shipModel1 = &ship1_;
    g_shipModel2 = &ship2_;
    g_duckModel = &duck_;
    g_sounds = nullptr;
    g_water = nullptr;
    g_windowWidth = 800;
    g_windowHeight = 600;
    g_camera = new CameraRig();
    g_titlesShown = 0;
    seedRandom(1);
    setupScenario();
    g_recorded.clear();
    g_worldEventHook = record;
  }

  void TearDown() override {
    g_worldEventHook = nullptr;
    clearWorld();
    delete g_camera;
    g_camera = nullptr;
    g_shipModel1 = g_shipModel2 = g_duckModel = nullptr;
    g_framesPerSecond = 0;
  }

  // A fresh run start on a fixed clock of `framesPerSecond` steps, no frame rate measured yet.
  void startRun(int framesPerSecond) {
    useFixedClock(1.0 / framesPerSecond);
    g_perfFrequency = counterFrequency();
    g_frameCounter = g_timelineStart = readCounter();
    startFrameRateWindow(readCounter());
  }
  // Runs the idle step at `framesPerSecond`, taken as the measured rate, for `seconds` of demo time.
  void run(int framesPerSecond, double seconds) {
    startRun(framesPerSecond);
    g_framesPerSecond = framesPerSecond;
    for (long i = std::lround(seconds * framesPerSecond); i > 0; --i) advanceWorld();
  }

  // The fixed clock moves on by `seconds` with one idle step at the end: a stall or a slow frame.
  void leap(double seconds) {
    for (long i = std::lround(seconds / frameSeconds()); i > 1; --i) advanceFixedClock();
    advanceWorld();
  }

  // Idle steps on the fixed clock until the run reaches `seconds`.
  void stepUntil(double seconds) {
    while (runTime() < seconds) advanceWorld();
  }

  // As the window runs: an idle step, then a frame that the meter counts, so the script's windows
  // follow the measured rate.
  void stepAndShowUntil(double seconds) {
    while (runTime() < seconds) {
      advanceWorld();
      countDisplayedFrame();
    }
  }

  // Broadside orders, fired or refused, by the script row they belong to (its run time, in tenths of a
  // second).
  std::map<long, int> ordersByRow() const {
    std::map<long, int> rows;
    for (const Recorded& e : g_recorded)
      if (e.kind == WorldEvent::BroadsideFired || e.kind == WorldEvent::BroadsideRefused) ++rows[std::lround(e.runTime * 10)];
    return rows;
  }

  static double frameSeconds() { return static_cast<double>(fixedClockStep()) / counterFrequency(); }
  static double runTime() { return static_cast<double>(readCounter() - g_timelineStart) / counterFrequency(); }

  std::vector<Recorded> events(WorldEvent kind) const {
    std::vector<Recorded> found;
    for (const Recorded& event : g_recorded)
      if (event.kind == kind) found.push_back(event);
    return found;
  }

  MeshModel ship1_, ship2_, duck_;
};

TEST_F(Timeline, EveryBroadsideRowFiresOncePerRunAtNormalFrameRates) {
  run(60, 62.0);
  // Broadside orders per run: B alone at T = 2, then both ships in the twelve rows from T = 10 to 40.
  // A window spans several idle steps; the repeats find the side reloading and are refused, and so is
  // the second row at T = 30, which orders the same sides again.
  const std::vector<Recorded> fired = events(WorldEvent::BroadsideFired);
  EXPECT_EQ(fired.size(), 23u);
  std::vector<Recorded> orders = events(WorldEvent::BroadsideRefused);
  orders.insert(orders.end(), fired.begin(), fired.end());
  for (const Recorded& event : orders) {
    bool inARow = false;
    for (double t : {10, 18, 20, 23, 26, 30, 34, 38, 41, 43, 45, 48}) inARow = inARow || std::abs(event.runTime - t) < 2.5 / 60.0;
    EXPECT_TRUE(inARow) << event.ship << " ordered to fire at run time " << event.runTime;
  }
  ASSERT_FALSE(fired.empty());
  EXPECT_EQ(fired.front().ship, "Schiff Nr. 2");  // B opens the battle at run time 10 s
  EXPECT_NEAR(fired.front().runTime, 10.0, 0.05);
}

TEST_F(Timeline, TitlesAreCreatedOnceEvenWhenWindowsOverlap) {
  run(1, 52.0);  // at one frame a second the windows are four seconds wide
  const std::vector<Recorded> titles = events(WorldEvent::TitleCreated);
  ASSERT_EQ(titles.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(titles[i].value, i + 1);
}

// A step that leaps over a row's whole window runs the row once, in script order: the broadside and
// title row, the last title line and the restart; in every run of the script alike, and each restart
// sets the scenario up anew on emptied lists, so the next run plays the script from its start.
TEST_F(Timeline, ALeapOverAWindowRunsItsRowOnceInEveryRun) {
  run(60, 0.0);
  for (int loop = 1; loop <= 3; ++loop) {
    stepUntil(47.9);
    const size_t before = g_recorded.size();
    leap(0.2);  // over run time 48: both ships fire and title line 3 rises
    std::vector<std::string> acted;
    for (size_t i = before; i < g_recorded.size(); ++i) {
      const Recorded& e = g_recorded[i];
      acted.push_back(e.kind == WorldEvent::TitleCreated ? "title " + std::to_string(e.value) : e.ship);
    }
    EXPECT_EQ(acted, (std::vector<std::string>{"Schiff Nr. 1", "Schiff Nr. 2", "title 3"})) << "run " << loop;
    stepUntil(50.9);
    leap(0.2);  // over title line 4 at 51 s
    stepUntil(70.9);
    leap(0.2);  // over the restart at 71 s
    ASSERT_EQ(events(WorldEvent::Restart).size(), static_cast<size_t>(loop));
  }
  stepUntil(10.5);
  const std::vector<Recorded> titles = events(WorldEvent::TitleCreated);
  ASSERT_EQ(titles.size(), 12u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(titles[i].value, i % 4 + 1);
  EXPECT_EQ(events(WorldEvent::BroadsideFired).back().ship, "Schiff Nr. 2");  // the next run's opening shot
  EXPECT_NEAR(events(WorldEvent::BroadsideFired).back().runTime, 10.0, 0.05);
  EXPECT_EQ(g_ships.size(), 2u);
  EXPECT_EQ(g_ducks.size(), 4u);
}

// The two rows at run time 38 leapt over together: the first's orders, then the second's, whose
// broadsides find both sides reloading.
TEST_F(Timeline, ALeapOverTwoRowsRunsBothInOrder) {
  run(60, 37.9);
  const size_t before = g_recorded.size();
  leap(0.2);
  std::vector<WorldEvent> kinds;
  for (size_t i = before; i < g_recorded.size(); ++i) kinds.push_back(g_recorded[i].kind);
  EXPECT_EQ(kinds, (std::vector<WorldEvent>{WorldEvent::BroadsideFired, WorldEvent::BroadsideFired,
                                            WorldEvent::BroadsideRefused, WorldEvent::BroadsideRefused}));
  EXPECT_EQ(g_ships[0]->turn, 2);
  EXPECT_EQ(g_ships[0]->speed, -1);
}

// A stall of 10 s between two rows: the meter keeps its rate across it, so every row after it acts on
// as many steps as in a run without the stall. Measured over the stall, the rate would fall to a few
// frames a second, and the next rows' windows would open seconds early and act on every step.
TEST_F(Timeline, AStallLeavesTheFiringWindowsAsTheyWere) {
  startRun(64);  // a step of 1/64 s: the quarter second a stall keeps is 16 whole steps
  stepAndShowUntil(29.5);
  const std::map<long, int> steady = ordersByRow();
  ASSERT_EQ(steady.size(), 5u);  // the rows at run time 10, 18, 20, 23 and 26

  clearWorld();
  setupScenario();
  g_recorded.clear();
  startRun(64);
  stepAndShowUntil(16.5);
  leap(10.0);
  countDisplayedFrame();
  stepAndShowUntil(29.5);
  EXPECT_EQ(ordersByRow(), steady);
}

// A stall moves the run on by a quarter of a second, and the world by as much; a fixed step of a
// whole second (TitlesAreCreatedOnceEvenWhenWindowsOverlap) is never cut.
TEST_F(Timeline, AStallIsAPause) {
  run(60, 20.0);
  const double before = runTime();
  leap(3.5);
  EXPECT_NEAR(runTime(), before + 0.25, 1e-6);
  EXPECT_NEAR(g_frameDelta, 0.25, 1e-9);
}

// The texts' rule: the designed bitmap font, places and speed in the 800 x 600 window; elsewhere the
// designed offsets times height / 600, and a title line that crosses the picture in the designed 12 s.
TEST_F(Timeline, TitleLinesCrossEveryPictureInTheDesignedTime) {
  const struct {
    TextMode mode;
    int width, height;
    bool atlasReady, atlas;
  } pictures[] = {
      {TextMode::Auto, 800, 600, true, false},     {TextMode::Atlas, 800, 600, true, true},
      {TextMode::Auto, 1280, 720, true, true},     {TextMode::Auto, 1920, 1080, true, true},
      {TextMode::Auto, 3840, 2160, true, true},    {TextMode::Auto, 1067, 600, true, true},
      {TextMode::Bitmap, 1920, 1080, true, false}, {TextMode::Auto, 1920, 1080, false, false},
  };
  for (const auto& picture : pictures) {
    const TextRule rule = textRule(picture.mode, picture.width, picture.height, picture.atlasReady, true);
    const std::string where = std::to_string(picture.width) + "x" + std::to_string(picture.height);
    EXPECT_EQ(rule.atlas, picture.atlas) << where;
    const float scale = picture.atlas ? picture.height / 600.0f : 1.0f;
    EXPECT_FLOAT_EQ(rule.scale, scale) << where;
    const TextPlace counter = scaledPlace(kCounterPlace, rule), message = scaledPlace(kMessagePlace, rule);
    EXPECT_NEAR(counter.y, 23 * scale, 0.5) << where;
    EXPECT_NEAR(message.x, 300 * scale, 0.5) << where;

    g_titlesShown = 0;
    g_scrollTexts.clear();
    runTimeline({45.0, readCounter(), 60, picture.width, picture.height, rule.scale});  // title 1
    ASSERT_EQ(g_scrollTexts.size(), 1u) << where;
    const ScrollText& line = *g_scrollTexts[0];
    EXPECT_NEAR(line.x, picture.width / 2 - 99 * scale, 1e-3) << where;
    EXPECT_EQ(line.y, static_cast<float>(picture.height)) << where;
    int steps = 0;
    while (!g_scrollTexts.empty() && steps < 10000) {
      updateEntities(0.02);
      ++steps;
    }
    const double crossing = picture.atlas ? 12.0 : picture.height / 50.0;  // seconds: 50 pixels a second as designed
    EXPECT_NEAR(steps * 0.02, crossing, 0.03) << where;
  }
  // Without bitmap fonts (GL ES) the atlas draws the designed window's texts, at their designed size.
  const TextRule noBitmaps = textRule(TextMode::Bitmap, 800, 600, true, false);
  EXPECT_TRUE(noBitmaps.atlas);
  EXPECT_EQ(noBitmaps.scale, 1.0f);
}

// A picture that changes size while title line 1 rises (a resized window, "Full screen" in the page):
// the line keeps its designed place about the new picture's centre (the designed offsets leave it
// 27 pixels left of centre at 800 x 600), as far up its way, and leaves the picture when it would
// have left the old one. Measured with the atlas's own widths, as the line is drawn.
TEST_F(Timeline, ATitleLineKeepsItsPlaceWhenThePictureChangesSize) {
  GlyphAtlas atlas;
  ASSERT_TRUE(loadGlyphAtlas(KARVOSTA_RUNTIME_DIR "/data/fonts/sans.txt", atlas));
  const struct {
    int width, height;
  } pictures[] = {{800, 600}, {1920, 1080}, {1280, 720}, {1067, 600}, {800, 600}};
  const auto scaleOf = [](int height) { return height / 600.0f; };
  runTimeline({45.0, readCounter(), 60, 800, 600, 1.0f});  // title 1
  ASSERT_EQ(g_scrollTexts.size(), 1u);
  ScrollText& line = *g_scrollTexts[0];
  double risen = 0.0;  // share of its way up
  const float designedCentre = line.x + textWidth(atlas, line.text, kHelvetica18Em) / 2.0f - 400.0f;
  for (const auto& picture : pictures) {
    const std::string where = std::to_string(picture.width) + "x" + std::to_string(picture.height);
    const float scale = scaleOf(picture.height);
    fitScrollText(line, picture.width, picture.height, scale);
    const float centre = line.x + textWidth(atlas, line.text, kHelvetica18Em * scale) / 2.0f;
    EXPECT_NEAR(centre, picture.width / 2.0f + designedCentre * scale, 1.0f) << where;
    EXPECT_NEAR(1.0 - line.y / picture.height, risen, 1e-4) << where;
    for (int step = 0; step < 50; ++step) updateEntities(0.02);  // a second up
    risen += 1.0 / 12.0;  // the designed crossing: 12 s
    EXPECT_NEAR(1.0 - line.y / picture.height, risen, 1e-4) << where;
  }
  // The same size again leaves the line exactly where it is.
  const ScrollText before = line;
  fitScrollText(line, 800, 600, 1.0f);
  EXPECT_EQ(line.x, 301.0f);
  EXPECT_EQ(line.y, before.y);
  EXPECT_EQ(line.speed, before.speed);
}

}  // namespace
