// Fixed-pipeline state shared by every drawing: texture wrap and flat materials.
#include "assets/gl_state.h"

#include "drawing/gfx.h"
#include "drawing/gl.h"

void resetTextureWrap() {
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  gfxTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void setFlatMaterial(unsigned int face, const float rgba[4]) {
  gfxMaterialfv(face, GL_AMBIENT, rgba);
  gfxMaterialfv(face, GL_DIFFUSE, rgba);
  gfxMaterialfv(face, GL_SPECULAR, rgba);
  gfxMaterialf(face, GL_SHININESS, 0.0f);
}
