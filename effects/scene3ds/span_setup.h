#pragma once
// The triangle walker shared by the six fillers of span_fill.cpp: sorts the
// corners by row, sets up the edges and the per-pixel attribute steps, clips
// each row to the viewport and hands the visible part of the row to the
// filler's span loop (SPAN::row), which is all that differs between fillers.
//
// Screen corners are whole int16 values, so an edge difference in 16.16 needs
// 33 bits: edges and set-up products are held in 64 bits. Span attributes are
// unsigned 32-bit so that a long span wraps instead of overflowing; only bits
// 8..15 are ever read.
#include <algorithm>
#include <cstdint>

#include "effects/scene3ds/scene_tables.h"
#include "effects/scene3ds/span_fill.h"
#include "platform/display.h"

// Fixed point: edges walk in 16.16 down the sides of the triangle; a span
// steps its attributes in 24.8 along a row, so a texel coordinate is
// (value >> SPAN_ATTR_SHIFT) & 255.
constexpr int SPAN_EDGE_SHIFT = 16;
constexpr int64_t SPAN_EDGE_ONE = int64_t(1) << SPAN_EDGE_SHIFT;
constexpr int SPAN_ATTR_SHIFT = 8;

// A triangle narrower than 1/16 pixel at its middle row is widened to that, so
// that the attribute steps stay bounded.
const int64_t SPAN_MIN_WIDTH = SPAN_EDGE_ONE / 16;

template <int N>
struct spanEdge_T {
    int64_t x, dx;          // 16.16
    int64_t a[N], da[N];    // 16.16
};

template <int N>
inline void span_edgeStart(spanEdge_T<N>* e, const spanVertex_T* from, const spanVertex_T* to)
{
    const int64_t rows = to->y - from->y;
    e->x = from->x * SPAN_EDGE_ONE;
    e->dx = (to->x - from->x) * SPAN_EDGE_ONE / rows;
    for (int i = 0; i < N; i++) {
        e->a[i] = from->at[i] * SPAN_EDGE_ONE;
        e->da[i] = (to->at[i] - from->at[i]) * SPAN_EDGE_ONE / rows;
    }
}

// Moving an edge k rows at once lands exactly where k single steps would.
template <int N>
inline void span_edgeAdvance(spanEdge_T<N>* e, int64_t k)
{
    e->x += e->dx * k;
    for (int i = 0; i < N; i++)
        e->a[i] += e->da[i] * k;
}

template <int N, class SPAN>
inline void span_triangle(uint16_t* surface, const spanVertex_T* v0, const spanVertex_T* v1,
                          const spanVertex_T* v2, const SPAN& span)
{
    const spanVertex_T* top = v0;
    const spanVertex_T* mid = v1;
    const spanVertex_T* bot = v2;
    if (mid->y < top->y)
        std::swap(top, mid);
    if (bot->y < top->y)
        std::swap(top, bot);
    if (bot->y < mid->y)
        std::swap(mid, bot);

    const int32_t clipX0 = viewport.clipXMin, clipX1 = viewport.clipXMax;
    const int32_t clipY0 = viewport.clipYMin, clipY1 = viewport.clipYMax;
    if (top->y > clipY1 || bot->y < clipY0 || bot->y == top->y)
        return;

    // r: how far down the long edge (top to bottom) mid's row lies, 16.16.
    // w: the long edge's x at that row minus mid.x, 16.16.
    const int64_t r = (mid->y - top->y) * SPAN_EDGE_ONE / (bot->y - top->y);
    int64_t w = (bot->x - top->x) * r + (top->x - mid->x) * SPAN_EDGE_ONE;
    if (w == 0)
        return;
    if (w > 0 && w < SPAN_MIN_WIDTH)
        w = SPAN_MIN_WIDTH;
    if (w < 0 && w > -SPAN_MIN_WIDTH)
        w = -SPAN_MIN_WIDTH;

    // Per-pixel steps: the attribute difference across mid's row over w.
    int32_t step[N];
    for (int i = 0; i < N; i++) {
        const int64_t across = (bot->at[i] - top->at[i]) * SPAN_EDGE_ONE * r
                               + (top->at[i] - mid->at[i]) * SPAN_EDGE_ONE * SPAN_EDGE_ONE;
        const int64_t q = std::clamp<int64_t>(across / w, INT32_MIN, INT32_MAX);
        step[i] = static_cast<int32_t>(q) >> (SPAN_EDGE_SHIFT - SPAN_ATTR_SHIFT);
    }

    // w >= 0: the long edge is on the right and the short edges carry the
    // attributes; w < 0: the long edge is on the left and carries them.
    const bool longLeft = w < 0;
    spanEdge_T<N> longEdge, shortEdge;
    span_edgeStart(&longEdge, top, bot);
    const spanEdge_T<N>& left = longLeft ? longEdge : shortEdge;
    const spanEdge_T<N>& right = longLeft ? shortEdge : longEdge;

    const spanVertex_T* halves[2][2] = {{top, mid}, {mid, bot}};
    int32_t y = top->y;
    for (int h = 0; h < 2; h++) {
        const spanVertex_T* from = halves[h][0];
        const spanVertex_T* to = halves[h][1];
        const int32_t yEnd = to->y;
        if (yEnd == from->y)
            continue;
        span_edgeStart(&shortEdge, from, to);
        if (y < clipY0) {
            const int32_t k = std::min(clipY0, yEnd) - y;
            span_edgeAdvance(&longEdge, k);
            span_edgeAdvance(&shortEdge, k);
            y += k;
        }
        for (; y < yEnd; y++) {
            if (y > clipY1)
                return;
            int32_t start = static_cast<int32_t>(left.x >> SPAN_EDGE_SHIFT);
            const int32_t end = static_cast<int32_t>(right.x >> SPAN_EDGE_SHIFT);
            uint32_t at[N];
            for (int i = 0; i < N; i++)
                at[i] = static_cast<uint32_t>(left.a[i] >> (SPAN_EDGE_SHIFT - SPAN_ATTR_SHIFT));
            if (start < clipX0) {
                for (int i = 0; i < N; i++)
                    at[i] += static_cast<uint32_t>(static_cast<int64_t>(clipX0 - start) * step[i]);
                start = clipX0;
            }
            int32_t count;
            if (start > clipX1 || end < clipX0)
                count = 0;
            else if (end <= clipX1)
                count = end - start;
            else
                count = clipX1 - start;   // column clipX1 itself is never written
            if (count < 0) {
                // The sides crossed: the rest of this half is not drawn, but
                // the long edge still has to reach the next half's first row.
                span_edgeAdvance(&longEdge, yEnd - y);
                y = yEnd;
                break;
            }
            span.row(surface + static_cast<intptr_t>(y) * surfacePitch + start, count, at, step);
            span_edgeAdvance(&longEdge, 1);
            span_edgeAdvance(&shortEdge, 1);
        }
    }
}
