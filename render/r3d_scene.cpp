#include "render/r3d_scene.h"

#include <cmath>
#include <cstring>

#include "platform/crand.h"
#include "render/r3d_render.h"

namespace {

// The star field: for the outer angle a (steps of pi/5) and the inner angle
// b (steps of pi/10 while below pi, eleven values in single precision), a
// point 10000 out in the ground plane and up to 6000 high, three values of
// the engine thread's generator each, until the 100 are placed.
void makeStars()
{
    int n = 0;
    for (float a = 0.0f; n < R3D_STARS; a += 0.6283185308f) {
        for (float b = 0.0f; b < 3.141592654f && n < R3D_STARS; b += 0.3141592654f) {
            int r1 = crt_rand();
            int r2 = crt_rand();
            int r3 = crt_rand();
            starField[n].x = (float)(r3 % 5000) + 10000.0f * std::sin(a);
            starField[n].y = (float)(r2 % 5000) + 10000.0f * std::cos(a);
            starField[n].z = (float)(r1 % 5000) + 1000.0f * std::cos(b);
            starField[n].w = 1.0f;
            n++;
        }
    }
}

}  // namespace

scene_T* r3d_loadScene(const char* fileName)
{
    scene_T* s = new scene_T();
    vec4_T* fileNormals = nullptr;
    // The reader has said why on the error stream; the caller decides.
    if (mac_load(fileName, &s->vertexCount, &s->triangleCount, &s->srcVerts, &s->tris, &fileNormals) != 0) {
        delete s;
        return nullptr;
    }
    delete[] fileNormals;
    int32_t nv = s->vertexCount, nt = s->triangleCount;

    s->workVerts = new meshVertex_T[nv]();
    for (int32_t i = 0; i < nv; i++)
        s->workVerts[i].normal.set(0, 0, 0, 1);
    s->vertexStamps = new uint32_t[nv]();
    s->shadeStamps = new uint32_t[nv]();
    s->triangleStamps = new uint32_t[nt]();
    s->triNormals = new vec4_T[nt];
    r3d_publishScene(s);

    // Colours: the first pass reads the source blue before the second
    // replaces it with 4 x the 16-bit colour.
    for (int32_t i = 0; i < nv; i++) {
        meshVertex_T& w = s->workVerts[i];
        w.r = w.g = 0;
        w.b = 7.0f * s->srcVerts[i].b;
        w.w = 1.0f;
        w.alpha = 255.0f;
    }
    for (int32_t i = 0; i < nv; i++) {
        s->workVerts[i].r = s->workVerts[i].g = 0;
        s->srcVerts[i].b = 4.0f * (float)s->srcVerts[i].colour;
    }

    // The file's normals need not belong to their triangles: recompute.
    for (int32_t t = 0; t < nt; t++) {
        const meshVertex_T& a = s->srcVerts[s->tris[t].vertex[0]];
        const meshVertex_T& b = s->srcVerts[s->tris[t].vertex[1]];
        const meshVertex_T& c = s->srcVerts[s->tris[t].vertex[2]];
        vec4_T v0(a.x, a.y, a.z, 1), v1(b.x, b.y, b.z, 1), v2(c.x, c.y, c.z, 1);
        vec4_T n = (v1 - v0).cross(v2 - v1);
        n.normalize();
        n.w = 1.0f;
        s->triNormals[t] = n;
    }

    makeStars();
    oct_build(s);
    return s;
}

void r3d_freeScene(scene_T* scene)
{
    if (!scene)
        return;
    oct_free(&scene->root);
    delete[] scene->cells;
    delete[] scene->srcVerts;
    delete[] scene->workVerts;
    delete[] scene->tris;
    delete[] scene->triNormals;
    delete[] scene->vertexStamps;
    delete[] scene->shadeStamps;
    delete[] scene->triangleStamps;
    delete scene;
}
