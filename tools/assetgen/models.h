// The three models of the demo and the one table of their game values.
#pragma once
#include "ase_writer.h"

// Game values of schiff1.ase, schiff2.ase and ente.ase, in that order; tune the battle here.
struct GameTableRow {
  const char* fileName;
  GameValues values;
};
extern const GameTableRow kGameTable[3];
const GameValues& gameValuesFor(const char* fileName);

// Type-1 ships are drawn after a shift of this many model units along local +y (13 world units at
// the drawing's half scale); schiff1's geometry is built that far toward -y to stay centred.
constexpr double kShipType1YShift = 26.0;

Model buildFrigate();  // schiff1.ase: three masts, black and ochre
Model buildBrig();     // schiff2.ase: two masts, oak and white
Model buildDuck();     // ente.ase: faces +x, since ducks are turned by their heading unchanged
