// Mesh model on the GL side: material textures, the compiled display list, and the three render
// paths (display list, one glDrawElements per object, one polygon per face).
#include "assets/mesh_model.h"

#include <cassert>
#include <cstdio>

#include "assets/gl_state.h"
#include "assets/model_frame.h"
#include "assets/texture.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"

RenderPath g_renderPath = RenderPath::DisplayList;

namespace {

constexpr GLfloat kModelScale = static_cast<GLfloat>(kModelDrawScale);  // every path, every model
constexpr GLfloat kDirectPathShininess = 20.0f;  // objects without material, paths 0 and 1

// Which of the two material rules applies to an object without material.
enum class MaterialRule { kDisplayList, kDirect };

void setFrontColor(GLenum parameter, const std::array<float, 3>& rgb) {
  const GLfloat rgba[4] = {rgb[0], rgb[1], rgb[2], 1.0f};
  gfxMaterialfv(GL_FRONT, parameter, rgba);
}

bool drawsTextured(const MeshModel& model, const GeomObject& object) {
  if (object.materialRef < 0) return false;
  return model.materials[static_cast<size_t>(object.materialRef)].hasBitmap() &&
         object.hasTexCoordPerVertex();
}

// Texture binding, texture coordinates and front material of one object, and its vertex and normal
// arrays. Untextured objects also switch the texture-coordinate array off: the pointer left by the
// previous object may be shorter than this object's vertex list.
void applyObjectState(const MeshModel& model, const GeomObject& object, MaterialRule rule) {
  assert(object.materialRef < static_cast<int64_t>(model.materials.size()) &&
         "materialRef past the materials: loadAse keeps every reference inside or at -1");
  if (drawsTextured(model, object)) {
    const Material& material = model.materials[static_cast<size_t>(object.materialRef)];
    gfxBindTexture(GL_TEXTURE_2D, material.texture);
    gfxEnableClientState(GL_TEXTURE_COORD_ARRAY);
    gfxTexCoordPointer(3, GL_FLOAT, 0, object.tvertices.data());
  } else {
    gfxDisable(GL_TEXTURE_2D);
    gfxDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }

  if (object.materialRef >= 0) {
    const Material& material = model.materials[static_cast<size_t>(object.materialRef)];
    setFrontColor(GL_AMBIENT, material.ambient);
    setFrontColor(GL_DIFFUSE, material.diffuse);
    gfxMaterialf(GL_FRONT, GL_SHININESS, material.shine);
    setFrontColor(GL_SPECULAR, material.specular);
  } else if (rule == MaterialRule::kDisplayList) {
    const std::array<float, 3>& rgb = object.wireframeColor;
    const GLfloat rgba[4] = {rgb[0], rgb[1], rgb[2], 1.0f};
    setFlatMaterial(GL_FRONT, rgba);
  } else {
    // The specular colour keeps whatever the previous object left.
    setFrontColor(GL_AMBIENT, object.wireframeColor);
    setFrontColor(GL_DIFFUSE, object.wireframeColor);
    gfxMaterialf(GL_FRONT, GL_SHININESS, kDirectPathShininess);
  }

  gfxVertexPointer(3, GL_FLOAT, 0, object.vertices.data());
  gfxNormalPointer(GL_FLOAT, 0, object.vertexNormals.data());

  // Back faces of a closed surface lie behind its front faces: sending them is wasted work.
  if (object.closedSurface) {
    gfxEnable(GL_CULL_FACE);
  } else {
    gfxDisable(GL_CULL_FACE);
  }
}

void enableArrays() {
  gfxEnableClientState(GL_VERTEX_ARRAY);
  gfxEnableClientState(GL_NORMAL_ARRAY);
  gfxEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

// Also ends the culling an object may have switched on: nothing else in the scene is culled.
void disableArrays() {
  gfxDisableClientState(GL_VERTEX_ARRAY);
  gfxDisableClientState(GL_NORMAL_ARRAY);
  gfxDisableClientState(GL_TEXTURE_COORD_ARRAY);
  gfxDisable(GL_CULL_FACE);
}

}  // namespace

void MeshModel::loadTextures() {
  std::printf("loading textures ...");
  for (Material& material : materials) {
    // An empty name (no "*BITMAP" in the file) is not a file to open either.
    if (!material.hasBitmap()) continue;
    glGenTextures(1, &material.texture);
    gfxBindTexture(GL_TEXTURE_2D, material.texture);
    loadBmpTexture(material.bitmapName.c_str());
  }
  std::printf("done\n");
}

// The list copies the arrays' contents at compile time, so it stays valid whatever happens to the
// client-side arrays afterwards.
void MeshModel::buildDisplayList() {
  displayList = gfxGenLists(1);
  gfxNewList(displayList, GL_COMPILE);
  gfxScalef(kModelScale, kModelScale, kModelScale);
  enableArrays();
  for (const std::unique_ptr<GeomObject>& object : objects) {
    applyObjectState(*this, *object, MaterialRule::kDisplayList);
    if (object->numFaces > 0) {
      gfxDrawElements(GL_TRIANGLES, 3 * object->numFaces, GL_UNSIGNED_INT, object->faces.data());
    }
    gfxEnable(GL_TEXTURE_2D);
  }
  disableArrays();
  gfxEndList();
}

void MeshModel::releaseGraphics() {
  for (Material& material : materials) {
    gfxDeleteTexture(material.texture);
    material.texture = 0;
  }
  if (displayList != 0) gfxDeleteLists(displayList, 1);
  displayList = 0;
}

void MeshModel::draw(RenderPath path) const {
  if (path == RenderPath::DisplayList) {
    gfxCallList(displayList);
    return;
  }
  gfxScalef(kModelScale, kModelScale, kModelScale);
  enableArrays();
  for (const std::unique_ptr<GeomObject>& object : objects) {
    applyObjectState(*this, *object, MaterialRule::kDirect);
    if (path == RenderPath::DrawElements && object->numFaces > 0) {
      gfxDrawElements(GL_TRIANGLES, 3 * object->numFaces, GL_UNSIGNED_INT, object->faces.data());
    } else if (path == RenderPath::Immediate) {
      const uint32_t* corner = object->faces.data();
      for (int32_t f = 0; f < object->numFaces; ++f, corner += 3) {
        gfxColor3f(1.0f, 0.0f, 0.0f);
        gfxBegin(GL_POLYGON);
        gfxArrayElement(static_cast<GLint>(corner[0]));
        gfxArrayElement(static_cast<GLint>(corner[1]));
        gfxArrayElement(static_cast<GLint>(corner[2]));
        gfxEnd();
      }
    }
    gfxEnable(GL_TEXTURE_2D);
  }
  disableArrays();
}
