// The designed drawing backend: every call of the vocabulary is the compatibility-profile GL (GLU,
// GLUT) call of the same name with the same arguments, so the pictures are exactly GL's own.
#include "drawing/gfx_backend.h"
#include "drawing/gl.h"

namespace {

class DesignedBackend final : public GfxBackend {
 public:
  void enable(unsigned int cap) override { glEnable(cap); }
  void disable(unsigned int cap) override { glDisable(cap); }
  bool isEnabled(unsigned int cap) override { return glIsEnabled(cap) == GL_TRUE; }
  void pushAttrib(unsigned int mask) override { glPushAttrib(mask); }
  void popAttrib() override { glPopAttrib(); }
  void shadeModel(unsigned int mode) override { glShadeModel(mode); }
  void depthMask(bool write) override { glDepthMask(write ? GL_TRUE : GL_FALSE); }
  bool getDepthMask() override {
    GLboolean write = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &write);
    return write == GL_TRUE;
  }
  void depthFunc(unsigned int function) override { glDepthFunc(function); }
  unsigned int getDepthFunc() override {
    GLint function = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &function);
    return static_cast<unsigned int>(function);
  }
  void blendFunc(unsigned int source, unsigned int destination) override { glBlendFunc(source, destination); }
  void polygonMode(unsigned int face, unsigned int mode) override { glPolygonMode(face, mode); }
  void texEnvi(unsigned int target, unsigned int name, int value) override { glTexEnvi(target, name, value); }
  void getTexEnviv(unsigned int target, unsigned int name, int* value) override { glGetTexEnviv(target, name, value); }
  void matrixMode(unsigned int mode) override { glMatrixMode(mode); }
  void pushMatrix() override { glPushMatrix(); }
  void popMatrix() override { glPopMatrix(); }
  void loadIdentity() override { glLoadIdentity(); }
  void translatef(float x, float y, float z) override { glTranslatef(x, y, z); }
  void rotatef(float degrees, float x, float y, float z) override { glRotatef(degrees, x, y, z); }
  void scalef(float x, float y, float z) override { glScalef(x, y, z); }
  void perspective(double fovY, double aspect, double zNear, double zFar) override {
    gluPerspective(fovY, aspect, zNear, zFar);
  }
  void lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
              double upY, double upZ) override {
    gluLookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
  }
  void ortho2D(double left, double right, double bottom, double top) override { gluOrtho2D(left, right, bottom, top); }
  void ortho(double left, double right, double bottom, double top, double zNear, double zFar) override {
    glOrtho(left, right, bottom, top, zNear, zFar);
  }
  void getMatrix(unsigned int which, float matrix[16]) override { glGetFloatv(which, matrix); }
  void lightfv(unsigned int light, unsigned int name, const float* values) override { glLightfv(light, name, values); }
  void lightModelfv(unsigned int name, const float* values) override { glLightModelfv(name, values); }
  void materialfv(unsigned int face, unsigned int name, const float* values) override {
    glMaterialfv(face, name, values);
  }
  void materialf(unsigned int face, unsigned int name, float value) override { glMaterialf(face, name, value); }
  void color3f(float r, float g, float b) override { glColor3f(r, g, b); }
  void color3fv(const float* rgb) override { glColor3fv(rgb); }
  void color4f(float r, float g, float b, float a) override { glColor4f(r, g, b, a); }
  void begin(unsigned int mode) override { glBegin(mode); }
  void end() override { glEnd(); }
  void vertex3f(float x, float y, float z) override { glVertex3f(x, y, z); }
  void texCoord2f(float s, float t) override { glTexCoord2f(s, t); }
  void arrayElement(int index) override { glArrayElement(index); }
  void rectf(float x1, float y1, float x2, float y2) override { glRectf(x1, y1, x2, y2); }
  void enableClientState(unsigned int array) override { glEnableClientState(array); }
  void disableClientState(unsigned int array) override { glDisableClientState(array); }
  void vertexPointer(int size, unsigned int type, int stride, const void* pointer) override {
    glVertexPointer(size, type, stride, pointer);
  }
  void normalPointer(unsigned int type, int stride, const void* pointer) override {
    glNormalPointer(type, stride, pointer);
  }
  void texCoordPointer(int size, unsigned int type, int stride, const void* pointer) override {
    glTexCoordPointer(size, type, stride, pointer);
  }
  void colorPointer(int size, unsigned int type, int stride, const void* pointer) override {
    glColorPointer(size, type, stride, pointer);
  }
  void drawArrays(unsigned int mode, int first, int count) override { glDrawArrays(mode, first, count); }
  void drawElements(unsigned int mode, int count, unsigned int type, const void* indices) override {
    glDrawElements(mode, count, type, indices);
  }
  // One call per draw, as the sea always made them.
  void multiDrawElements(unsigned int mode, const int* counts, unsigned int type, const void* const* indices,
                         int drawCount) override {
    for (int i = 0; i < drawCount; ++i) glDrawElements(mode, counts[i], type, indices[i]);
  }
  void useProgram(unsigned int program) override { glUseProgram(program); }
  unsigned int genLists(int range) override { return glGenLists(range); }
  void newList(unsigned int list, unsigned int mode) override { glNewList(list, mode); }
  void endList() override { glEndList(); }
  void callList(unsigned int list) override { glCallList(list); }
  void deleteLists(unsigned int list, int range) override { glDeleteLists(list, range); }
  void bindTexture(unsigned int target, unsigned int texture) override { glBindTexture(target, texture); }
  void texParameteri(unsigned int target, unsigned int name, int value) override {
    glTexParameteri(target, name, value);
  }
  void texImage2D(unsigned int target, int level, int internalFormat, int width, int height, int border,
                  unsigned int format, unsigned int type, const void* pixels) override {
    glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
  }
  unsigned int boundTexture() override {
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    return static_cast<unsigned int>(texture);
  }
  void textureSize(int* width, int* height, int* internalFormat) override {
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, internalFormat);
  }
  void deleteTexture(unsigned int texture) override { glDeleteTextures(1, &texture); }
  void renderbufferStorage(unsigned int internalFormat, int width, int height) override {
    glRenderbufferStorage(GL_RENDERBUFFER, internalFormat, width, height);
  }
  bool hasFramebufferObjects() override {
    return epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_object");
  }
  void solidSphere(double radius, int slices, int stacks) override { glutSolidSphere(radius, slices, stacks); }
  void solidCube(double size) override { glutSolidCube(size); }
  bool hasBitmapFonts() override { return true; }
  bool sparesUnseenWork() override { return false; }
  void rasterPos2i(int x, int y) override { glRasterPos2i(x, y); }
  void bitmapCharacter(int font, int character) override {
    glutBitmapCharacter(font == 1 ? GLUT_BITMAP_TIMES_ROMAN_24 : GLUT_BITMAP_HELVETICA_18, character);
  }
};

}  // namespace

GfxBackend& designedGfxBackend() {
  static DesignedBackend backend;
  return backend;
}
