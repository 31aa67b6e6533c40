#pragma once
// The front end every filled triangle passes through: outcodes against the
// screen rectangle, Sutherland-Hodgman clipping on a fixed pool of vertex
// records, and the fan split of the clipped polygon.
#include <cstdint>

#include "formats/mac.h"

// The clip rectangle, inclusive. The 8-pixel band between it and the surface
// edge takes the span writes that reach one pixel past a span's right end
// and the projection's rounding. The display is always 320 x 240.
extern int32_t clipMinX, clipMinY, clipMaxX, clipMaxY;

enum {
    R3D_OUT_LEFT = 1,
    R3D_OUT_RIGHT = 2,
    R3D_OUT_BELOW = 4,
    R3D_OUT_ABOVE = 8,
};

// A clipped triangle needs at most 3 + 2 x 4 records and 7 list entries.
constexpr int R3D_CLIP_POOL = 16;

struct clipList_T {
    int32_t index[R3D_CLIP_POOL];
    int32_t count;
};

extern meshVertex_T clipPool[R3D_CLIP_POOL];
extern int32_t clipPoolCount;
extern clipList_T clipListA, clipListB;

// 8 above, else 4 below; or 2 right, else or 1 left; from trunc(x), trunc(y).
// Inline: every filled triangle asks it for up to three vertices.
inline int r3d_outcode(float x, float y)
{
    // The codes of trunc(x) and trunc(y), compared as floats so that a
    // vertex far outside (or behind the eye) needs no integer value: with
    // bounds of 1 or more, trunc(v) < B is v < B and trunc(v) > B is
    // v >= B + 1.
    int code = 0;
    if (y < (float)clipMinY)
        code = R3D_OUT_ABOVE;
    else if (y >= (float)(clipMaxY + 1))
        code = R3D_OUT_BELOW;
    if (x >= (float)(clipMaxX + 1))
        code |= R3D_OUT_RIGHT;
    else if (x < (float)clipMinX)
        code |= R3D_OUT_LEFT;
    return code;
}

// 0 x >= clipMinX, 1 x <= clipMaxX, 2 y >= clipMinY, 3 y <= clipMaxY.
void r3d_clipEdge(const clipList_T* in, clipList_T* out, int edge);
// Clips the triangle; the result (0 to 7 vertices) is left in clipListA.
int r3d_clipPolygon(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c);
