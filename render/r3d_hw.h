#pragma once
// The renderer's texture set-up and its accelerator back end, which has no
// output of its own.
int r3d_loadTextures();
int r3d_hwInit();
int r3d_hwCall();
void r3d_buildGreyRamp(int count);
