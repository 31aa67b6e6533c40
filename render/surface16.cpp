#include "render/surface16.h"

#include <cstring>

#include "formats/bmp.h"
#include "render/pixel_tables.h"

ddSurface_T* createOffscreenSurface(int32_t width, int32_t height)
{
    return dd_createSurface(width, height);
}

ddSurface_T* loadBmpSurface(const char* path)
{
    image24_T* image = loadBmp24(path);
    if (!image)
        return nullptr;
    ddSurface_T* surface = createOffscreenSurface((int32_t)image->width, (int32_t)image->height);
    uint16_t* texels = surface ? imageToTexture16(image) : nullptr;
    int32_t pitch = 0;
    uint16_t* pixels = texels ? dd_lockSurface(surface, &pitch) : nullptr;
    if (!pixels) {
        delete[] texels;
        dd_releaseSurface(surface);
        freeImage24(image);
        return nullptr;
    }
    // Like the back surface's lock, this one leaves its pitch behind; the
    // next lock of the back surface sets it again.
    surfacePitch = pitch;
    // Row by row with the surface's pitch: the same as one straight copy when
    // the pitch equals the width, and never past a row when it does not.
    for (uint32_t y = 0; y < image->height; y++)
        std::memcpy(pixels + (size_t)y * pitch, texels + (size_t)y * image->width, (size_t)image->width * 2);
    dd_unlockSurface(surface);
    delete[] texels;
    freeImage24(image);
    return surface;
}

int clearSurface(ddSurface_T* surface)
{
    return dd_fillSurface(surface, 0);
}
