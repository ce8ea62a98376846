// View setup: loads the camera rig's normal or mirrored view into GL's projection matrix.
#pragma once
#include "camera/camera_rig.h"

// View vectors of the latest mode-1 setup; the frame pass reads the eye to centre the sky and the
// sea reads it for its highlight.
extern ViewVector g_viewEye;
extern ViewVector g_viewTarget;
extern ViewVector g_viewUp;

// Mode 1: rebuild the vectors from g_camera and load the mirrored view. Mode 2: load the normal
// view from the vectors of the last mode-1 call. GL_MODELVIEW is current on entry and on return.
void setupView(int mode);
