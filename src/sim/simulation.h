// The world's per-frame step: motion, reload, hits, sinking and removal of ships, balls, ducks and
// title lines. GL-free.
#pragma once

// Advances every record of the four lists by dt seconds (the idle step's frame delta). Records
// that finish in this step (balls past their range or on target, hit ducks, sunk ships deep enough,
// title lines above the top edge) are removed from their lists and freed at the end of the step;
// until then they take part in every test of the step.
void updateEntities(double dt);
