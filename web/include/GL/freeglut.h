// The web build's stand-in for freeglut's header: Emscripten's GLUT, for the key codes and the calls
// the sources share with the desktop build, and freeglut's glutLeaveMainLoop, which the page's
// program defines (main/main_web.cpp): the browser drives its frames, not a GLUT main loop.
#pragma once
#include <GL/glut.h>

extern "C" void glutLeaveMainLoop(void);
