#pragma once
// Scan conversion shared by every filler: the y sort, the two edges walked
// in fixed point, the second half that continues from the first, and the span
// pixel rule that writes a row right to left two pixels per 32-bit word.
// Internal to the renderer's fillers.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "formats/mac.h"
#include "platform/display.h"
#include "render/r3d_clip.h"

// Edge and span values (x, u, v, colour) in 16.16 fixed point: value x 65536,
// the integer part in the high half.
constexpr int R3D_FIX_SHIFT = 16;
constexpr int32_t R3D_FIX_ONE = 1 << R3D_FIX_SHIFT;

// One edge of the walk. UV and COL tell which values a filler carries.
struct r3dEdge_T {
    const meshVertex_T* end;
    int32_t x, dx;
    int32_t u, du;
    int32_t v, dv;
    int32_t c, dc;
};

template <bool UV, bool COL>
inline void r3d_edgeStart(r3dEdge_T& e, const meshVertex_T* s)
{
    e.x = (int32_t)s->x * R3D_FIX_ONE;
    if (UV) {
        e.u = (int32_t)(s->u * R3D_FIX_ONE);
        e.v = (int32_t)(s->v * R3D_FIX_ONE);
    }
    if (COL)
        e.c = s->colour * R3D_FIX_ONE;
}

// Per-row steps from s to t: trunc((t - s) / (t.y - s.y) x R3D_FIX_ONE).
template <bool UV, bool COL>
inline void r3d_edgeSteps(r3dEdge_T& e, const meshVertex_T* s, const meshVertex_T* t)
{
    float dy = t->y - s->y;
    e.end = t;
    e.dx = (int32_t)((t->x - s->x) / dy * R3D_FIX_ONE);
    if (UV) {
        e.du = (int32_t)((t->u - s->u) / dy * R3D_FIX_ONE);
        e.dv = (int32_t)((t->v - s->v) / dy * R3D_FIX_ONE);
    }
    if (COL)
        e.dc = (int32_t)((float)(t->colour - s->colour) / dy * R3D_FIX_ONE);
}

template <bool UV, bool COL>
inline void r3d_edgeAdvance(r3dEdge_T& e)
{
    e.x += e.dx;
    if (UV) {
        e.u += e.du;
        e.v += e.dv;
    }
    if (COL)
        e.c += e.dc;
}

template <class F>
inline void r3d_scanRows(int32_t y0, int32_t y1, r3dEdge_T& l, r3dEdge_T& r, F& f)
{
    uint16_t* row = surfacePixels + (intptr_t)y0 * surfacePitch;
    for (int32_t y = y0; y < y1; y++, row += surfacePitch) {
        f.span(row, l, r);
        r3d_edgeAdvance<F::UV, F::COL>(l);
        r3d_edgeAdvance<F::UV, F::COL>(r);
    }
}

