// Asset generator entry: writes the models, bitmaps, sounds and the screen texts' glyph atlas of the
// run-time tree into a data directory, and on request PNG previews for inspection; or the program's
// icons alone.
//   assetgen DATA_DIR [--preview PREVIEW_DIR]
//   assetgen --icons ICON_DIR      karvosta-48.png, karvosta-128.png, karvosta-256.png
#include <sys/stat.h>  // Required for: mkdir

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "audio.h"
#include "font_atlas.h"
#include "icon.h"
#include "models.h"
#include "preview.h"
#include "textures.h"

namespace {

bool makeDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
  std::fprintf(stderr, "assetgen: cannot create directory %s: %s\n", path.c_str(), std::strerror(errno));
  return false;
}

void writePreviews(const std::string& dir, const std::vector<Model>& models, const TextureSet& textures,
                   const std::map<std::string, Samples>& sounds, bool& ok) {
  for (const auto& [name, samples] : sounds) {
    ok &= writePng(dir + "/sound_" + name.substr(0, name.size() - 4) + ".png", renderSoundPreview(samples, 800, 400));
  }
  for (const auto& [name, image] : textures) {
    // Small pictures are enlarged so their pixels can be seen.
    const int scale = image.width < 128 ? 4 : (image.width < 256 ? 2 : 1);
    Image big(image.width * scale, image.height * scale);
    for (int y = 0; y < big.height; ++y)
      for (int x = 0; x < big.width; ++x) big.set(x, y, image.get(x / scale, y / scale));
    ok &= writePng(dir + "/" + name.substr(0, name.size() - 4) + ".png", big);
  }
  struct View {
    const char* suffix;
    Vec3 eye;
  };
  const View shipViews[] = {{"_quarter", {-250, 230, 90}},
                            {"_side", {0, 480, 60}},
                            {"_stern", {300, -130, 80}},
                            {"_detail", {-70, 120, -40}}};
  const View duckViews[] = {{"_quarter", {40, 32, 22}}, {"_side", {0, 55, 8}}};
  for (const Model& model : models) {
    const std::string base = dir + "/" + model.fileName.substr(0, model.fileName.size() - 4);
    const bool duck = model.fileName == "ente.ase";
    const Vec3 target = duck ? Vec3{0, 0, 5} : Vec3{0, model.fileName == "schiff1.ase" ? -kShipType1YShift : 0.0, 70};
    for (const View& v : duck ? std::vector<View>(duckViews, duckViews + 2) : std::vector<View>(shipViews, shipViews + 4)) {
      // The close view looks at the hull's side rather than the rig.
      const Vec3 aim = std::string(v.suffix) == "_detail" ? target - Vec3{0, 0, 55} : target;
      ok &= writePng(base + v.suffix + ".png", renderModelPreview(model, textures, target + v.eye, aim, 640, 480));
    }
  }
  const Image& dome = textures.at("dome256256.bmp");
  ok &= writePng(dir + "/sky_plus_x.png", renderDomePreview(dome, {1, 0, 0.25}, 90.0, 640, 400));
  ok &= writePng(dir + "/sky_minus_y.png", renderDomePreview(dome, {0, -1, 0.25}, 90.0, 640, 400));
  ok &= writePng(dir + "/sky_minus_x.png", renderDomePreview(dome, {-1, 0, 0.25}, 90.0, 640, 400));
  ok &= writePng(dir + "/sky_up.png", renderDomePreview(dome, {0.01, 0, 1}, 120.0, 500, 500));
}

// The icon sizes of the hicolor theme that the desktop uses most.
bool writeIcons(const std::string& dir) {
  if (!makeDirectory(dir)) return false;
  TextureSet textures;
  for (const TextureDef& def : textureTable()) textures[def.fileName] = def.make();
  const Model frigate = buildFrigate();
  bool ok = true;
  for (int size : {48, 128, 256}) {
    ok &= writePng(dir + "/karvosta-" + std::to_string(size) + ".png", renderIcon(frigate, textures, size));
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--icons") return writeIcons(argv[2]) ? 0 : 1;
  std::string dataDir, previewDir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--preview" && i + 1 < argc) {
      previewDir = argv[++i];
    } else if (dataDir.empty() && arg.rfind("--", 0) != 0) {
      dataDir = arg;
    } else {
      dataDir.clear();
      break;
    }
  }
  if (dataDir.empty()) {
    std::fprintf(stderr, "usage: assetgen DATA_DIR [--preview PREVIEW_DIR]\n");
    return 2;
  }
  bool ok = makeDirectory(dataDir) && makeDirectory(dataDir + "/objects") &&
            makeDirectory(dataDir + "/textures") && makeDirectory(dataDir + "/sound") &&
            makeDirectory(dataDir + "/fonts");
  if (!ok) return 1;

  TextureSet textures;
  for (const TextureDef& def : textureTable()) {
    textures[def.fileName] = def.make();
    ok &= writeFile(dataDir + "/textures/" + def.fileName, encodeBmp(textures[def.fileName]));
  }

  std::vector<Model> models = {buildFrigate(), buildBrig(), buildDuck()};
  for (Model& model : models) {
    for (Mesh& mesh : model.meshes) removeUnusedVertices(mesh);
    for (const MaterialDef& m : model.materials) {
      if (m.bitmap != "NONE" && textures.count(m.bitmap) == 0) {
        std::fprintf(stderr, "assetgen: %s names %s, which is not generated\n", model.fileName.c_str(),
                     m.bitmap.c_str());
        ok = false;
      }
    }
    ok &= writeFile(dataDir + "/objects/" + model.fileName, formatAse(model));
  }

  std::map<std::string, Samples> sounds;
  for (const SoundDef& def : soundTable()) {
    const Samples samples = def.make();
    if (!previewDir.empty()) sounds[def.fileName] = samples;
    const std::string name = def.fileName;
    const bool mp3 = name.size() > 4 && name.compare(name.size() - 4, 4, ".mp3") == 0;
    const std::vector<uint8_t> bytes = mp3 ? encodeMp3(samples) : encodeWav(samples);
    if (bytes.empty()) {
      std::fprintf(stderr, "assetgen: encoding %s failed\n", def.fileName);
      ok = false;
      continue;
    }
    ok &= writeFile(dataDir + "/sound/" + name, bytes);
  }

  // The font file is found when the build is configured (tools/CMakeLists.txt).
  FontAtlasFiles font;
  if (makeFontAtlas(KARVOSTA_FONT_FILE, "sans.bmp", font)) {
    ok &= writeFile(dataDir + "/fonts/sans.bmp", font.picture);
    ok &= writeFile(dataDir + "/fonts/sans.txt", font.metrics);
  } else {
    ok = false;
  }

  if (!previewDir.empty()) {
    ok &= makeDirectory(previewDir);
    if (ok) writePreviews(previewDir, models, textures, sounds, ok);
  }
  return ok ? 0 : 1;
}
