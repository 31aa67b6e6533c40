#pragma once
// A 320 x 240 surface of the renderer's own for the tests, standing in for
// the locked back surface, and vertex records made from screen positions.
#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/mac.h"
#include "platform/display.h"

struct testSurface_T {
    std::vector<uint16_t> pixels;
    explicit testSurface_T(uint16_t fill = 0) : pixels(320 * 240, fill)
    {
        surfacePixels = pixels.data();
        surfacePitch = 320;
    }
    ~testSurface_T()
    {
        surfacePixels = nullptr;
        surfacePitch = 0;
    }
    uint16_t at(int x, int y) const { return pixels[y * 320 + x]; }
    int countNot(uint16_t value) const
    {
        int n = 0;
        for (uint16_t p : pixels)
            n += p != value;
        return n;
    }
};

inline meshVertex_T screenVertex(float x, float y, int16_t colour = 0, float u = 0, float v = 0)
{
    meshVertex_T m;
    std::memset(&m, 0, sizeof m);
    m.x = x;
    m.y = y;
    m.colour = colour;
    m.u = u;
    m.v = v;
    m.w = 1;
    return m;
}
