// The software emitters of the five render modes, with the depth sort, the
// texture level by screen area and the per-vertex preparation they share
// with the accelerator twins.
#include <algorithm>

#include "render/r3d_fill.h"
#include "render/r3d_render.h"
#include "render/r3d_tex.h"

namespace {

struct sortKey_T {
    float key;
    uint32_t tri;
};
// The sort keys of visibleTris, entry by entry, taken when each triangle
// is collected (its working vertices are at hand then).
sortKey_T sortKeys[R3D_MAX_VISIBLE];

// s is the level's side minus 1 (mode 3) or minus 2 (mode 4), which keeps
// the vertices' (u, v) inside the texture.
void setTexCoords(uint32_t t, float s)
{
    for (int k = 0; k < 3; k++) {
        r3d_workVert(t, k)->u = r3dTris[t].uv[k][0] * s;
        r3d_workVert(t, k)->v = r3dTris[t].uv[k][1] * s;
    }
}

// lightDir . n as vec4_T::dot forms it, written out so it inlines.
inline float lightDot(const vec4_T& n)
{
    return lightDir.x * n.x + lightDir.y * n.y + lightDir.z * n.z;
}

int levelOf(uint32_t t)
{
    return r3d_levelByArea(r3d_workVert(t, 0), r3d_workVert(t, 1), r3d_workVert(t, 2));
}

}  // namespace

void r3d_addVisible(uint32_t t)
{
    if (visibleTriCount >= R3D_MAX_VISIBLE)
        return;
    float key = std::max(std::max(r3d_workVert(t, 0)->z, r3d_workVert(t, 1)->z), r3d_workVert(t, 2)->z);
    sortKeys[visibleTriCount] = {key, t};
    visibleTris[visibleTriCount++] = t;
}

void r3d_sortVisible()
{
    // Far to near by the largest z' of each triangle; equal keys in no
    // particular order.
    std::sort(sortKeys, sortKeys + visibleTriCount,
              [](const sortKey_T& a, const sortKey_T& b) { return a.key > b.key; });
    for (int32_t i = 0; i < visibleTriCount; i++)
        visibleTris[i] = sortKeys[i].tri;
}

int r3d_levelByArea(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    if (!mipmapOn)
        return 0;
    float area = ((b->x - a->x) * (c->y - a->y) - (c->x - a->x) * (b->y - a->y)) / 2;
    if (area > 1024)
        return 0;
    if (area > 256)
        return 1;
    if (area > 64)
        return 2;
    return 3;   // negative areas included
}

void r3d_prepGouraud(uint32_t t)
{
    for (int k = 0; k < 3; k++) {
        meshVertex_T* w = r3d_workVert(t, k);
        float d = lightDot(r3d_srcVert(t, k)->normal);
        w->colour = (int16_t)(w->z <= 0.5f ? 3 + r3d_truncLimit(10.0f * d, 0, 28) : 0);
    }
}

int r3d_prepTextured(uint32_t t)
{
    int shade = r3d_truncLimit(31.0f * lightDot(r3dTriNormals[t]), 0, 31);
    int level = levelOf(t);
    r3d_selectTexture((uint32_t)r3dTris[t].texture, level, shade);
    setTexCoords(t, (float)((64 >> level) - 1));
    return level;
}

int r3d_prepShaded(uint32_t t)
{
    for (int k = 0; k < 3; k++) {
        meshVertex_T* w = r3d_workVert(t, k);
        w->colour = (int16_t)r3d_mode4Shade(lightDot(r3d_srcVert(t, k)->normal), w->z);
    }
    int level = levelOf(t);
    r3d_selectShadeSet((uint32_t)r3dTris[t].texture, level);
    setTexCoords(t, (float)((64 >> level) - 2));
    return level;
}

void r3d_emitSoftware()
{
    if (renderMode < 0 || renderMode > 4)
        return;
    if (renderMode >= 1)
        r3d_sortVisible();
    for (int32_t i = 0; i < visibleTriCount; i++) {
        uint32_t t = visibleTris[i];
        meshVertex_T* a = r3d_workVert(t, 0);
        meshVertex_T* b = r3d_workVert(t, 1);
        meshVertex_T* c = r3d_workVert(t, 2);
        switch (renderMode) {
        case 0:
            for (int k = 0; k < 3; k++)
                r3d_workVert(t, k)->colour = r3d_srcVert(t, k)->colour;
            r3d_wireTriangle(a, b, c);
            break;
        case 1:
            for (int k = 0; k < 3; k++)
                r3d_workVert(t, k)->colour = t == highlightTri ? (int16_t)0xFFFF : r3d_srcVert(t, k)->colour;
            r3d_triFlat(a, b, c);
            break;
        case 2:
            r3d_prepGouraud(t);
            r3d_triGouraud(a, b, c);
            break;
        case 3:
            r3d_triTexture(r3d_prepTextured(t), a, b, c);
            break;
        default:
            r3d_triTextureShaded(r3d_prepShaded(t), a, b, c);
            break;
        }
    }
    // Never wrapped: once past the last triangle nothing is highlighted.
    if (renderMode == 1)
        highlightTri++;
}
