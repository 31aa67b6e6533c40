// The octree over the scene's triangles: built once with the scene, walked
// back to front every frame.
#include <cmath>
#include <cstdio>

#include "geometry/camera.h"
#include "platform/log.h"
#include "render/r3d_render.h"
#include "render/r3d_scene.h"

namespace {

void setBox(octNode_T* node, float x0, float x1, float y0, float y1, float z0, float z1)
{
    node->x0 = x0;
    node->x1 = x1;
    node->y0 = y0;
    node->y1 = y1;
    node->z0 = z0;
    node->z1 = z1;
    node->tris = nullptr;
    for (octNode_T*& c : node->child)
        c = nullptr;
}

// A triangle touches a box when one of its vertices lies in it, bounds
// included.
bool touches(const octNode_T* node, uint32_t tri)
{
    for (int k = 0; k < 3; k++) {
        const meshVertex_T& v = r3dSrcVerts[r3dTris[tri].vertex[k]];
        if (node->x0 <= v.x && v.x <= node->x1 && node->y0 <= v.y && v.y <= node->y1 && node->z0 <= v.z &&
            v.z <= node->z1)
            return true;
    }
    return false;
}

void pushTri(octNode_T* node, uint32_t tri)
{
    node->tris = new triLink_T{tri, node->tris};
}

void freeList(octNode_T* node)
{
    while (node->tris) {
        triLink_T* next = node->tris->next;
        delete node->tris;
        node->tris = next;
    }
}

int listLength(const octNode_T* node)
{
    int n = 0;
    for (const triLink_T* l = node->tris; l; l = l->next)
        n++;
    return n;
}

int countCells(const octNode_T* node)
{
    int n = listLength(node);
    for (const octNode_T* c : node->child)
        if (c)
            n += countCells(c);
    return n;
}

// Moves every list, in its own order, into consecutive cells of one block:
// a frame reads each leaf's list straight through memory instead of
// chasing cells scattered by the subdivision.
void moveCells(octNode_T* node, triLink_T*& out)
{
    triLink_T* head = nullptr;
    triLink_T** tail = &head;
    for (triLink_T* l = node->tris; l;) {
        triLink_T* next = l->next;
        *out = {l->tri, nullptr};
        *tail = out;
        tail = &out->next;
        out++;
        delete l;
        l = next;
    }
    node->tris = head;
    for (octNode_T* c : node->child)
        if (c)
            moveCells(c, out);
}

// True when every corner of the box lies outside the plane. The corner
// that goes furthest along the plane's normal decides it: each product and
// sum of the test only grows with the coordinate it is given, so no other
// corner can score higher, and the box is out exactly when that corner is.
bool boxOutside(const float plane[4], const octNode_T* node)
{
    float x = plane[0] >= 0 ? node->x1 : node->x0;
    float y = plane[1] >= 0 ? node->y1 : node->y0;
    float z = plane[2] >= 0 ? node->z1 : node->z0;
    return plane[0] * x + plane[1] * y + plane[2] * z + plane[3] < 0;
}

void examineLeaf(const octNode_T* node, const PVCamera* camera)
{
    for (const triLink_T* l = node->tris; l; l = l->next) {
        uint32_t t = l->tri;
        if (r3dTriangleStamps[t] == frameStamp) {
            cacheHits++;
            continue;
        }
        trianglesDrawn++;
        r3dTriangleStamps[t] = frameStamp;

        // Facing test: normalise(V0 - P) . n <= 0, the arithmetic of
        // vec4_T::normalize and dot written out (a zero vector fails).
        const meshTriangle_T& tri = r3dTris[t];
        const meshVertex_T& v0 = r3dSrcVerts[tri.vertex[0]];
        float dx = v0.x - camera->position.x, dy = v0.y - camera->position.y, dz = v0.z - camera->position.z;
        float length = std::sqrt(dx * dx + dy * dy + dz * dz);
        const vec4_T& n = r3dTriNormals[t];
        if (!((dx / length) * n.x + (dy / length) * n.y + (dz / length) * n.z <= 0))
            continue;   // facing away

        bool nearOk = true;
        for (int k = 0; k < 3; k++) {
            int32_t vi = tri.vertex[k];
            meshVertex_T& w = r3dWorkVerts[vi];
            if (r3dVertexStamps[vi] != frameStamp) {
                r3d_transformVertex(&w, &r3dSrcVerts[vi]);
                r3d_project(&w.x, &w.y, &w.z, &w.oneOverW);
                r3dVertexStamps[vi] = frameStamp;
            }
            // No near-plane clipping: a triangle closer than z' 0.01
            // (camera z 12) anywhere is dropped whole.
            nearOk = nearOk && w.z >= 0.01f;
        }
        if (nearOk)
            r3d_addVisible(t);
    }
}

}  // namespace

