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

// A triangle's record and its three working and source vertices, looked up
// once.
struct triVerts_T {
    const meshTriangle_T* tri;
    meshVertex_T* w[3];
    const meshVertex_T* s[3];
    explicit triVerts_T(uint32_t t) : tri(&r3dTris[t])
    {
        for (int k = 0; k < 3; k++) {
            w[k] = &r3dWorkVerts[tri->vertex[k]];
            s[k] = &r3dSrcVerts[tri->vertex[k]];
        }
    }
};

// s is the level's side minus 1 (mode 3) or minus 2 (mode 4), which keeps
// the vertices' (u, v) inside the texture.
void setTexCoords(const triVerts_T& v, float s)
{
    for (int k = 0; k < 3; k++) {
        v.w[k]->u = v.tri->uv[k][0] * s;
        v.w[k]->v = v.tri->uv[k][1] * s;
    }
}

// lightDir . n as vec4_T::dot forms it, written out so it inlines.
inline float lightDot(const vec4_T& n)
{
    return lightDir.x * n.x + lightDir.y * n.y + lightDir.z * n.z;
}

int levelOf(const triVerts_T& v)
{
    return r3d_levelByArea(v.w[0], v.w[1], v.w[2]);
}

// The preparations on a triangle already looked up, so that the software
// emitter's own look-up serves them too.
void prepGouraud(const triVerts_T& v)
{
    for (int k = 0; k < 3; k++) {
        float d = lightDot(v.s[k]->normal);
        v.w[k]->colour = (int16_t)(v.w[k]->z <= 0.5f ? 3 + r3d_truncLimit(10.0f * d, 0, 28) : 0);
    }
}

int prepTextured(uint32_t t, const triVerts_T& v)
{
    int shade = r3d_truncLimit(31.0f * lightDot(r3dTriNormals[t]), 0, 31);
    int level = levelOf(v);
    r3d_selectTexture((uint32_t)v.tri->texture, level, shade);
    setTexCoords(v, (float)((64 >> level) - 1));
    return level;
}

int prepShaded(const triVerts_T& v)
{
    // A vertex's shade depends on it alone, so the triangles sharing it
    // take the one worked out first this frame.
    for (int k = 0; k < 3; k++) {
        int32_t vi = v.tri->vertex[k];
        if (r3dShadeStamps[vi] != frameStamp) {
            v.w[k]->colour = (int16_t)r3d_mode4Shade(lightDot(v.s[k]->normal), v.w[k]->z);
            r3dShadeStamps[vi] = frameStamp;
        }
    }
    int level = levelOf(v);
    r3d_selectShadeSet((uint32_t)v.tri->texture, level);
    setTexCoords(v, (float)((64 >> level) - 2));
    return level;
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
    prepGouraud(triVerts_T(t));
}

int r3d_prepTextured(uint32_t t)
{
    return prepTextured(t, triVerts_T(t));
}

int r3d_prepShaded(uint32_t t)
{
    return prepShaded(triVerts_T(t));
}

void r3d_emitSoftware()
{
    if (renderMode < 0 || renderMode > 4)
        return;
    if (renderMode >= 1)
        r3d_sortVisible();
    for (int32_t i = 0; i < visibleTriCount; i++) {
        uint32_t t = visibleTris[i];
        triVerts_T v(t);
        meshVertex_T* a = v.w[0];
        meshVertex_T* b = v.w[1];
        meshVertex_T* c = v.w[2];
        switch (renderMode) {
        case 0:
            for (int k = 0; k < 3; k++)
                v.w[k]->colour = v.s[k]->colour;
            r3d_wireTriangle(a, b, c);
            break;
        case 1:
            for (int k = 0; k < 3; k++)
                v.w[k]->colour = t == highlightTri ? (int16_t)0xFFFF : v.s[k]->colour;
            r3d_triFlat(a, b, c);
            break;
        case 2:
            prepGouraud(v);
            r3d_triGouraud(a, b, c);
            break;
        case 3:
            r3d_triTexture(prepTextured(t, v), a, b, c);
            break;
        default:
            r3d_triTextureShaded(prepShaded(v), a, b, c);
            break;
        }
    }
    // Never wrapped: once past the last triangle nothing is highlighted.
    if (renderMode == 1)
        highlightTri++;
}
