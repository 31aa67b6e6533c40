#include "render/r3d_clip.h"

#include <cmath>
#include <cstring>

int32_t clipMinX = 8;
int32_t clipMinY = 8;
int32_t clipMaxX = 320 - 8;
int32_t clipMaxY = 240 - 8;

meshVertex_T clipPool[R3D_CLIP_POOL];
int32_t clipPoolCount;
clipList_T clipListA, clipListB;

static bool r3d_inside(const meshVertex_T* p, int edge, float bound)
{
    switch (edge) {
    case 0: return p->x >= bound;
    case 1: return p->x <= bound;
    case 2: return p->y >= bound;
    default: return p->y <= bound;
    }
}

// The point where c -> n crosses the edge, appended to the pool. Only the
// fields the fillers read are set: x, y, colour, u and v.
static int32_t r3d_intersect(const meshVertex_T* c, const meshVertex_T* n, int edge, float bound)
{
    int32_t index = clipPoolCount++;
    meshVertex_T* p = &clipPool[index];
    float t;
    if (edge < 2) {
        t = (bound - c->x) / (n->x - c->x);
        p->x = bound;
        p->y = std::trunc(c->y + (bound - c->x) * (n->y - c->y) / (n->x - c->x));
    } else {
        t = (bound - c->y) / (n->y - c->y);
        p->y = bound;
        p->x = std::trunc(c->x + (bound - c->y) * (n->x - c->x) / (n->y - c->y));
    }
    p->colour = (int16_t)(int32_t)(c->colour + t * (float)(n->colour - c->colour));
    p->u = c->u + t * (n->u - c->u);
    p->v = c->v + t * (n->v - c->v);
    return index;
}

void r3d_clipEdge(const clipList_T* in, clipList_T* out, int edge)
{
    static const int32_t* const bounds[4] = {&clipMinX, &clipMaxX, &clipMinY, &clipMaxY};
    float bound = (float)*bounds[edge];
    out->count = 0;
    for (int32_t j = 0; j < in->count; j++) {
        const meshVertex_T* c = &clipPool[in->index[j]];
        const meshVertex_T* n = &clipPool[in->index[(j + 1) % in->count]];
        bool cIn = r3d_inside(c, edge, bound);
        bool nIn = r3d_inside(n, edge, bound);
        // A convex triangle never needs more room than the pool has; rounded
        // intersections could in principle bend it, so the bounds are kept.
        if (cIn != nIn) {
            if (clipPoolCount >= R3D_CLIP_POOL || out->count >= R3D_CLIP_POOL)
                return;
            out->index[out->count++] = r3d_intersect(c, n, edge, bound);
        }
        if (nIn) {
            if (out->count >= R3D_CLIP_POOL)
                return;
            out->index[out->count++] = in->index[(j + 1) % in->count];
        }
    }
}

int r3d_clipPolygon(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    std::memcpy(&clipPool[0], a, sizeof(meshVertex_T));
    std::memcpy(&clipPool[1], b, sizeof(meshVertex_T));
    std::memcpy(&clipPool[2], c, sizeof(meshVertex_T));
    clipPoolCount = 3;
    clipListA.index[0] = 0;
    clipListA.index[1] = 1;
    clipListA.index[2] = 2;
    clipListA.count = 3;
    r3d_clipEdge(&clipListA, &clipListB, 0);
    r3d_clipEdge(&clipListB, &clipListA, 2);
    r3d_clipEdge(&clipListA, &clipListB, 1);
    r3d_clipEdge(&clipListB, &clipListA, 3);
    return clipListA.count;
}
