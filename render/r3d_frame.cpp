#include <cmath>

#include "geometry/camera.h"
#include "geometry/mat4.h"
#include "platform/display.h"
#include "platform/log.h"
#include "platform/timers.h"
#include "render/r3d_clip.h"
#include "render/r3d_fill.h"
#include "render/r3d_render.h"
#include "render/r3d_scene.h"

int32_t renderMode = 4;
int32_t mipmapOn = 1;
uint32_t frameStamp;
int32_t trianglesDrawn;
int32_t cacheHits;
uint32_t visibleTris[R3D_MAX_VISIBLE];
int32_t visibleTriCount;
uint32_t highlightTri;
int32_t childOrder[8];
vec4_T starField[R3D_STARS];
float nearDistance = 1.0f;
float farDistance = 1200.0f;

static vec4_T initialLight()
{
    vec4_T l(0.5f, 0.0f, 0.25f, 1.0f);
    float len = std::sqrt(l.x * l.x + l.y * l.y + l.z * l.z);
    return vec4_T(l.x / len, l.y / len, l.z / len, 1.0f);
}
vec4_T lightDir = initialLight();

meshVertex_T* r3dSrcVerts;
meshVertex_T* r3dWorkVerts;
meshTriangle_T* r3dTris;
vec4_T* r3dTriNormals;
uint32_t* r3dVertexStamps;
uint32_t* r3dShadeStamps;
uint32_t* r3dTriangleStamps;

void r3d_publishScene(scene_T* scene)
{
    r3dSrcVerts = scene->srcVerts;
    r3dWorkVerts = scene->workVerts;
    r3dTris = scene->tris;
    r3dTriNormals = scene->triNormals;
    r3dVertexStamps = scene->vertexStamps;
    r3dShadeStamps = scene->shadeStamps;
    r3dTriangleStamps = scene->triangleStamps;
}

void r3d_render(scene_T* scene, PVCamera* camera)
{
    r3d_publishScene(scene);
    r3d_renderFrame(&scene->root, R3D_OCTREE_DEPTH, camera);
}

void r3d_buildFrustum(float nearDist, float farDist, PVCamera* camera)
{
    vec4_T X = camera->camX(), Y = camera->camY(), Z = camera->camZ();
    const vec4_T& P = camera->position;
    // Normals in camera coordinates, turned into world coordinates; the side
    // planes lean out at 45 degrees, wider than the screen, and only serve to
    // discard octree nodes. Only signs matter: no unit length needed.
    static const float normals[6][3] = {
        {0, 0, 1}, {0, 0, -1}, {0.5f, 0, 0.5f}, {-0.5f, 0, 0.5f}, {0, 0.5f, 0.5f}, {0, -0.5f, 0.5f},
    };
    vec4_T through[6] = {P + Z * nearDist, P + Z * farDist, P, P, P, P};
    for (int i = 0; i < 6; i++) {
        const float* n = normals[i];
        vec4_T w(n[0] * X.x + n[1] * Y.x + n[2] * Z.x, n[0] * X.y + n[1] * Y.y + n[2] * Z.y,
                 n[0] * X.z + n[1] * Y.z + n[2] * Z.z, 1.0f);
        camera->planes[i][0] = w.x;
        camera->planes[i][1] = w.y;
        camera->planes[i][2] = w.z;
        camera->planes[i][3] = -w.dot(through[i]);
    }
}

void r3d_setView(PVCamera* camera)
{
    vec4_T X = camera->camX(), Y = camera->camY(), Z = camera->camZ();
    const vec4_T& P = camera->position;
    // Translate first, then rotate into the camera's axes.
    mat4_T rotation = {{X.x, Y.x, Z.x, 0, X.y, Y.y, Z.y, 0, X.z, Y.z, Z.z, 0, 0, 0, 0, 1}};
    mat_load(mat_identity());
    mat_mult(mat_translate(-P.x, -P.y, -P.z));
    mat_mult(&rotation);
    camera->view = mat_current;
}

void r3d_childOrder(const PVCamera* camera)
{
    // Row k lists the child farthest along the view direction first.
    static const int32_t orders[8][8] = {
        {0, 1, 2, 3, 4, 5, 6, 7}, {1, 0, 3, 5, 2, 4, 7, 6}, {2, 3, 0, 6, 1, 7, 4, 5}, {3, 2, 1, 7, 0, 6, 5, 4},
        {4, 5, 6, 0, 7, 1, 2, 3}, {5, 4, 7, 1, 6, 0, 3, 2}, {6, 7, 4, 2, 5, 3, 0, 1}, {7, 6, 5, 4, 3, 2, 1, 0},
    };
    vec4_T Z = camera->camZ();
    int k = (Z.z >= 0 ? 4 : 0) + (Z.y >= 0 ? 2 : 0) + (Z.x >= 0 ? 1 : 0);
    for (int i = 0; i < 8; i++)
        childOrder[i] = orders[k][i];
}

void r3d_transformVertex(meshVertex_T* out, const meshVertex_T* in)
{
    const float* m = mat_current.m;
    float x = in->x, y = in->y, z = in->z, w = in->w;
    out->x = x * m[0] + y * m[4] + z * m[8] + w * m[12];
    out->y = x * m[1] + y * m[5] + z * m[9] + w * m[13];
    out->z = x * m[2] + y * m[6] + z * m[10] + w * m[14];
    out->w = x * m[3] + y * m[7] + z * m[11] + w * m[15];
}

void r3d_project(float* x, float* y, float* z, float* oneOverW)
{
    float f = farDistance;
    float xp = *x / f, yp = *y / (0.75f * f), zp = *z / f;
    *oneOverW = f / *z;
    // Truncated as floats: a point at or behind the eye gives an infinite or
    // undefined position, which no clip test accepts.
    *x = std::trunc((float)(clipMaxX - clipMinX) * xp / zp + (float)(screenWidth / 2));
    *y = std::trunc((float)(clipMaxY - clipMinY) * yp / zp + (float)(screenHeight / 2));
    *z = zp;
}

// No depth test: a star behind the camera lands wherever the projection
// puts it.
static void drawStars()
{
    for (const vec4_T& star : starField) {
        vec4_T p;
        mat_transform(&p, &star, 1);
        float oneOverW;
        r3d_project(&p.x, &p.y, &p.z, &oneOverW);
        if ((float)clipMinX < p.x && p.x < (float)clipMaxX && (float)clipMinY < p.y && p.y < (float)clipMaxY)
            r3d_putPixel((int16_t)p.x, (int16_t)p.y, 0xFFFF);
    }
}

void r3d_renderFrame(const octNode_T* root, int depth, PVCamera* camera)
{
    cacheHits = 0;
    trianglesDrawn = 0;
    r3d_buildFrustum(nearDistance, farDistance, camera);
    r3d_setView(camera);
    r3d_childOrder(camera);
    visibleTriCount = 0;

    tmr_start(TMR_TRANSFORM);
    oct_traverse(root, depth, camera);
    tmr_stop(TMR_TRANSFORM);

    if (!use3dfx)
        drawStars();

    tmr_start(TMR_TRIANGLES);
    if (use3dfx)
        r3d_emitHw();
    else
        r3d_emitSoftware();
    tmr_stop(TMR_TRIANGLES);

    con_log("Triangles Drawn: %i Cache Hits: %i", trianglesDrawn, cacheHits);
}
