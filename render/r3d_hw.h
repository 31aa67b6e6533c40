#pragma once
// The renderer's texture set-up and its accelerator back end, which has no
// output of its own.
#include <cstdint>

int r3d_loadTextures();
int r3d_hwInit();
int r3d_hwCall();
void r3d_buildGreyRamp(int count);

// The display calls this after every mode set-up (dd_setModeHook): the pixel
// format may have changed, so the pre-shaded textures are built again.
void r3d_modeHook();

// Grey levels the accelerator path colours its vertices with: 32 ARGB
// entries, 170 down to 6.
extern uint32_t greyRamp[32];

// What the accelerator would be told of each texture: smallest and largest
// level code, aspect code, texel format code and the texels, in the
// numbering of its interface (levels 64 to 8 texels, square, 1-5-5-5).
struct hwTexDesc_T {
    uint32_t smallLod;
    uint32_t largeLod;
    uint32_t aspect;
    uint32_t format;
    const uint16_t* data;
};
constexpr int R3D_HW_TEXTURES = 32;
extern int32_t hwTexCount;
extern hwTexDesc_T hwTexDesc[R3D_HW_TEXTURES];
extern uint32_t hwTexAddress[R3D_HW_TEXTURES];
