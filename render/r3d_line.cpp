// Single pixels and clipped lines.
#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/display.h"
#include "render/r3d_clip.h"
#include "render/r3d_fill.h"

void r3d_putPixel(int16_t x, int16_t y, uint16_t value)
{
    surfacePixels[(intptr_t)y * surfacePitch + x] = value;
}

namespace {
struct lineEnd_T {
    float x, y;
    int16_t colour;
};

// Moves p onto the boundary its outcode names, testing left, right, above,
// below in that order, along the line toward q.
void moveOntoBoundary(lineEnd_T& p, const lineEnd_T& q, int code)
{
    float x1 = p.x, y1 = p.y, x2 = q.x, y2 = q.y;
    if (code & R3D_OUT_LEFT) {
        p.x = (float)clipMinX;
        p.y = std::trunc(y1 + (y2 - y1) * ((float)clipMinX - x1) / (x2 - x1));
    } else if (code & R3D_OUT_RIGHT) {
        p.x = (float)clipMaxX;
        p.y = std::trunc(y1 + (y2 - y1) * ((float)clipMaxX - x1) / (x2 - x1));
    } else if (code & R3D_OUT_ABOVE) {
        p.y = (float)clipMinY;
        p.x = std::trunc(x1 + (x2 - x1) * ((float)clipMinY - y1) / (y2 - y1));
    } else {
        p.y = (float)clipMaxY;
        p.x = std::trunc(x1 + (x2 - x1) * ((float)clipMaxY - y1) / (y2 - y1));
    }
}
}  // namespace

void r3d_line(const meshVertex_T* a, const meshVertex_T* b)
{
    lineEnd_T first{a->x, a->y, a->colour};
    lineEnd_T second{b->x, b->y, b->colour};
    // Each move settles one boundary; a handful always suffices, and the
    // bound keeps rounding from ever cycling.
    for (int moves = 0;; moves++) {
        int c1 = r3d_outcode(first.x, first.y);
        int c2 = r3d_outcode(second.x, second.y);
        if ((c1 | c2) == 0)
            break;
        if ((c1 & c2) != 0 || moves == 8)
            return;
        // The outside end becomes first, for good: the line is then drawn
        // from the clipped end, in its colour.
        if (c1 == 0) {
            std::swap(first, second);
            c1 = c2;
        }
        moveOntoBoundary(first, second, c1);
    }

    int x = (int)first.x, y = (int)first.y;
    int qx = (int)second.x, qy = (int)second.y;
    uint16_t colour = (uint16_t)first.colour;
    int dx = qx - x, dy = qy - y;
    int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int ax = 2 * std::abs(dx), ay = 2 * std::abs(dy);
    if (ax <= ay) {
        int e = ax - (ay >> 1);
        while (y != qy) {
            r3d_putPixel((int16_t)x, (int16_t)y, colour);
            if (e >= 0) {
                x += sx;
                e -= ay;
            }
            e += ax;
            y += sy;
        }
    } else {
        int e = ay - (ax >> 1);
        while (x != qx) {
            r3d_putPixel((int16_t)x, (int16_t)y, colour);
            if (e >= 0) {
                y += sy;
                e -= ax;
            }
            e += ay;
            x += sx;
        }
    }
}

void r3d_wireTriangle(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    r3d_line(a, b);
    r3d_line(b, c);
    r3d_line(c, a);
}
