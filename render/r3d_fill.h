#pragma once
// The pixel-writing end of the renderer: four triangle fillers (flat,
// Gouraud, textured, textured with an interpolated shade), the textured ones
// per texture level, clipped lines and single pixels. All write the locked
// back surface (surfacePixels, surfacePitch); none reads it.
#include <cstdint>

#include "formats/mac.h"

constexpr int R3D_TEX_LEVELS = 4;   // 64, 32, 16 and 8 texels square

// Texel index at level L (side S = 64 >> L) from 16.16 u and v, by masks and
// shifts alone: the integer part of u picks the row (mod S), that of v the
// column (mod S x S), the two or-ed, so the index never leaves the S x S
// texels. For u and v in 0..S - 1 it is u x S + v.
constexpr uint32_t r3dTexUMask[R3D_TEX_LEVELS] = {0x3F0000, 0x1F0000, 0xF0000, 0x70000};
constexpr uint32_t r3dTexVMask[R3D_TEX_LEVELS] = {0x3FFC00, 0x1FF800, 0xFF000, 0x7E000};

template <int L>
inline uint32_t r3d_texelIndex(uint32_t u, uint32_t v)
{
    return ((u & r3dTexUMask[L]) | ((v >> (6 - L)) & r3dTexVMask[L])) >> (10 + L);
}

// One store, no clipping: callers clip.
void r3d_putPixel(int16_t x, int16_t y, uint16_t value);

// The colour field of a, in every pixel.
void r3d_triFlat(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c);
// The colour fields interpolated; the integer part is written as the pixel.
void r3d_triGouraud(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c);
// Texels of curTexture at (u, v) for the given level (0..3).
void r3d_triTexture(int level, const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c);
// Texels of curShadeSet[shade], the shade carried in the colour field.
void r3d_triTextureShaded(int level, const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c);

// Cohen-Sutherland clipped, Bresenham drawn, in the colour of whichever end
// is drawn from; the far end itself is not plotted.
void r3d_line(const meshVertex_T* a, const meshVertex_T* b);
void r3d_wireTriangle(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c);
