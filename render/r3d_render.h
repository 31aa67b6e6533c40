#pragma once
// The software 3D renderer's frame: culling planes and view matrix from the
// camera, the octree walk that transforms, projects and collects visible
// triangles, the star field, and the emitter of the current render mode,
// drawing straight into the locked 16-bit back surface. Engine thread only.
#include <cstdint>

#include "formats/mac.h"
#include "geometry/vec4.h"

class PVCamera;
struct scene_T;
struct octNode_T;

// 0 wireframe, 1 flat, 2 Gouraud, 3 textured, 4 textured and shaded (the
// demo's); above 4 no triangles are drawn.
extern int32_t renderMode;
extern int32_t mipmapOn;         // textured modes pick the level by area
extern uint32_t frameStamp;      // advanced by the caller before each frame
extern int32_t trianglesDrawn;   // triangles examined for the first time
extern int32_t cacheHits;        // references to triangles already examined
constexpr int R3D_MAX_VISIBLE = 8192;
extern uint32_t visibleTris[R3D_MAX_VISIBLE];
extern int32_t visibleTriCount;
extern uint32_t highlightTri;    // mode 1 draws this triangle white
extern int32_t childOrder[8];
extern vec4_T lightDir;
constexpr int R3D_STARS = 100;
extern vec4_T starField[R3D_STARS];
extern float nearDistance, farDistance;

// The scene's arrays, published for the frame.
extern meshVertex_T* r3dSrcVerts;
extern meshVertex_T* r3dWorkVerts;
extern meshTriangle_T* r3dTris;
extern vec4_T* r3dTriNormals;
extern uint32_t* r3dVertexStamps;
extern uint32_t* r3dShadeStamps;
extern uint32_t* r3dTriangleStamps;

void r3d_publishScene(scene_T* scene);
void r3d_render(scene_T* scene, PVCamera* camera);
void r3d_renderFrame(const octNode_T* root, int depth, PVCamera* camera);
void r3d_buildFrustum(float nearDist, float farDist, PVCamera* camera);
void r3d_setView(PVCamera* camera);
void r3d_childOrder(const PVCamera* camera);
// Camera space to screen: x = trunc(304 x / z + 160), y = trunc(224 y /
// (0.75 z) + 120) for the 320 x 240 display; z becomes z / farDistance and
// oneOverW farDistance / z.
void r3d_project(float* x, float* y, float* z, float* oneOverW);
// v x mat_current, the position and w of a vertex record.
void r3d_transformVertex(meshVertex_T* out, const meshVertex_T* in);

// trunc(f) limited to lo..hi (NaN gives lo): the float to integer
// conversions of the shading rules, kept defined for any input.
inline int32_t r3d_truncLimit(float f, int32_t lo, int32_t hi)
{
    if (!(f >= (float)lo))
        return lo;
    if (f >= (float)hi)
        return hi;
    return (int32_t)f;
}

// Mode 4's shade of a vertex from the light term d and its z'. Shade 0 is
// the brightest of the 32. The lit shade s0 comes from the light term; past
// z' 0.6 (distance 720) it fades toward 29 at the far distance.
inline int r3d_mode4Shade(float d, float zp)
{
    int s0 = 1 - r3d_truncLimit(-31.0f * d, -64, 64);
    s0 = s0 < 0 ? 0 : s0 > 31 ? 31 : s0;
    if (zp > 0.6f) {
        float f = 31.0f - (1.0f - (zp < 1.0f ? zp : 1.0f)) * 2.5f * (float)(31 - s0);
        return r3d_truncLimit(f, 2, 29);
    }
    return s0;
}

// Vertex k of triangle t: the working copy and the source.
inline meshVertex_T* r3d_workVert(uint32_t t, int k)
{
    return &r3dWorkVerts[r3dTris[t].vertex[k]];
}
inline const meshVertex_T* r3d_srcVert(uint32_t t, int k)
{
    return &r3dSrcVerts[r3dTris[t].vertex[k]];
}

// Emitters (r3d_modes.cpp, r3d_modes_hw.cpp). A collected triangle goes
// into visibleTris through r3d_addVisible (a full list takes no more), which
// keeps its depth key, the largest z' of its working vertices, for the sort.
void r3d_addVisible(uint32_t t);
void r3d_sortVisible();
int r3d_levelByArea(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c);
// Per-triangle preparation of modes 2, 3 and 4, shared with the
// accelerator twins: the working colours (shades) of the three vertices, and
// for the textured modes the selection and texture coordinates; these
// return the texture level.
void r3d_prepGouraud(uint32_t t);
int r3d_prepTextured(uint32_t t);
int r3d_prepShaded(uint32_t t);
void r3d_emitSoftware();
void r3d_emitHw();
