// Definitions of the application shell's globals (declared in app/globals.h).
#include "app/globals.h"

WaterSurface* g_water = nullptr;
MeshModel* g_shipModel1 = nullptr;
MeshModel* g_shipModel2 = nullptr;
MeshModel* g_duckModel = nullptr;
CameraRig* g_camera = nullptr;
SoundBank* g_sounds = nullptr;

unsigned int g_reflectionTexture = 0;
unsigned int g_domeTexture = 0;
unsigned int g_skyList = 0;

bool g_wireframe = false;
bool g_frustumCulling = true;
int g_renderPath = 2;

char g_messageText[kMessageTextSize] = "";
int64_t g_messageStart = 0;

int64_t g_perfFrequency = 1;
int64_t g_timelineStart = 0;
int64_t g_frameCounter = 0;
double g_frameDelta = 0.0;
float g_wavePhase = 0.0f;

int g_windowWidth = 0;
int g_windowHeight = 0;

const int g_waveLength = 250;
const int g_waveAmplitude = 2;
const float g_lightPosition[4] = {500.0f, -500.0f, 910.0f, 0.0f};
const float g_ambientLight[4] = {0.3f, 0.3f, 0.3f, 1.0f};
