// Drawing vocabulary: the backend in use and the calls that reach it.
#include "drawing/gfx.h"

#include <cstring>  // Required for: std::strcmp()

#include "drawing/gfx_backend.h"
#include "drawing/gl.h"

namespace {
GfxBackend* g_backend = nullptr;
GraphicsPath g_path = GraphicsPath::kDesigned;

// The designed backend until a path is chosen, so tests and tools that never choose draw as the
// program always has.
GfxBackend& backend() {
  if (g_backend == nullptr) g_backend = &designedGfxBackend();
  return *g_backend;
}
}  // namespace

bool glContextCurrent() {
  // Without a current context GL 1.0 calls reach a no-op dispatch and answer null. Later entry
  // points must not be called then at all: libepoxy would fail to resolve them and abort.
  return glGetString(GL_VERSION) != nullptr;
}

void selectGraphicsPath(GraphicsPath path) {
  if (g_backend != nullptr) g_backend->leave();
  g_path = path;
  g_backend = path == GraphicsPath::kEs2 ? &es2GfxBackend() : &designedGfxBackend();
  g_backend->enter();
}

GraphicsPath graphicsPath() { return g_path; }

bool parseGraphicsPath(const char* name, GraphicsPath& path) {
  if (std::strcmp(name, "designed") == 0) {
    path = GraphicsPath::kDesigned;
  } else if (std::strcmp(name, "es2") == 0) {
    path = GraphicsPath::kEs2;
  } else {
    return false;
  }
  return true;
}

