// The web build's stand-in for freeglut's header: Emscripten's GLUT, for the key codes the keyboard
// code shares with the desktop build. The page's program has no GLUT main loop of its own.
#pragma once
#include <GL/glut.h>
