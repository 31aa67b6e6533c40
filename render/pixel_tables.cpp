#include "render/pixel_tables.h"

#include <cstddef>
#include <new>

#include "formats/bmp.h"
#include "platform/display.h"

uint16_t pixScreenWidth, pixScreenHeight, pixBitsPerPixel;
uint32_t channelMask[3];
uint16_t channelShift[3];
uint16_t channelMax[3];
uint16_t halfMask;
uint32_t rowOffset[PIX_MAX_ROWS];

void pix_setFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask, int width, int height)
{
    pixScreenWidth = (uint16_t)width;
    pixScreenHeight = (uint16_t)height;
    pixBitsPerPixel = 16;
    channelMask[PIX_RED] = redMask;
    channelMask[PIX_GREEN] = greenMask;
    channelMask[PIX_BLUE] = blueMask;
    halfMask = 0;
    for (int c = 0; c < 3; c++) {
        uint32_t m = channelMask[c];
        uint16_t shift = 0;
        while (m && !(m & 1)) {
            m >>= 1;
            shift++;
        }
        channelShift[c] = shift;
        channelMax[c] = (uint16_t)m;
        halfMask |= (uint16_t)((channelMax[c] >> 1) << shift);
    }
    for (int y = 0; y < height && y < PIX_MAX_ROWS; y++)
        rowOffset[y] = (uint32_t)(y * width);
}

int initPixelTables()
{
    pix_setFormat(dd_redMask(), dd_greenMask(), dd_blueMask(), screenWidth, screenHeight);
    return 1;
}

uint16_t packColor16(float red, float green, float blue)
{
    int r = (int)(red * (float)channelMax[PIX_RED]);
    int g = (int)(green * (float)channelMax[PIX_GREEN]);
    int b = (int)(blue * (float)channelMax[PIX_BLUE]);
    return (uint16_t)((r << channelShift[PIX_RED]) | (g << channelShift[PIX_GREEN]) | (b << channelShift[PIX_BLUE]));
}

void unpackColor16(uint16_t pixel, float* red, float* green, float* blue)
{
    float* out[3] = {red, green, blue};
    for (int c = 0; c < 3; c++)
        *out[c] = (float)((pixel >> channelShift[c]) & channelMax[c]) / (float)channelMax[c];
}

uint16_t* imageToTexture16(const image24_T* image)
{
    std::size_t count = (std::size_t)image->width * image->height;
    uint16_t* texels = new (std::nothrow) uint16_t[count];
    if (!texels)
        return nullptr;
    // 1/255 as a single-precision value: 255 maps to exactly 1.0.
    const float k = 1.0f / 255.0f;
    const uint8_t* p = image->pixels;
    for (std::size_t i = 0; i < count; i++, p += 3)
        texels[i] = packColor16(p[2] * k, p[1] * k, p[0] * k);
    return texels;
}