void gfxEnable(unsigned int cap) { backend().enable(cap); }
void gfxDisable(unsigned int cap) { backend().disable(cap); }
bool gfxIsEnabled(unsigned int cap) { return backend().isEnabled(cap); }
void gfxPushAttrib(unsigned int mask) { backend().pushAttrib(mask); }
void gfxPopAttrib() { backend().popAttrib(); }
void gfxShadeModel(unsigned int mode) { backend().shadeModel(mode); }
void gfxDepthMask(bool write) { backend().depthMask(write); }
bool gfxGetDepthMask() { return backend().getDepthMask(); }
void gfxDepthFunc(unsigned int function) { backend().depthFunc(function); }
unsigned int gfxGetDepthFunc() { return backend().getDepthFunc(); }
void gfxBlendFunc(unsigned int source, unsigned int destination) { backend().blendFunc(source, destination); }
void gfxPolygonMode(unsigned int face, unsigned int mode) { backend().polygonMode(face, mode); }
void gfxTexEnvi(unsigned int target, unsigned int name, int value) { backend().texEnvi(target, name, value); }
void gfxGetTexEnviv(unsigned int target, unsigned int name, int* value) { backend().getTexEnviv(target, name, value); }
void gfxMatrixMode(unsigned int mode) { backend().matrixMode(mode); }
void gfxPushMatrix() { backend().pushMatrix(); }
void gfxPopMatrix() { backend().popMatrix(); }
void gfxLoadIdentity() { backend().loadIdentity(); }
void gfxTranslatef(float x, float y, float z) { backend().translatef(x, y, z); }
void gfxRotatef(float degrees, float x, float y, float z) { backend().rotatef(degrees, x, y, z); }
void gfxScalef(float x, float y, float z) { backend().scalef(x, y, z); }
void gfxPerspective(double fovY, double aspect, double zNear, double zFar) {
  backend().perspective(fovY, aspect, zNear, zFar);
}
void gfxLookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
               double upY, double upZ) {
  backend().lookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
}
void gfxOrtho2D(double left, double right, double bottom, double top) { backend().ortho2D(left, right, bottom, top); }
void gfxOrtho(double left, double right, double bottom, double top, double zNear, double zFar) {
  backend().ortho(left, right, bottom, top, zNear, zFar);
}
void gfxGetMatrix(unsigned int which, float matrix[16]) { backend().getMatrix(which, matrix); }
void gfxLightfv(unsigned int light, unsigned int name, const float* values) { backend().lightfv(light, name, values); }
void gfxLightModelfv(unsigned int name, const float* values) { backend().lightModelfv(name, values); }
void gfxMaterialfv(unsigned int face, unsigned int name, const float* values) {
  backend().materialfv(face, name, values);
}
void gfxMaterialf(unsigned int face, unsigned int name, float value) { backend().materialf(face, name, value); }
void gfxColor3f(float r, float g, float b) { backend().color3f(r, g, b); }
void gfxColor3fv(const float* rgb) { backend().color3fv(rgb); }
void gfxColor4f(float r, float g, float b, float a) { backend().color4f(r, g, b, a); }
void gfxBegin(unsigned int mode) { backend().begin(mode); }
void gfxEnd() { backend().end(); }
void gfxVertex3f(float x, float y, float z) { backend().vertex3f(x, y, z); }
void gfxTexCoord2f(float s, float t) { backend().texCoord2f(s, t); }
void gfxArrayElement(int index) { backend().arrayElement(index); }
void gfxRectf(float x1, float y1, float x2, float y2) { backend().rectf(x1, y1, x2, y2); }
void gfxEnableClientState(unsigned int array) { backend().enableClientState(array); }
void gfxDisableClientState(unsigned int array) { backend().disableClientState(array); }
void gfxVertexPointer(int size, unsigned int type, int stride, const void* pointer) {
  backend().vertexPointer(size, type, stride, pointer);
}
void gfxNormalPointer(unsigned int type, int stride, const void* pointer) {
  backend().normalPointer(type, stride, pointer);
}
void gfxTexCoordPointer(int size, unsigned int type, int stride, const void* pointer) {
  backend().texCoordPointer(size, type, stride, pointer);
}
void gfxColorPointer(int size, unsigned int type, int stride, const void* pointer) {
  backend().colorPointer(size, type, stride, pointer);
}
void gfxDrawArrays(unsigned int mode, int first, int count) { backend().drawArrays(mode, first, count); }
void gfxDrawElements(unsigned int mode, int count, unsigned int type, const void* indices) {
  backend().drawElements(mode, count, type, indices);
}
void gfxMultiDrawElements(unsigned int mode, const int* counts, unsigned int type, const void* const* indices,
                          int drawCount) {
  backend().multiDrawElements(mode, counts, type, indices, drawCount);
}
void gfxUseProgram(unsigned int program) { backend().useProgram(program); }
unsigned int gfxGenLists(int range) { return backend().genLists(range); }
void gfxNewList(unsigned int list, unsigned int mode) { backend().newList(list, mode); }
void gfxEndList() { backend().endList(); }
void gfxCallList(unsigned int list) { backend().callList(list); }
void gfxDeleteLists(unsigned int list, int range) { backend().deleteLists(list, range); }
void gfxContextLost() { backend().contextLost(); }
void gfxContextRestored() { backend().contextRestored(); }
void gfxBindTexture(unsigned int target, unsigned int texture) { backend().bindTexture(target, texture); }
void gfxTexParameteri(unsigned int target, unsigned int name, int value) {
  backend().texParameteri(target, name, value);
}
void gfxTexImage2D(unsigned int target, int level, int internalFormat, int width, int height, int border,
                   unsigned int format, unsigned int type, const void* pixels) {
  backend().texImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}
unsigned int gfxBoundTexture() { return backend().boundTexture(); }
void gfxTextureSize(int* width, int* height, int* internalFormat) {
  backend().textureSize(width, height, internalFormat);
}
void gfxDeleteTexture(unsigned int texture) { backend().deleteTexture(texture); }
void gfxRenderbufferStorage(unsigned int internalFormat, int width, int height) {
  backend().renderbufferStorage(internalFormat, width, height);
}
bool gfxHasFramebufferObjects() { return backend().hasFramebufferObjects(); }
void gfxSolidSphere(double radius, int slices, int stacks) { backend().solidSphere(radius, slices, stacks); }
void gfxSolidCube(double size) { backend().solidCube(size); }
bool gfxHasBitmapFonts() { return backend().hasBitmapFonts(); }
bool gfxSparesUnseenWork() { return backend().sparesUnseenWork(); }
void gfxRasterPos2i(int x, int y) { backend().rasterPos2i(x, y); }
void gfxBitmapCharacter(int font, int character) { backend().bitmapCharacter(font, character); }