// Rows trunc(top.y) to trunc(bottom.y) - 1 of the triangle, nothing when it
// is less than one row high. a, b, c need not be ordered.
template <class F>
void r3d_scanTriangle(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c, F& f)
{
    const meshVertex_T* top = a;
    const meshVertex_T* mid = b;
    const meshVertex_T* bot = c;
    if (top->y > mid->y)
        std::swap(top, mid);
    if (top->y > bot->y)
        std::swap(top, bot);
    if (mid->y > bot->y)
        std::swap(mid, bot);
    if (bot->y - top->y < 1.0f)
        return;
    // Clipped vertices lie inside the rectangle up to rounding; one beyond
    // the surface itself (absurd coordinates defeating the float clipping)
    // draws nothing rather than write outside it. A span may write one
    // pixel past its right end.
    float lastX = (float)(screenWidth - 2);
    if (!(top->y >= 0 && bot->y <= (float)screenHeight && a->x >= 0 && a->x <= lastX && b->x >= 0 &&
          b->x <= lastX && c->x >= 0 && c->x <= lastX))
        return;

    r3dEdge_T l, r;
    bool pending = false;
    int32_t yEnd;
    if (top->y != mid->y) {
        float xl = top->x + (mid->y - top->y) / (bot->y - top->y) * (bot->x - top->x);
        r3d_edgeStart<F::UV, F::COL>(l, top);
        r3d_edgeStart<F::UV, F::COL>(r, top);
        if (xl - mid->x <= 0) {
            r3d_edgeSteps<F::UV, F::COL>(l, top, bot);
            r3d_edgeSteps<F::UV, F::COL>(r, top, mid);
        } else {
            r3d_edgeSteps<F::UV, F::COL>(l, top, mid);
            r3d_edgeSteps<F::UV, F::COL>(r, top, bot);
        }
        yEnd = (int32_t)mid->y;
        pending = mid->y != bot->y;
    } else {
        // Flat top: the left edge starts at the vertex with the smaller x.
        const meshVertex_T* ls = top;
        const meshVertex_T* rs = mid;
        if (top->x >= mid->x)
            std::swap(ls, rs);
        r3d_edgeStart<F::UV, F::COL>(l, ls);
        r3d_edgeStart<F::UV, F::COL>(r, rs);
        r3d_edgeSteps<F::UV, F::COL>(l, ls, bot);
        r3d_edgeSteps<F::UV, F::COL>(r, rs, bot);
        yEnd = (int32_t)bot->y;
    }
    r3d_scanRows((int32_t)top->y, yEnd, l, r, f);

    if (pending) {
        // The edge that ended at mid turns toward the bottom; its values go
        // on from where the first half left them, not from mid's own.
        r3dEdge_T& e = l.end == mid ? l : r;
        r3d_edgeSteps<F::UV, F::COL>(e, mid, bot);
        r3d_scanRows((int32_t)mid->y, (int32_t)bot->y, l, r, f);
    }
}

// The span pixel rule. P holds the values at the right end and knows how to
// step them left: cur() is the pixel at the current values, step1() moves
// them one pixel left, leftEnd() is the pixel at the left end's values.
// Word k holds pixels 2k (low half, left) and 2k + 1. When R is even the
// first word also writes pixel R + 1, inside the band past the rectangle.
template <class P>
inline void r3d_spanRule(uint16_t* row, int32_t left, int32_t right, P& p)
{
    if (right & 1) {
        row[right] = p.cur();
        p.step1();
        right--;
    }
    if (left & 1) {
        row[left] = p.leftEnd();
        left++;
    }
    // >= rather than an equality test: rounding can put the right end two
    // or more columns left of the left end, and such a row ends here.
    for (int32_t k = right >> 1; k >= left >> 1; k--) {
        uint32_t word = (uint32_t)p.cur() << 16;
        p.step1();
        word |= p.cur();
        p.step1();
        std::memcpy(row + 2 * k, &word, 4);
    }
}

// The front end of a triangle entry: outcodes, trivial rejection, clipping
// and the fan of the clipped polygon, each piece scan converted with f.
template <class F>
void r3d_frontEnd(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c, F& f)
{
    int code = r3d_outcode(a->x, a->y);
    if (code == 0)
        code = r3d_outcode(b->x, b->y);
    if (code == 0)
        code = r3d_outcode(c->x, c->y);
    if (code == 0) {
        r3d_scanTriangle(a, b, c, f);
        return;
    }
    float minX = (float)clipMinX, maxX = (float)clipMaxX;
    float minY = (float)clipMinY, maxY = (float)clipMaxY;
    if ((a->x < minX && b->x < minX && c->x < minX) || (a->y < minY && b->y < minY && c->y < minY) ||
        (a->x > maxX && b->x > maxX && c->x > maxX) || (a->y > maxY && b->y > maxY && c->y > maxY))
        return;
    int n = r3d_clipPolygon(a, b, c);
    for (int i = 1; i <= n - 2; i++)
        r3d_scanTriangle(&clipPool[clipListA.index[0]], &clipPool[clipListA.index[i]],
                         &clipPool[clipListA.index[i + 1]], f);
}
