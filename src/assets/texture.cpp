// Texture creation: BMP file to the bound GL_TEXTURE_2D, one level, linear filtering.
#include "assets/texture.h"

#include "assets/bmp_image.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"

void loadBmpTexture(const char* path) {
  // Linear minification needs no mipmaps, so level 0 alone makes the texture complete.
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);

  const std::unique_ptr<RgbImage> image = loadDib(path);
  if (image == nullptr) return;

  // Rows are tightly packed: any width that is not a multiple of 4 needs byte alignment.
  GLint previousAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               image->pixels.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}
