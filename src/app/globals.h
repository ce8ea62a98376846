// The application shell's globals: every world object, texture name, render flag and timing value
// that start-up creates and the callbacks share. Defined in app/globals.cpp. No GL headers here, so
// GL-free subsystems (simulation, timeline) can reach the objects they act on.
#pragma once
#include <cstdint>

class WaterSurface;
class MeshModel;
class SoundBank;
struct CameraRig;

// World objects, created by initScene and released by the shutdown sequence.
extern WaterSurface* g_water;
extern MeshModel* g_shipModel1;  // "../data/objects/schiff1.ase", ship type 1
extern MeshModel* g_shipModel2;  // "../data/objects/schiff2.ase", ship type 2
extern MeshModel* g_duckModel;   // "../data/objects/ente.ase"
extern CameraRig* g_camera;      // replaced by a zeroed rig at each demo restart
extern SoundBank* g_sounds;

// GL names (GLuint), kept as plain unsigned ints so this header stays GL-free.
extern unsigned int g_reflectionTexture;
extern unsigned int g_domeTexture;
extern unsigned int g_skyList;

// Render flags switched by the keys F3, F5, F7.
extern bool g_wireframe;
extern bool g_frustumCulling;
extern int g_renderPath;  // 0 glBegin/glEnd, 1 glDrawElements, 2 display lists

// Status text of the last toggle key and the counter value when it was set; shown for 2 s.
constexpr int kMessageTextSize = 32;
extern char g_messageText[kMessageTextSize];
extern int64_t g_messageStart;

// Timing, in counts of the platform clock (see platform/clock.h).
extern int64_t g_perfFrequency;  // counts per second
extern int64_t g_timelineStart;  // counter value at which the current demo run began
extern int64_t g_frameCounter;   // counter value read at the start of the latest idle step
extern double g_frameDelta;      // seconds between the last two idle steps
extern float g_wavePhase;        // 0..1, one wave cycle per 1.25 s

// Window size in pixels, written by onReshape; 0 until the first reshape.
extern int g_windowWidth;
extern int g_windowHeight;

// Scene constants.
extern const int g_waveLength;        // world units
extern const int g_waveAmplitude;     // world units
extern const float g_lightPosition[4];  // directional light (w = 0), also the sea's light
extern const float g_ambientLight[4];
