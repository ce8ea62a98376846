// Glyph atlas loading: the metrics file and the distance-field picture it names, with the loaders'
// error dialogs. No GL.
#include <string>

#include "assets/bmp_image.h"
#include "assets/glyph_atlas.h"
#include "platform/dialog.h"
#include "platform/file_read.h"

bool loadGlyphAtlas(const char* metricsPath, GlyphAtlas& atlas) {
  const std::string path = metricsPath != nullptr ? metricsPath : "";
  std::string text;
  if (!readWholeFile(path.c_str(), text)) {
    showErrorDialog("Error", ("Failed to open font file " + path + ".\n").c_str());
    return false;
  }
  std::string error;
  if (!parseGlyphMetrics(text, atlas, error)) {
    showErrorDialog("Error", ("Font file " + path + ": " + error + ".\n").c_str());
    return false;
  }
  const size_t slash = path.rfind('/');
  const std::string imagePath = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + atlas.image;
  const std::unique_ptr<RgbImage> image = loadDib(imagePath.c_str());  // says itself what went wrong
  if (image == nullptr) return false;
  if (image->width != atlas.imageWidth || image->height != atlas.imageHeight) {
    const std::string what = "Font file " + path + ": its picture " + imagePath + " is " + std::to_string(image->width) +
                             "x" + std::to_string(image->height) + " pixels, not " + std::to_string(atlas.imageWidth) +
                             "x" + std::to_string(atlas.imageHeight) + ".\n";
    showErrorDialog("Error", what.c_str());
    return false;
  }
  // A grey picture: any channel is the field; red is taken.
  atlas.field.resize(static_cast<size_t>(image->width) * image->height);
  for (size_t i = 0; i < atlas.field.size(); ++i) atlas.field[i] = image->pixels[3 * i];
  return true;
}
