// Broadsides: a ship's side fires a row of cannonballs at right angles to its course. GL-free.
#pragma once

struct Ship;

// Side 0 fires to port (heading + 90), side 1 to starboard (heading - 90), side 2 fires side 1 and
// then side 0. A side fires only when the ship is afloat, the side has reloaded (reload >= 1) and
// ammunition covers one ball per cannon; the balls are appended to g_cannonballs. The cannon sound
// plays at the end of every call, refused or not (three times for side 2); a null ship does nothing.
void fireBroadside(Ship* ship, int side);
