// Sky dome: the 72-vertex table of the textured hemisphere (GL-free) and the display list that
// replays it.
#pragma once
#include <array>

struct SkyVertex {
  float s, t;     // texture coordinate in the dome picture (a fold-out of the sky)
  float x, y, z;  // world units, relative to the dome's centre
};

constexpr int kSkyStripCount = 8;      // 45-degree wedges from the zenith to the horizon
constexpr int kSkyStripVertices = 9;   // zenith, then two per ring for four rings
constexpr float kSkyDomeRadius = 950.0f;  // world units

// GL names (GLuint, kept as plain unsigned ints so this header stays GL-free): the dome's picture,
// loaded by start-up, and the display list buildSkyDome compiles. 0 until then.
extern unsigned int g_domeTexture;
extern unsigned int g_skyList;

// Height of the dome's centre (and rim): 15 units below the lowest wave trough.
float skyDomeCentreZ(int waveAmplitude);

// The strips in drawing order, each as one GL_TRIANGLE_STRIP of kSkyStripVertices vertices.
std::array<SkyVertex, kSkyStripCount * kSkyStripVertices> skyDomeVertices();

// GL: compiles g_skyList from the table, with g_domeTexture and the dome's material, centred at
// skyDomeCentreZ(g_waveAmplitude). Needs a current context; the texture must exist.
void buildSkyDome();
// GL: deletes g_skyList.
void releaseSkyDome();
