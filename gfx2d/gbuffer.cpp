#include "gfx2d/gbuffer.h"

#include <cstdlib>

gbuffer_T::~gbuffer_T()
{
    release();
}

void gbuffer_T::init(uint32_t w, uint32_t h)
{
    release();
    height = (int32_t)h;
    pixelCount = w * h;
    width = (int32_t)w;
    // One allocation of pixelCount x 4 bytes; a size whose byte count does
    // not fit the address space fails like any other allocation.
    uint64_t bytes = (uint64_t)pixelCount * 4u;
    pixels = bytes > SIZE_MAX ? nullptr : (uint32_t*)std::malloc(bytes ? (size_t)bytes : 1);
    if (!pixels)
        errorFlags |= GBUF_ERR_NOMEM;
    initialized = 1;
    if (errorFlags == 0)
        for (uint32_t i = 0; i < pixelCount; i++)
            pixels[i] = 0;
}

void gbuffer_T::release()
{
    if (pixels) {
        std::free(pixels);
        pixels = nullptr;
    }
}

void gbuffer_T::fill(uint8_t r, uint8_t g, uint8_t b)
{
    if (!initialized || errorFlags != 0)
        return;
    uint32_t value = ((uint32_t)r << 16) | ((uint32_t)g << 8) | b;
    for (uint32_t i = 0; i < pixelCount; i++)
        pixels[i] = value;
}
