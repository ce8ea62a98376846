// View setup: loads the camera rig's normal or mirrored view into GL's projection matrix.
#pragma once
#include "camera/camera_rig.h"

// The two views of a frame: the mirrored one for the reflection image, then the normal one.
enum class ViewPass { Reflection = 1, Main = 2 };

// View vectors of the latest reflection-pass setup; the frame pass reads the eye to centre the sky
// and the sea reads it for its highlight.
extern ViewVector g_viewEye;
extern ViewVector g_viewTarget;
extern ViewVector g_viewUp;

// Reflection: rebuild the vectors from g_camera and load the mirrored view. Main: load the normal
// view from the vectors of the last reflection setup. GL_MODELVIEW is current on entry and on return.
void setupView(ViewPass pass);
