#pragma once
// The display's 16-bit pixel format as tables for the effects that write
// straight into surfaces: per channel its shift and maximum, a mask that
// halves a pixel in one AND, and the offset of every screen row. Filled once
// the display exists; engine thread only.
#include <cstdint>

enum { PIX_RED = 0, PIX_GREEN = 1, PIX_BLUE = 2 };
constexpr int PIX_MAX_ROWS = 1024;

extern uint16_t pixScreenWidth, pixScreenHeight, pixBitsPerPixel;   // 320, 240, 16
extern uint32_t channelMask[3];
extern uint16_t channelShift[3];   // lowest set bit of the mask
extern uint16_t channelMax[3];     // mask >> shift: 31 for 5 bits, 63 for 6
// ((p >> 1) & halfMask) halves every channel of p without borrowing between
// channels: 0x7BEF for 5-6-5, 0x3DEF for 5-5-5.
extern uint16_t halfMask;
extern uint32_t rowOffset[PIX_MAX_ROWS];   // entry y = y x screen width

// Fills the tables from the display (it must exist); returns 1.
int initPixelTables();
// The same from explicit masks and screen size; the masks must not be 0.
void pix_setFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask, int width, int height);

// Fractions in [0, 1] per channel, each truncated to the channel's range.
uint16_t packColor16(float red, float green, float blue);
void unpackColor16(uint16_t pixel, float* red, float* green, float* blue);

struct image24_T;
// A new array of width x height pixels in the display format (the caller
// owns it), or null when it cannot be allocated. image must not be null.
uint16_t* imageToTexture16(const image24_T* image);
