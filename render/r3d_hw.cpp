#include "render/r3d_hw.h"

// Placeholders until the renderer's textures land.
int r3d_loadTextures() { return 0; }
int r3d_hwInit() { return 0; }
int r3d_hwCall() { return 0; }
void r3d_buildGreyRamp(int) {}
