// The web build has no compatibility-profile GL: WebGL 1 is GL ES 2.0, so the designed backend's name
// leads to the GL ES backend too (the page's program selects it at start-up in any case).
#include "drawing/gfx_backend.h"

GfxBackend& designedGfxBackend() { return es2GfxBackend(); }
