// The asset generator's output, read through the program's own loaders: the same bytes on every run;
// models a viewer can rely on (outward normals, the bow's direction, a hit ellipse around the hull,
// gun ports at the balls' height); textures without seams where they repeat; loops that join.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>  // Required for: SDL_LoadWAV (the same decoding path as the mixer's)
#include <sys/wait.h>  // Required for: WEXITSTATUS

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../test_support.h"
#include "assets/bmp_image.h"
#include "assets/mesh_model.h"

namespace {

namespace fs = std::filesystem;

const std::string kData = std::string(KARVOSTA_RUNTIME_DIR) + "/data/";

std::map<std::string, std::string> filesUnder(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[fs::relative(entry.path(), root).string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

TEST(Generator, TwoRunsWriteIdenticalBytesAndTheBuildTreeIsCurrent) {
  const test::ScratchDir first, second;
  for (const test::ScratchDir* dir : {&first, &second}) {
    const std::string command = "'" KARVOSTA_RUNTIME_DIR "/tools/assetgen/assetgen' '" + dir->path() + "' >/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_EQ(WEXITSTATUS(status), 0);
  }
  const auto a = filesUnder(first.path()), b = filesUnder(second.path()), built = filesUnder(kData);
  EXPECT_GE(a.size(), 17u);  // every model, bitmap and sound the demo opens
  EXPECT_TRUE(a == b) << "two runs differ";
  for (const auto& [name, bytes] : a) EXPECT_TRUE(built.count(name) && built.at(name) == bytes) << name << " is stale";
}

struct Vec {
  double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec at(const std::vector<float>& v, size_t i) { return {v[3 * i], v[3 * i + 1], v[3 * i + 2]}; }

std::unique_ptr<MeshModel> loadModel(const std::string& name) {
  auto model = std::make_unique<MeshModel>();
  const test::Console said = test::captured([&] { model->loadAse((kData + "objects/" + name).c_str()); });
  EXPECT_EQ(said.err, "") << name;
  return model;
}

const GeomObject* part(const MeshModel& m, const char* name) {
  for (const auto& o : m.objects)
    if (o->name == std::string("\"") + name + "\"") return o.get();
  ADD_FAILURE() << "no object " << name;
  return nullptr;
}

// Extent of an object's vertices along one axis (0 x, 1 y, 2 z).
std::pair<double, double> extent(const GeomObject& o, int axis) {
  double lo = 1e30, hi = -1e30;
  for (size_t i = axis; i < o.vertices.size(); i += 3) lo = std::min<double>(lo, o.vertices[i]), hi = std::max<double>(hi, o.vertices[i]);
  return {lo, hi};
}

TEST(GeneratedModels, FacesWindTowardTheirNormalsAndEveryTextureExists) {
  for (const char* name : {"schiff1.ase", "schiff2.ase", "ente.ase"}) {
    const std::unique_ptr<MeshModel> m = loadModel(name);
    ASSERT_FALSE(m->objects.empty()) << name;
    for (const auto& o : m->objects) {
      SCOPED_TRACE(std::string(name) + " " + o->name);
      EXPECT_TRUE(o->materialRef >= 0 && o->hasTexCoordPerVertex());
      size_t backwards = 0;
      for (size_t f = 0; f < static_cast<size_t>(o->numFaces); ++f) {
        const Vec a = at(o->vertices, o->faces[3 * f]), b = at(o->vertices, o->faces[3 * f + 1]);
        const Vec winding = cross(b - a, at(o->vertices, o->faces[3 * f + 2]) - a);
        for (int k = 0; k < 3; ++k) {
          const Vec normal = at(o->vertexNormals, o->faces[3 * f + k]);
          ASSERT_NEAR(dot(normal, normal), 1.0, 4e-3) << "face " << f;
          backwards += dot(winding, normal) <= 0.0;
        }
      }
      EXPECT_EQ(backwards, 0u) << "faces or corners lit from behind";
    }
    for (const Material& mat : m->materials) {
      if (!mat.hasBitmap()) continue;
      ASSERT_EQ(mat.bitmapName.rfind("../data/", 0), 0u) << mat.bitmapName;
      EXPECT_NE(loadDib((kData + mat.bitmapName.substr(8)).c_str()), nullptr) << mat.bitmapName;
    }
  }
}

// Ships are drawn at half size, turned so that the model's -x is the heading; type 1 is moved 13
// world units along its local +y. A ball hits inside the ellipse with foci at +-focalDistance along
// the heading whose distances add up to 2 * radius.
TEST(GeneratedModels, ShipsAndDucksPointAheadAndShipsCanBeHit) {
  for (const char* name : {"schiff1.ase", "schiff2.ase"}) {
    SCOPED_TRACE(name);
    const std::unique_ptr<MeshModel> m = loadModel(name);
    const double shift = std::string(name) == "schiff1.ase" ? 26.0 : 0.0;
    const GeomObject* hull = part(*m, "hull");
    const GeomObject* spars = part(*m, "spars");
    const GeomObject* ports = part(*m, "gunports");
    ASSERT_TRUE(hull && spars && ports);

    // The bow is the fine end toward -x, with the bowsprit reaching beyond it.
    const auto [front, back] = extent(*hull, 0);
    double bowWidth = 0.0, sternWidth = 0.0;
    for (size_t i = 0; i < hull->vertices.size(); i += 3) {
      const double x = hull->vertices[i], halfWidth = std::fabs(hull->vertices[i + 1] + shift);
      if (x < front + 0.05 * (back - front)) bowWidth = std::max(bowWidth, halfWidth);
      if (x > back - 0.05 * (back - front)) sternWidth = std::max(sternWidth, halfWidth);
    }
    EXPECT_LT(bowWidth, 0.7 * sternWidth);
    EXPECT_LT(extent(*spars, 0).first, front - 20.0);

    // Every part of the hull can be hit, and balls passing well clear of it do not count.
    double widest = 0.0;
    for (size_t i = 0; i < hull->vertices.size(); i += 3) {
      const double along = hull->vertices[i] * 0.5, across = (hull->vertices[i + 1] + shift) * 0.5;
      widest = std::max(widest, std::hypot(along - m->focalDistance, across) + std::hypot(along + m->focalDistance, across));
    }
    EXPECT_LT(widest, 2.0 * m->radius);
    EXPECT_GT(widest, 1.6 * m->radius);

    // Balls fly 10 units above the sea, from ports near that height. (That the guns reach and last
    // the battle is test_headless_battle's, for twenty seeds.)
    const auto [portLow, portHigh] = extent(*ports, 2);
    EXPECT_GT(portLow * 0.5, 5.0);
    EXPECT_LT(portHigh * 0.5, 15.0);
  }
  // Ducks are turned by their heading unchanged: the bill leads along +x.
  const std::unique_ptr<MeshModel> duck = loadModel("ente.ase");
  const GeomObject* bill = part(*duck, "bill");
  const GeomObject* tail = part(*duck, "tail");
  ASSERT_TRUE(bill && tail);
  EXPECT_GT(extent(*bill, 0).first, 5.0);
  EXPECT_LT(extent(*tail, 0).second, -5.0);
}

// Mean absolute step between two columns (or rows) of a picture.
double step(const RgbImage& image, int a, int b, bool columns) {
  const int n = columns ? image.height : image.width;
  double sum = 0.0;
  for (int k = 0; k < n; ++k) {
    const size_t p = 3 * static_cast<size_t>(columns ? k * image.width + a : a * image.width + k);
    const size_t q = 3 * static_cast<size_t>(columns ? k * image.width + b : b * image.width + k);
    for (int c = 0; c < 3; ++c) sum += std::abs(image.pixels[p + c] - image.pixels[q + c]);
  }
  return sum / (3.0 * n);
}

// The dome's and the sea's textures repeat: their opposite edges meet like neighbouring texels.
TEST(GeneratedTextures, RepeatingTexturesShowNoSeam) {
  for (const char* name : {"dome256256.bmp", "bumpversion_nm.bmp"}) {
    SCOPED_TRACE(name);
    const std::unique_ptr<RgbImage> image = loadDib((kData + "textures/" + name).c_str());
    ASSERT_NE(image, nullptr);
    const bool bothWays = std::string(name) == "bumpversion_nm.bmp";
    for (bool columns : {true, false}) {
      if (!columns && !bothWays) continue;
      const int n = columns ? image->width : image->height;
      double typical = 0.0;
      for (int k = 0; k + 1 < n; ++k) typical += step(*image, k, k + 1, columns) / (n - 1);
      EXPECT_LE(step(*image, n - 1, 0, columns), 2.0 * typical + 1.0);
      EXPECT_GT(step(*image, 0, n / 2, columns), 3.0 * typical);  // the check can tell a seam
    }
  }
}

// Looping sounds join without a click: the step from the last sample to the first is no larger than
// the signal's ordinary movement.
TEST(GeneratedSounds, LoopsJoinWithoutAStep) {
  for (const char* name : {"wind.wav", "ocean.wav"}) {
    SCOPED_TRACE(name);
    SDL_AudioSpec wave;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    ASSERT_NE(SDL_LoadWAV((kData + "sound/" + name).c_str(), &wave, &buffer, &length), nullptr) << SDL_GetError();
    ASSERT_EQ(wave.format, AUDIO_S16LSB);
    const Sint16* s = reinterpret_cast<const Sint16*>(buffer);
    const size_t n = length / 2 / wave.channels;
    auto sample = [&](size_t i) { return static_cast<double>(s[i * wave.channels]); };
    double squares = 0.0;
    for (size_t i = 0; i + 1 < n; ++i) squares += (sample(i + 1) - sample(i)) * (sample(i + 1) - sample(i));
    EXPECT_LE(std::fabs(sample(0) - sample(n - 1)), 4.0 * std::sqrt(squares / (n - 1)));
    SDL_FreeWAV(buffer);
  }
}

}  // namespace
