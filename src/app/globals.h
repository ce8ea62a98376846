// The application shell's own state: the reflection texture, the F3 switch, the toggle message, the
// idle step's timing, the window size and the scene's light. Every world object lives with its
// subsystem (sea in water/, models and lists in sim/, camera in camera/, sounds in sound/, sky in
// sky/); the shell creates and releases them all in start-up and shutdown. Defined in globals.cpp.
#pragma once
#include <cstdint>

// GL name (GLuint, kept as a plain unsigned int so this header stays GL-free) of the reflection
// image that the frame pass renders each frame and the sea reads.
extern unsigned int g_reflectionTexture;

// F3: every polygon drawn as outlines.
extern bool g_wireframe;

// Status text of the last toggle key and the counter value when it was set; shown for 2 s.
constexpr int kMessageTextSize = 32;
extern char g_messageText[kMessageTextSize];
extern int64_t g_messageStart;

// Timing of the idle step, in counts of the platform clock (see platform/clock.h).
extern int64_t g_perfFrequency;  // counts per second
extern int64_t g_frameCounter;   // counter value read at the start of the latest idle step
extern double g_frameDelta;      // seconds between the last two idle steps

// Window size in pixels, written by onReshape; 0 until the first reshape.
extern int g_windowWidth;
extern int g_windowHeight;

// The scene's light.
extern const float g_lightPosition[4];  // directional light (w = 0), also the sea's light
extern const float g_ambientLight[4];
