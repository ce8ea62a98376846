// The sky's two colours that the sea shows: the one along the dome's lowest band, where the sea's
// haze ends so that no edge is seen between them, and the one overhead. The asset generator paints
// the dome with them and the sea's programs reflect and haze toward them. Red, green, blue in 0..1
// as they appear on screen. No GL, no other includes.
#pragma once

constexpr double kSkyHorizon[3] = {0.736, 0.812, 0.896};
constexpr double kSkyZenith[3] = {0.20, 0.40, 0.80};
