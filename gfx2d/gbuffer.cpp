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
    // One allocation of pixelCount x 4 bytes. A size whose pixel count
    // overflows 32 bits would wrap to a small array that callers index by
    // width and height: it fails like any other allocation instead.
    uint64_t count = (uint64_t)w * h;
    pixels = count > 0x3FFFFFFFu ? nullptr : (uint32_t*)std::malloc(count ? (size_t)count * 4 : 1);
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
