#pragma once
// Pre-shaded textures: nine 64 x 64 pictures, each kept at four levels
// (64, 32, 16, 8 texels square) and, per level, in 32 shades from the
// picture itself (0) to nearly black (31), all in the pixel format the
// renderer draws in. Shading a texel is a table choice, never arithmetic.
#include <cstdint>

constexpr int R3D_TEX_SLOTS = 9;
constexpr int R3D_TEX_SHADES = 32;
constexpr int R3D_TEX_SIDE = 64;

// texSet[slot][level][shade]: (64 >> level) squared texels, row by row.
// A slot whose file could not be opened holds null pointers.
typedef uint16_t* r3dTexSlot_T[4][R3D_TEX_SHADES];
extern r3dTexSlot_T* texSet;

// The fillers' current selection; never null once selected.
extern const uint16_t* curTexture;
extern const uint16_t* const* curShadeSet;

// The renderer's own copy of the pixel format: mask, lowest set bit, width.
struct r3dChannel_T {
    uint32_t mask;
    int32_t shift;
    int32_t bits;
};
extern r3dChannel_T texRed, texGreen, texBlue;

// Builds a new set for the current pixel format (1-5-5-5 while use3dfx is
// set) and loads the nine files. Always returns 0.
int r3d_loadTextures();
// 0, or -1 after logging an error.
int r3d_loadBmpTexture(int slot, const char* fileName);
// dst (width / 2 x height / 2) from src (width x height): each channel the
// truncated mean of a 2 x 2 block. Pitches in texels.
void r3d_halveTexture(uint16_t* dst, const uint16_t* src, int width, int height, int dstPitch,
                      int srcPitch);
// Each channel c becomes trunc((c x 0.022222223 - c) x 0.03125 x shade + c).
void r3d_shadeTexture(uint16_t* dst, const uint16_t* src, int width, int height, int pitch, int shade);
void r3d_selectTexture(uint32_t id, int level, int shade);
void r3d_selectShadeSet(uint32_t id, int level);
