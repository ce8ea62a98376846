// Fixed-pipeline state shared by every drawing: texture wrap and flat materials.
#include "assets/gl_state.h"

#include "platform/gl.h"

void resetTextureWrap() {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void setFlatMaterial(unsigned int face, const float rgba[4]) {
  glMaterialfv(face, GL_AMBIENT, rgba);
  glMaterialfv(face, GL_DIFFUSE, rgba);
  glMaterialfv(face, GL_SPECULAR, rgba);
  glMaterialf(face, GL_SHININESS, 0.0f);
}
