// drawing/: how the scene reaches GL. The vocabulary below with its two backends (the designed
// compatibility-profile calls, and GL ES 2.0), the shader layer the sea and the texts run their
// programs through, the matrices, and the one GL include. Every subsystem that draws does so through
// this room; the calls GL ES 2.0 shares with desktop GL stay plain GL at their callers (see below).
//
// Drawing vocabulary: the fixed-pipeline calls the scene is drawn with (matrices, light and
// materials, immediate mode, client arrays, display lists, the texture unit of the fixed stage), and
// the one place that picks who carries them out. The header is GL-free; the functions take GL's
// enumerants and need a current GL context.
//
// Two backends, chosen once before the first drawing:
// - designed: each call is the compatibility-profile GL call of the same name, nothing else, so the
//   designed pictures are exactly GL's own;
// - es2: what GL ES 2.0 (and WebGL 1) offers and nothing more. It keeps the fixed pipeline's state
//   itself and draws through programs of its own that light and texture as that pipeline does (one
//   directional light, GL_ADD and GL_MODULATE texture environments); vertices go through buffers
//   (streamed each draw, or made once by a display list), quads and polygons become triangles, and
//   GL_LINE polygon mode draws the edges as lines. A program of the shader layer in use
//   (gfxUseProgram) replaces the backend's own.
//
// Calls GL ES 2.0 shares with desktop GL (clearing, viewport, scissor, framebuffer objects, reading
// pixels) stay plain GL calls at their callers. Depth writes, the depth function and the blend
// function are the vocabulary's, so that the es2 backend can answer for them without asking GL: in a
// browser, a question to GL waits until everything drawn before it is done.
#pragma once

enum class GraphicsPath { kDesigned, kEs2 };

// Whether a GL context is current on this thread (GL objects can be made or deleted).
bool glContextCurrent();

// Picks the backend (and so the shader layer's dialect); the designed one until called.
void selectGraphicsPath(GraphicsPath path);
GraphicsPath graphicsPath();
// "designed" or "es2" to the path; false for any other name.
bool parseGraphicsPath(const char* name, GraphicsPath& path);

// Capabilities: glEnable and friends. The es2 backend keeps the fixed pipeline's own (lighting,
// light 0, 2D texturing, normal rescaling, colour material) and passes the rest to GL.
void gfxEnable(unsigned int cap);
void gfxDisable(unsigned int cap);
bool gfxIsEnabled(unsigned int cap);
// GL_ENABLE_BIT, GL_LIGHTING_BIT, GL_CURRENT_BIT and GL_COLOR_BUFFER_BIT are what callers save.
void gfxPushAttrib(unsigned int mask);
void gfxPopAttrib();
void gfxShadeModel(unsigned int mode);
void gfxDepthMask(bool write);
bool gfxGetDepthMask();
void gfxDepthFunc(unsigned int function);
unsigned int gfxGetDepthFunc();
void gfxBlendFunc(unsigned int source, unsigned int destination);
void gfxPolygonMode(unsigned int face, unsigned int mode);
void gfxTexEnvi(unsigned int target, unsigned int name, int value);
void gfxGetTexEnviv(unsigned int target, unsigned int name, int* value);

// Matrices; gfxPerspective, gfxLookAt and gfxOrtho2D do what GLU's functions of those names do.
void gfxMatrixMode(unsigned int mode);
void gfxPushMatrix();
void gfxPopMatrix();
void gfxLoadIdentity();
void gfxTranslatef(float x, float y, float z);
void gfxRotatef(float degrees, float x, float y, float z);
void gfxScalef(float x, float y, float z);
void gfxPerspective(double fovY, double aspect, double zNear, double zFar);
void gfxLookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
               double upY, double upZ);
void gfxOrtho2D(double left, double right, double bottom, double top);
void gfxOrtho(double left, double right, double bottom, double top, double zNear, double zFar);
// GL_MODELVIEW_MATRIX or GL_PROJECTION_MATRIX, column-major.
void gfxGetMatrix(unsigned int which, float matrix[16]);

// Light, materials and the current colour.
void gfxLightfv(unsigned int light, unsigned int name, const float* values);
void gfxLightModelfv(unsigned int name, const float* values);
void gfxMaterialfv(unsigned int face, unsigned int name, const float* values);
void gfxMaterialf(unsigned int face, unsigned int name, float value);
void gfxColor3f(float r, float g, float b);
void gfxColor3fv(const float* rgb);
void gfxColor4f(float r, float g, float b, float a);

