// The three models of the demo and the one table of their game values.
#pragma once
#include "ase_writer.h"
#include "assets/model_frame.h"  // the run-time drawing's scale and type-1 shift

// Game values of schiff1.ase, schiff2.ase and ente.ase, in that order; tune the battle here.
struct GameTableRow {
  const char* fileName;
  GameValues values;
};
extern const GameTableRow kGameTable[3];
const GameValues& gameValuesFor(const char* fileName);

// schiff1's geometry is built this many model units toward -y, where the drawing's shift of type-1
// ships along local +y puts it back on the ship's position.
constexpr double kShipType1YShift = kShipType1Shift / kModelDrawScale;

Model buildFrigate();  // schiff1.ase: three masts, black and ochre
Model buildBrig();     // schiff2.ase: two masts, oak and white
Model buildDuck();     // ente.ase: faces +x, since ducks are turned by their heading unchanged
