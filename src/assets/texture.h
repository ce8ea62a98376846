// Texture creation: fills the bound 2D texture from a BMP file. Needs a current GL context.
#pragma once

// Precondition: the texture to fill is bound to GL_TEXTURE_2D (it stays bound). Sets linear
// magnification and minification, then uploads the file's picture as level 0, GL_RGB, no mipmaps.
// A file that does not load leaves the texture without an image; loadDib has shown why.
void loadBmpTexture(const char* path);
