// The accelerator twins of the render modes: the same sort and the same
// per-vertex preparation, every drawing operation handed to r3d_hwCall.
#include <algorithm>

#include "render/r3d_hw.h"
#include "render/r3d_render.h"

namespace {

// The accelerator colours a vertex with the grey of its shade.
void setGreys(uint32_t t)
{
    for (int k = 0; k < 3; k++) {
        meshVertex_T* w = r3d_workVert(t, k);
        uint32_t g = greyRamp[std::min(std::max((int)w->colour, 0), 31)];
        w->r = (float)((g >> 16) & 0xFF);
        w->g = (float)((g >> 8) & 0xFF);
        w->b = (float)(g & 0xFF);
    }
}

void prepare(uint32_t t)
{
    switch (renderMode) {
    case 0:
        for (int k = 0; k < 3; k++) {
            r3d_workVert(t, k)->r = r3d_workVert(t, k)->g = 0;
            r3d_workVert(t, k)->b = 255.0f;
        }
        break;
    case 1:
        for (int k = 0; k < 3; k++)
            r3d_workVert(t, k)->colour = r3d_srcVert(t, 0)->colour;
        break;
    case 2:
        r3d_prepGouraud(t);
        setGreys(t);
        break;
    case 3:
        r3d_prepTextured(t);
        break;
    default:
        r3d_prepShaded(t);
        setGreys(t);
        break;
    }
}

}  // namespace

void r3d_emitHw()
{
    if (renderMode < 0 || renderMode > 4)
        return;
    if (renderMode >= 1)
        r3d_sortVisible();
    for (int32_t i = 0; i < visibleTriCount; i++) {
        prepare(visibleTris[i]);
        r3d_hwCall();
    }
}
