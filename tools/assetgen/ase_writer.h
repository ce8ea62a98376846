// Model records of the asset generator and their text form: an ASCII scene export with the demo's
// own game keys. Numbers are printed by our own fixed-point formatter, the same on every machine.
#pragma once
#include <string>
#include <vector>

#include "image.h"
#include "mesh.h"

// The eleven game values a model file carries (ships use all of them, the duck only its radius).
struct GameValues {
  int focalDistance;  // world units: foci of the hit ellipse at +-this along the ship's axis
  int radius;         // world units: half the major axis of the hit ellipse; a duck's hit radius
  int energy;         // hits the ship can take
  int zOffset;        // world units: height of the model origin above the water
  int height;         // world units: drawn height above the waterline
  int speed;          // unused by the game
  int turnRate;       // unused by the game
  int cannons;        // guns per side = gun ports per side = balls per broadside
  int ammunition;     // balls
  int range;          // world units a ball flies before it drops
  int cannonSpeed;    // world units per 1/25 s
};

struct MaterialDef {
  std::string name;
  Color ambient;
  Color diffuse;
  Color specular;
  double shine = 0.0;          // OpenGL specular exponent, used as is
  std::string bitmap = "NONE";  // file name under data/textures, or NONE
};

struct Model {
  std::string fileName;  // e.g. "schiff1.ase"
  GameValues game{};
  std::vector<MaterialDef> materials;
  std::vector<Mesh> meshes;
};

// Path of a texture as the model file names it: relative to bin/, no quotation marks.
std::string texturePathFromBin(const std::string& fileName);

// Fixed-point text of v with `decimals` digits; never "-0.0000".
std::string formatFixed(double v, int decimals = 4);

std::string formatAse(const Model& model);
