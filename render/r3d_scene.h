#pragma once
// The terrain scene: the mesh of a MAC file, the per-frame working copies of
// its vertices, one normal per triangle, the stamps that make every vertex
// and triangle be handled once per frame, and an octree over the triangles.
#include <cstdint>

#include "formats/mac.h"
#include "geometry/vec4.h"

class PVCamera;

// A list cell of an octree node: one triangle index. New cells go to the
// head, so a list reads newest first. One index may sit in many lists.
struct triLink_T {
    uint32_t tri;
    triLink_T* next;
};

// Child k covers the half boxes chosen by its bits: bit 0 the high x half,
// bit 1 high y, bit 2 high z. Siblings share their mid-planes.
struct octNode_T {
    float x0, x1, y0, y1, z0, z1;
    triLink_T* tris;
    octNode_T* child[8];
};

struct scene_T {
    meshVertex_T* srcVerts;      // world space, from the file
    meshVertex_T* workVerts;     // camera, then screen space, every frame
    meshTriangle_T* tris;
    vec4_T* triNormals;
    uint32_t* vertexStamps;
    uint32_t* shadeStamps;       // frame whose mode 4 shade each vertex holds
    uint32_t* triangleStamps;
    octNode_T root;
    triLink_T* cells;            // every list's cells, one block once built
    int32_t vertexCount;
    int32_t triangleCount;
};

constexpr int R3D_OCTREE_DEPTH = 6;   // subdivision depth, and the walk's

// Reads the mesh and builds everything; null when the file cannot be read.
// An empty mesh gives an empty scene, which draws only the stars.
scene_T* r3d_loadScene(const char* fileName);
void r3d_freeScene(scene_T* scene);

void oct_build(scene_T* scene);
void oct_subdivide(octNode_T* node, int depth);
void oct_dump(const octNode_T* node, const char* name);
// The per-frame walk: cull by the camera's planes, visit the children in
// childOrder, collect the leaves' visible triangles into visibleTris.
void oct_traverse(const octNode_T* node, int depth, const PVCamera* camera);
// Frees the node's children (the cells belong to the scene's block).
void oct_free(octNode_T* node);
