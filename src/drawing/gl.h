// The one way to include OpenGL: libepoxy first (GL 2.0+ entry points), then GLU and freeglut,
// which would otherwise pull in the system's GL header and clash with epoxy's.
#pragma once
#include <epoxy/gl.h>
#include <GL/glu.h>
#include <GL/freeglut.h>