// Immediate mode.
void gfxBegin(unsigned int mode);
void gfxEnd();
void gfxVertex3f(float x, float y, float z);
void gfxTexCoord2f(float s, float t);
void gfxArrayElement(int index);
void gfxRectf(float x1, float y1, float x2, float y2);

// Client vertex arrays (floats only) and their draws; indices are GL_UNSIGNED_INT.
void gfxEnableClientState(unsigned int array);
void gfxDisableClientState(unsigned int array);
void gfxVertexPointer(int size, unsigned int type, int stride, const void* pointer);
void gfxNormalPointer(unsigned int type, int stride, const void* pointer);
void gfxTexCoordPointer(int size, unsigned int type, int stride, const void* pointer);
void gfxColorPointer(int size, unsigned int type, int stride, const void* pointer);
void gfxDrawArrays(unsigned int mode, int first, int count);
void gfxDrawElements(unsigned int mode, int count, unsigned int type, const void* indices);
// `drawCount` draws of gfxDrawElements in a row, over the same arrays: the es2 backend makes them one.
void gfxMultiDrawElements(unsigned int mode, const int* counts, unsigned int type, const void* const* indices,
                          int drawCount);

// A program of the shader layer, or 0 for none. While one is in use it draws: the designed backend
// hands it to GL, the es2 backend draws with it instead of its own programs, giving it the vertex
// arrays as the attributes below.
void gfxUseProgram(unsigned int program);
// Attribute locations of the vertex inputs of a program given to gfxUseProgram on the es2 path (the
// shader layer binds its GLSL ES inputs to them).
enum GfxAttribute { kGfxAttributePosition = 0, kGfxAttributeNormal, kGfxAttributeTexCoord, kGfxAttributeColor };

// Display lists (GL_COMPILE only).
unsigned int gfxGenLists(int range);
void gfxNewList(unsigned int list, unsigned int mode);
void gfxEndList();
void gfxCallList(unsigned int list);
void gfxDeleteLists(unsigned int list, int range);

// A browser may lose its WebGL context (a GPU reset, a phone reclaiming memory) and later give a new
// one in its place, with GL's defaults and none of the old objects. gfxContextLost releases what the
// backend made itself (its programs and buffers; in a lost context the deletes free only their
// names), gfxContextRestored gives the new context the state the backend keeps. Whoever made the
// other objects releases them while the context is lost and makes them anew after the restore.
void gfxContextLost();
void gfxContextRestored();

// The fixed stage's texture unit (unit 0): binding, parameters and images. gfxTexImage2D takes
// sized internal formats (GL_RGBA8) too; gfxTextureSize answers for the texture bound there:
// width and height of level 0 (0 without an image). gfxBoundTexture is the texture bound there.
void gfxBindTexture(unsigned int target, unsigned int texture);
void gfxTexParameteri(unsigned int target, unsigned int name, int value);
void gfxTexImage2D(unsigned int target, int level, int internalFormat, int width, int height, int border,
                   unsigned int format, unsigned int type, const void* pixels);
void gfxTextureSize(int* width, int* height, int* internalFormat);
unsigned int gfxBoundTexture();
// glDeleteTextures of one texture made with glGenTextures: the es2 backend forgets what it kept of it.
void gfxDeleteTexture(unsigned int texture);
// Renderbuffer storage of a sized format, or the nearest the backend has (GL_RGBA8, GL_DEPTH_COMPONENT24).
void gfxRenderbufferStorage(unsigned int internalFormat, int width, int height);
bool gfxHasFramebufferObjects();

// Solids centred on the origin, with outward normals, as GLUT's glutSolidSphere and glutSolidCube.
void gfxSolidSphere(double radius, int slices, int stacks);
void gfxSolidCube(double size);

// Whether the scene leaves out work the picture does not show: models wholly outside the view (with
// culling on), the sea's grid in pieces that skip what lies off the screen or under a mirrored
// rectangle, and the sea's open part shaded without the reflection image. The es2 path does: a
// browser's software renderer pays for every draw and every triangle sent, seen or not, and runs
// the fragment program on pixels the depth test then turns away. The designed path draws as
// designed: the sea in whole strips, one draw each, and culling of ships by the view wedge only.
bool gfxSparesUnseenWork();

// Bitmap text at the raster position (GLUT's Helvetica 18 or Times Roman 24; 0 or 1). The es2
// backend has no bitmap fonts: gfxHasBitmapFonts says whether text can be drawn this way.
bool gfxHasBitmapFonts();
void gfxRasterPos2i(int x, int y);
void gfxBitmapCharacter(int font, int character);
