#include "render/r3d_hw.h"

#include "platform/log.h"
#include "render/r3d_tex.h"

uint32_t greyRamp[32];
int32_t hwTexCount;
hwTexDesc_T hwTexDesc[R3D_HW_TEXTURES];
uint32_t hwTexAddress[R3D_HW_TEXTURES];

void r3d_modeHook()
{
    r3d_loadTextures();
}

void r3d_buildGreyRamp(int count)
{
    for (int i = 0; i < count && i < 32; i++) {
        uint32_t g = (uint32_t)(170.0f - (float)i * 5.28125f);
        greyRamp[i] = 0xFF000000u | g << 16 | g << 8 | g;
    }
}

int r3d_hwInit()
{
    hwTexCount = 0;
    r3d_loadTextures();
    for (int t = 0; t < R3D_TEX_SLOTS; t++) {
        if (hwTexCount >= R3D_HW_TEXTURES) {
            con_log("No hay descriptores libres");
            continue;
        }
        // Nothing hands out accelerator texture memory, so every texture
        // starts at address 0.
        hwTexAddress[hwTexCount] = 0;
        hwTexDesc[hwTexCount] = {5, 2, 3, 11, nullptr};
        hwTexCount++;
    }
    return 0;
}

// The accelerator's drawing and shut-down entry: there is no accelerator.
int r3d_hwCall()
{
    return 0;
}
