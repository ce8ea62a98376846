// Definitions of the application shell's own state (declared in app/globals.h).
#include "app/globals.h"

unsigned int g_reflectionTexture = 0;

bool g_wireframe = false;

char g_messageText[kMessageTextSize] = "";
int64_t g_messageStart = 0;

int64_t g_perfFrequency = 1;
int64_t g_frameCounter = 0;
double g_frameDelta = 0.0;

int g_windowWidth = 0;
int g_windowHeight = 0;

const float g_lightPosition[4] = {500.0f, -500.0f, 910.0f, 0.0f};
const float g_ambientLight[4] = {0.3f, 0.3f, 0.3f, 1.0f};
