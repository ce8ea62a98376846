// Angle conversion shared by the simulation, the camera and the sky. GL-free.
#pragma once

// Degrees to radians with pi rounded to 3.141592654, not M_PI: headings, ball paths, the view wedge
// and the dome's rings all depend on this exact factor.
constexpr double kDegreesToRadians = 3.141592654 / 180.0;
