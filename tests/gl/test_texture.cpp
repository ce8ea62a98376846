// Texture upload: a BMP file drawn through loadBmpTexture shows its picture the right way up, odd
// widths included; filtering and unpack alignment as promised; a missing file leaves no image.
#include <unistd.h>  // Required for: getpid()

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/texture.h"
#include "gl_context.h"
#include "platform/dialog.h"
#include "platform/gl.h"

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A bottom-up 24-bit BMP of the given rows (bottom row first), each row padded to 4 bytes.
std::vector<uint8_t> rgb24Bmp(int width, const std::vector<std::vector<Rgb>>& rows) {
  std::vector<uint8_t> pixels;
  for (const auto& row : rows) {
    for (const Rgb& c : row) pixels.insert(pixels.end(), {c[2], c[1], c[0]});
    pixels.resize((pixels.size() + 3) / 4 * 4, 0);
  }
  std::vector<uint8_t> file = {'B', 'M'};
  putU32(file, 54 + static_cast<uint32_t>(pixels.size()));
  putU32(file, 0);
  putU32(file, 54);
  putU32(file, 40);
  putU32(file, static_cast<uint32_t>(width));
  putU32(file, static_cast<uint32_t>(rows.size()));
  putU32(file, 1 | (24u << 16));  // planes, bits per pixel
  for (int i = 0; i < 6; ++i) putU32(file, 0);
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

class TextureTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    directory_ = std::filesystem::temp_directory_path() / ("karvosta_texture_" + std::to_string(getpid()));
    std::filesystem::create_directories(directory_);
    setDialogsEnabled(false);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
  }
  void TearDown() override {
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture_);
    setDialogsEnabled(true);
    std::filesystem::remove_all(directory_);
  }

  std::string write(const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = (directory_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // The bound texture drawn over the whole of a target of the texture's size: each pixel centre
  // falls on a texel centre, so linear filtering gives the texels themselves.
  std::vector<uint8_t> drawTexture(OffscreenTarget& target) {
    target.bind();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f); glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f); glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f); glVertex2f(-1.0f, 1.0f);
    glEnd();
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    std::vector<uint8_t> pixels = target.readPixels();
    target.unbind();
    return pixels;
  }

  std::filesystem::path directory_;
  GLuint texture_ = 0;
};

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrey{0x30, 0x20, 0x10};
constexpr Rgb kYellow{255, 255, 0};

}  // namespace

TEST_F(TextureTest, OddWidthPictureShowsUprightWithLinearFilters) {
  const std::string path = write("odd.bmp", rgb24Bmp(3, {{kGrey, kRed, kGreen}, {kBlue, kWhite, kYellow}}));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);  // whatever the caller had must come back
  loadBmpTexture(path.c_str());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 8);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  GLint magFilter = 0;
  GLint minFilter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  EXPECT_EQ(magFilter, GL_LINEAR);
  EXPECT_EQ(minFilter, GL_LINEAR);
  GLint width = 0;
  GLint height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);

  OffscreenTarget target(3, 2);
  ASSERT_TRUE(target.complete());
  const std::vector<uint8_t> seen = drawTexture(target);
  EXPECT_EQ(target.pixelAt(seen, 0, 0), kGrey);  // the file's first pixel is the bottom-left
  EXPECT_EQ(target.pixelAt(seen, 1, 0), kRed);
  EXPECT_EQ(target.pixelAt(seen, 2, 0), kGreen);
  EXPECT_EQ(target.pixelAt(seen, 0, 1), kBlue);
  EXPECT_EQ(target.pixelAt(seen, 1, 1), kWhite);
  EXPECT_EQ(target.pixelAt(seen, 2, 1), kYellow);
}

TEST_F(TextureTest, MissingFileLeavesTheTextureWithoutAnImage) {
  const std::string path = (directory_ / "absent.bmp").string();
  ::testing::internal::CaptureStderr();
  loadBmpTexture(path.c_str());
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "Error: Failed to open DIB file " + path + ".\n");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  GLint width = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 0);
  GLint boundTexture = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
  EXPECT_EQ(static_cast<GLuint>(boundTexture), texture_);
}
