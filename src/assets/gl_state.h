// Fixed-pipeline state shared by every drawing: the default texture wrap and flat materials.
// Needs a current GL context; the header itself is GL-free.
#pragma once

// Repeat wrap in s and t on the texture bound to GL_TEXTURE_2D: what every drawing expects to find,
// so a drawing that changed it (or may have) puts it back with this.
void resetTextureWrap();

// One colour for ambient, diffuse and specular, shininess 0, on `face` (GL_FRONT or
// GL_FRONT_AND_BACK): a surface lit without highlight or tint of its own.
void setFlatMaterial(unsigned int face, const float rgba[4]);
