// Loaded ASE model: materials, triangle meshes and the eleven game values of a ship or duck.
// Loading (loadAse) is GL-free; loadTextures, buildDisplayList and draw need a GL context.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Material {
  std::string bitmapName;  // texture file path from "*BITMAP" (without enclosing quotes); "NONE" = untextured
  unsigned int texture = 0;  // GL texture name, 0 until loadTextures
  std::array<float, 3> ambient{1.0f, 1.0f, 1.0f};
  std::array<float, 3> diffuse{1.0f, 1.0f, 1.0f};
  std::array<float, 3> specular{1.0f, 1.0f, 1.0f};
  float shine = 0.0f;  // OpenGL specular exponent

  // False for "NONE" and for a material whose file gave no "*BITMAP" (empty name): such a material
  // gets no texture and draws in its colours.
  bool hasBitmap() const { return !bitmapName.empty() && bitmapName != "NONE"; }
};

struct GeomObject {
  std::string name;
  int32_t numVertex = 0;
  int32_t numFaces = 0;
  int32_t numTVertex = 0;
  int32_t numTVFaces = 0;
  std::vector<float> vertices;        // numVertex * 3 (x, y, z)
  std::vector<uint32_t> faces;        // numFaces * 3 vertex indices
  std::vector<float> tvertices;       // numTVertex * 3 (u, v, w)
  std::vector<float> vertexNormals;   // numVertex * 3
  int32_t materialRef = -1;           // index into materials; -1 = no material
  std::array<float, 3> wireframeColor{1.0f, 1.0f, 1.0f};
  // Watertight and wound outward: every edge (vertices joined where their positions agree) belongs
  // to exactly two faces that run it in opposite directions, and the enclosed volume is positive.
  // From outside, such a surface hides its own back faces, so the draw paths cull them; any other
  // object is drawn with both sides, whatever its author meant. Set by findClosedSurfaces.
  bool closedSurface = false;

  // Texture vertex i is the coordinate of vertex i, so a texture needs one per vertex.
  bool hasTexCoordPerVertex() const {
    return numTVertex >= numVertex && tvertices.size() >= vertices.size();
  }
};

// The three ways of handing a model's geometry to GL; each draws the same picture, at its own cost.
enum class RenderPath : int {
  Immediate = 0,     // glBegin/glEnd: one GL_POLYGON of three glArrayElement calls per face
  DrawElements = 1,  // one glDrawElements per object
  DisplayList = 2,   // one glCallList of the compiled model
};

class MeshModel {
 public:
  // Game values from the model file's own keys; 0 when the file lacks them.
  int32_t focalDistance = 0;  // "*BRENNWEITE": foci of the hit ellipse, length of the cannon row
  int32_t radius = 0;         // "*RADIUS": half the major axis of the hit ellipse
  int32_t energy = 0;         // "*ENERGIE": hits the ship can take
  int32_t zOffset = 0;        // "*ZOFFSET": height of the model's origin above the water
  int32_t height = 0;         // "*HOEHE"
  int32_t speed = 0;          // "*GESCHWINDIGKEIT"
  int32_t turnRate = 0;       // "*KURVE"
  int32_t cannons = 0;        // "*KANONEN": cannons per side
  int32_t ammunition = 0;     // "*MUNITION"
  int32_t range = 0;          // "*REICHWEITE": world units a ball flies
  int32_t cannonSpeed = 0;    // "*KANONENGESCHW": speed units (world units per 1/25 s)

  std::vector<Material> materials;
  std::vector<std::unique_ptr<GeomObject>> objects;
  unsigned int displayList = 0;
  // The box around every vertex, in model units; low above high on every axis while there is none.
  // loadAse sets it; whoever fills `objects` by other means calls computeBounds.
  std::array<float, 3> boundsLow{1.0f, 1.0f, 1.0f};
  std::array<float, 3> boundsHigh{-1.0f, -1.0f, -1.0f};
  void computeBounds();
  // Sets every object's closedSurface; loadAse calls it, like computeBounds.
  void findClosedSurfaces();

  // Reads the model file; prints `loading "PATH" ...` then "done\n". GL-free.
  // Whatever the file holds, the result is drawable: every array is sized by its count, every face
  // corner is below its object's numVertex, every materialRef indexes `materials` or is -1. A file
  // that cannot be opened gives an empty model; a broken one keeps what was read before the fault.
  // A UTF-16 file (byte-order mark) loads nothing, and a file without any geometry object loads
  // no mesh: each is named in one line on stderr.
  // The file is read into memory and closed again: no stream stays open with the model.
  void loadAse(const char* path);
  // GL: one texture per material with a bitmap (not "NONE", not empty); prints
  // "loading textures ..." then "done\n".
  void loadTextures();
  // GL: compiles the display list (needs the textures).
  void buildDisplayList();
  // GL: deletes the textures and the display list; the model's data stay, for the two calls above to
  // make them anew.
  void releaseGraphics();
  // GL: through the given path (see RenderPath). Leaves the matrix scaled by 0.5.
  void draw(RenderPath path) const;
};

// F7 cycles it: display lists (start-up) -> DrawElements -> immediate polygons -> display lists.
extern RenderPath g_renderPath;
