// The drawing vocabulary's backends (see gfx.h): each carries out every call of the vocabulary.
// Internal to the platform layer; the rest of the program calls the gfx* functions.
#pragma once

struct GfxBackend {
  virtual ~GfxBackend() = default;
  // Hands GL over to the other backend: GL state this one sets behind the vocabulary goes back to
  // GL's defaults.
  virtual void leave() {}
  // Takes GL over from the other backend (or from nothing, at start-up).
  virtual void enter() {}
  // See gfxContextLost and gfxContextRestored: only the es2 backend runs where contexts are lost.
  virtual void contextLost() {}
  virtual void contextRestored() {}
  virtual void enable(unsigned int cap) = 0;
  virtual void disable(unsigned int cap) = 0;
  virtual bool isEnabled(unsigned int cap) = 0;
  virtual void pushAttrib(unsigned int mask) = 0;
  virtual void popAttrib() = 0;
  virtual void shadeModel(unsigned int mode) = 0;
  virtual void depthMask(bool write) = 0;
  virtual bool getDepthMask() = 0;
  virtual void depthFunc(unsigned int function) = 0;
  virtual unsigned int getDepthFunc() = 0;
  virtual void blendFunc(unsigned int source, unsigned int destination) = 0;
  virtual void polygonMode(unsigned int face, unsigned int mode) = 0;
  virtual void texEnvi(unsigned int target, unsigned int name, int value) = 0;
  virtual void getTexEnviv(unsigned int target, unsigned int name, int* value) = 0;
  virtual void matrixMode(unsigned int mode) = 0;
  virtual void pushMatrix() = 0;
  virtual void popMatrix() = 0;
  virtual void loadIdentity() = 0;
  virtual void translatef(float x, float y, float z) = 0;
  virtual void rotatef(float degrees, float x, float y, float z) = 0;
  virtual void scalef(float x, float y, float z) = 0;
  virtual void perspective(double fovY, double aspect, double zNear, double zFar) = 0;
  virtual void lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
                      double upY, double upZ) = 0;
  virtual void ortho2D(double left, double right, double bottom, double top) = 0;
  virtual void ortho(double left, double right, double bottom, double top, double zNear, double zFar) = 0;
  virtual void getMatrix(unsigned int which, float matrix[16]) = 0;
  virtual void lightfv(unsigned int light, unsigned int name, const float* values) = 0;
  virtual void lightModelfv(unsigned int name, const float* values) = 0;
  virtual void materialfv(unsigned int face, unsigned int name, const float* values) = 0;
  virtual void materialf(unsigned int face, unsigned int name, float value) = 0;
  virtual void color3f(float r, float g, float b) = 0;
  virtual void color3fv(const float* rgb) = 0;
  virtual void color4f(float r, float g, float b, float a) = 0;
  virtual void begin(unsigned int mode) = 0;
  virtual void end() = 0;
  virtual void vertex3f(float x, float y, float z) = 0;
  virtual void texCoord2f(float s, float t) = 0;
  virtual void arrayElement(int index) = 0;
  virtual void rectf(float x1, float y1, float x2, float y2) = 0;
  virtual void enableClientState(unsigned int array) = 0;
  virtual void disableClientState(unsigned int array) = 0;
  virtual void vertexPointer(int size, unsigned int type, int stride, const void* pointer) = 0;
  virtual void normalPointer(unsigned int type, int stride, const void* pointer) = 0;
  virtual void texCoordPointer(int size, unsigned int type, int stride, const void* pointer) = 0;
  virtual void colorPointer(int size, unsigned int type, int stride, const void* pointer) = 0;
  virtual void drawArrays(unsigned int mode, int first, int count) = 0;
  virtual void drawElements(unsigned int mode, int count, unsigned int type, const void* indices) = 0;
  virtual void multiDrawElements(unsigned int mode, const int* counts, unsigned int type, const void* const* indices,
                                 int drawCount) = 0;
  virtual void useProgram(unsigned int program) = 0;
  virtual unsigned int genLists(int range) = 0;
  virtual void newList(unsigned int list, unsigned int mode) = 0;
  virtual void endList() = 0;
  virtual void callList(unsigned int list) = 0;
  virtual void deleteLists(unsigned int list, int range) = 0;
  virtual void bindTexture(unsigned int target, unsigned int texture) = 0;
  virtual void texParameteri(unsigned int target, unsigned int name, int value) = 0;
  virtual void texImage2D(unsigned int target, int level, int internalFormat, int width, int height, int border,
                          unsigned int format, unsigned int type, const void* pixels) = 0;
  virtual void textureSize(int* width, int* height, int* internalFormat) = 0;
  virtual unsigned int boundTexture() = 0;
  virtual void deleteTexture(unsigned int texture) = 0;
  virtual void renderbufferStorage(unsigned int internalFormat, int width, int height) = 0;
  virtual bool hasFramebufferObjects() = 0;
  virtual void solidSphere(double radius, int slices, int stacks) = 0;
  virtual void solidCube(double size) = 0;
  virtual bool hasBitmapFonts() = 0;
  virtual bool sparesUnseenWork() = 0;
  virtual void rasterPos2i(int x, int y) = 0;
  virtual void bitmapCharacter(int font, int character) = 0;
};

// The backends; each lives as long as the program.
GfxBackend& designedGfxBackend();
GfxBackend& es2GfxBackend();
