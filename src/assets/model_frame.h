// How the demo's model files sit in the world when drawn: the scale and the type-1 ship's shift.
// Shared by the drawing and the asset generator, so a drawn ship and its generated geometry cannot
// disagree. No GL, no other includes.
#pragma once

constexpr double kModelDrawScale = 0.5;  // world units per model unit: models are drawn at half size

// Type-1 ships are drawn shifted this far along their local +y; the first ship model is built
// kShipType1Shift / kModelDrawScale model units toward -y, so the shift centres it again.
constexpr double kShipType1Shift = 13.0;  // world units