void oct_build(scene_T* scene)
{
    octNode_T* root = &scene->root;
    float minX = 0, minY = 0, minZ = 0, maxX = 0, maxY = 0, maxZ = 0;
    for (int32_t i = 0; i < scene->vertexCount; i++) {
        const meshVertex_T& v = scene->srcVerts[i];
        if (i == 0 || v.x < minX) minX = v.x;
        if (i == 0 || v.y < minY) minY = v.y;
        if (i == 0 || v.z < minZ) minZ = v.z;
        if (i == 0 || v.x > maxX) maxX = v.x;
        if (i == 0 || v.y > maxY) maxY = v.y;
        if (i == 0 || v.z > maxZ) maxZ = v.z;
    }
    // A cube anchored at the minimum corner, as wide as the widest extent.
    float side = maxX - minX;
    if (maxY - minY > side)
        side = maxY - minY;
    if (maxZ - minZ > side)
        side = maxZ - minZ;
    setBox(root, minX, minX + side, minY, minY + side, minZ, minZ + side);
    for (int32_t t = 0; t < scene->triangleCount; t++)
        pushTri(root, (uint32_t)t);
    oct_subdivide(root, R3D_OCTREE_DEPTH);
    scene->cells = new triLink_T[countCells(root)];
    triLink_T* out = scene->cells;
    moveCells(root, out);
    oct_dump(root, "0");
}

void oct_subdivide(octNode_T* node, int depth)
{
    if (depth < 1)
        return;
    int inside = 0;
    for (const triLink_T* l = node->tris; l && inside < 2; l = l->next)
        if (touches(node, l->tri))
            inside++;
    if (inside < 2)
        return;

    float xm = (node->x0 + node->x1) * 0.5f;
    float ym = (node->y0 + node->y1) * 0.5f;
    float zm = (node->z0 + node->z1) * 0.5f;
    for (int k = 0; k < 8; k++) {
        octNode_T* c = new octNode_T;
        setBox(c, k & 1 ? xm : node->x0, k & 1 ? node->x1 : xm, k & 2 ? ym : node->y0, k & 2 ? node->y1 : ym,
               k & 4 ? zm : node->z0, k & 4 ? node->z1 : zm);
        node->child[k] = c;
    }
    // A triangle with vertices in several children is listed in each.
    for (const triLink_T* l = node->tris; l; l = l->next)
        for (int k = 0; k < 8; k++)
            if (touches(node->child[k], l->tri))
                pushTri(node->child[k], l->tri);
    for (octNode_T*& c : node->child) {
        if (c->tris == nullptr) {
            delete c;
            c = nullptr;
        }
    }
    freeList(node);
    for (octNode_T* c : node->child)
        if (c)
            oct_subdivide(c, depth - 1);
}

void oct_dump(const octNode_T* node, const char* name)
{
    // "Nº" with the ordinal sign as the Latin-1 byte 0xBA, as the log always had it.
    con_log("N\xBA de nodos de nodo %s:  %i", name, listLength(node));
    for (int k = 0; k < 8; k++) {
        char childName[64];
        std::snprintf(childName, sizeof childName, "%s.%i", name, k);
        if (node->child[k])
            oct_dump(node->child[k], childName);
    }
}

void oct_traverse(const octNode_T* node, int depth, const PVCamera* camera)
{
    // Skipped when every corner lies outside one same plane.
    for (int i = 0; i < 6; i++)
        if (boxOutside(camera->planes[i], node))
            return;
    bool leaf = true;
    for (int i = 0; i < 8; i++) {
        const octNode_T* c = node->child[childOrder[i]];
        if (c) {
            leaf = false;
            oct_traverse(c, depth - 1, camera);
        }
    }
    if (leaf)
        examineLeaf(node, camera);
}

void oct_free(octNode_T* node)
{
    node->tris = nullptr;
    for (octNode_T*& c : node->child) {
        if (c) {
            oct_free(c);
            delete c;
            c = nullptr;
        }
    }
}
