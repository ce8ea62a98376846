// ASE text output: scene header, game keys, material list, one geometry object per mesh.
#include "ase_writer.h"

#include <cmath>  // Required for: std::floor (exact)
#include <cstdint>

std::string texturePathFromBin(const std::string& fileName) { return "../data/textures/" + fileName; }

std::string formatFixed(double v, int decimals) {
  int64_t scale = 1;
  for (int k = 0; k < decimals; ++k) scale *= 10;
  const double scaled = std::floor(v * static_cast<double>(scale) + 0.5);
  int64_t units = static_cast<int64_t>(scaled);
  std::string out;
  if (units < 0) {
    out += '-';
    units = -units;
  }
  out += std::to_string(units / scale);
  if (decimals > 0) {
    std::string frac = std::to_string(units % scale);
    out += '.';
    out += std::string(static_cast<size_t>(decimals) - frac.size(), '0') + frac;
  }
  return out;
}

namespace {

std::string triple(Color c) { return formatFixed(c.r) + "\t" + formatFixed(c.g) + "\t" + formatFixed(c.b); }
std::string triple(Vec3 v) { return formatFixed(v.x) + "\t" + formatFixed(v.y) + "\t" + formatFixed(v.z); }

void writeGameKeys(std::string& out, const GameValues& g) {
  // Top level, outside every block: the loader only honours them outside a material.
  const std::pair<const char*, int> keys[] = {
      {"*BRENNWEITE", g.focalDistance}, {"*RADIUS", g.radius},       {"*ENERGIE", g.energy},
      {"*ZOFFSET", g.zOffset},          {"*HOEHE", g.height},        {"*GESCHWINDIGKEIT", g.speed},
      {"*KURVE", g.turnRate},           {"*KANONEN", g.cannons},     {"*MUNITION", g.ammunition},
      {"*REICHWEITE", g.range},         {"*KANONENGESCHW", g.cannonSpeed}};
  for (const auto& [key, value] : keys) out += std::string(key) + " " + std::to_string(value) + "\n";
}

void writeMaterial(std::string& out, size_t index, const MaterialDef& m) {
  out += "\t*MATERIAL " + std::to_string(index) + " {\n";
  out += "\t\t*MATERIAL_NAME \"" + m.name + "\"\n";
  out += "\t\t*MATERIAL_CLASS \"Standard\"\n";
  out += "\t\t*MATERIAL_AMBIENT " + triple(m.ambient) + "\n";
  out += "\t\t*MATERIAL_DIFFUSE " + triple(m.diffuse) + "\n";
  out += "\t\t*MATERIAL_SPECULAR " + triple(m.specular) + "\n";
  out += "\t\t*MATERIAL_SHINE " + formatFixed(m.shine) + "\n";
  out += "\t\t*MATERIAL_TRANSPARENCY 0.0000\n";
  out += "\t\t*MATERIAL_SHADING Blinn\n";
  if (m.bitmap == "NONE") {
    out += "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_CLASS \"Bitmap\"\n\t\t\t*BITMAP NONE\n";
  } else {
    out += "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_CLASS \"Bitmap\"\n";
    out += "\t\t\t*BITMAP " + texturePathFromBin(m.bitmap) + "\n";
  }
  out += "\t\t\t*UVW_U_OFFSET 0.0000\n\t\t\t*UVW_V_OFFSET 0.0000\n";
  out += "\t\t\t*UVW_U_TILING 1.0000\n\t\t\t*UVW_V_TILING 1.0000\n";
  out += "\t\t}\n\t}\n";
}

void writeMesh(std::string& out, const Mesh& mesh) {
  const size_t nv = mesh.positions.size(), nf = mesh.faces.size();
  out += "*GEOMOBJECT {\n";
  out += "\t*NODE_NAME \"" + mesh.name + "\"\n";
  out += "\t*NODE_TM {\n\t\t*NODE_NAME \"" + mesh.name + "\"\n";
  out += "\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n\t\t*TM_ROW1 0.0000\t1.0000\t0.0000\n";
  out += "\t\t*TM_ROW2 0.0000\t0.0000\t1.0000\n\t\t*TM_ROW3 0.0000\t0.0000\t0.0000\n\t}\n";
  out += "\t*MESH {\n\t\t*TIMEVALUE 0\n";
  out += "\t\t*MESH_NUMVERTEX " + std::to_string(nv) + "\n";
  out += "\t\t*MESH_NUMFACES " + std::to_string(nf) + "\n";
  out += "\t\t*MESH_VERTEX_LIST {\n";
  for (size_t i = 0; i < nv; ++i) {
    out += "\t\t\t*MESH_VERTEX " + std::to_string(i) + "\t" + triple(mesh.positions[i]) + "\n";
  }
  out += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
  for (size_t f = 0; f < nf; ++f) {
    const auto& face = mesh.faces[f];
    out += "\t\t\t*MESH_FACE " + std::to_string(f) + ": A: " + std::to_string(face[0]) +
           " B: " + std::to_string(face[1]) + " C: " + std::to_string(face[2]) +
           " AB: 1 BC: 1 CA: 1\t*MESH_SMOOTHING 1\t*MESH_MTLID 0\n";
  }
  out += "\t\t}\n";
  // Texture vertex i belongs to vertex i: drawing takes texture coordinates per vertex.
  out += "\t\t*MESH_NUMTVERTEX " + std::to_string(nv) + "\n\t\t*MESH_TVERTLIST {\n";
  for (size_t i = 0; i < nv; ++i) {
    out += "\t\t\t*MESH_TVERT " + std::to_string(i) + "\t" + formatFixed(mesh.uvs[i].u) + "\t" +
           formatFixed(mesh.uvs[i].v) + "\t0.0000\n";
  }
  out += "\t\t}\n\t\t*MESH_NUMTVFACES " + std::to_string(nf) + "\n\t\t*MESH_TFACELIST {\n";
  for (size_t f = 0; f < nf; ++f) {
    const auto& face = mesh.faces[f];
    out += "\t\t\t*MESH_TFACE " + std::to_string(f) + "\t" + std::to_string(face[0]) + "\t" +
           std::to_string(face[1]) + "\t" + std::to_string(face[2]) + "\n";
  }
  out += "\t\t}\n\t\t*MESH_NORMALS {\n";
  for (size_t f = 0; f < nf; ++f) {
    const auto& face = mesh.faces[f];
    out += "\t\t\t*MESH_FACENORMAL " + std::to_string(f) + "\t" + triple(faceNormal(mesh, f)) + "\n";
    for (uint32_t corner : face) {
      out += "\t\t\t\t*MESH_VERTEXNORMAL " + std::to_string(corner) + "\t" + triple(mesh.normals[corner]) + "\n";
    }
  }
  out += "\t\t}\n\t}\n";
  out += "\t*PROP_MOTIONBLUR 0\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n";
  if (mesh.material >= 0) {
    out += "\t*MATERIAL_REF " + std::to_string(mesh.material) + "\n";
  } else {
    out += "\t*WIREFRAME_COLOR " + triple(mesh.wireColor) + "\n";
  }
  out += "}\n";
}

}  // namespace

std::string formatAse(const Model& model) {
  std::string out;
  out += "*3DSMAX_ASCIIEXPORT\t200\n";
  out += "*COMMENT \"Karvosta asset generator\"\n";
  out += "*SCENE {\n\t*SCENE_FILENAME \"" + model.fileName + "\"\n\t*SCENE_FIRSTFRAME 0\n";
  out += "\t*SCENE_LASTFRAME 100\n\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n";
  writeGameKeys(out, model.game);
  out += "*MATERIAL_LIST {\n\t*MATERIAL_COUNT " + std::to_string(model.materials.size()) + "\n";
  for (size_t i = 0; i < model.materials.size(); ++i) writeMaterial(out, i, model.materials[i]);
  out += "}\n";
  for (const Mesh& mesh : model.meshes) writeMesh(out, mesh);
  return out;
}
