// Per-frame geometry of the 3DS scene: in-place transforms, projection of the
// visible faces through a per-vertex cache, and the painter's sort.
#include <algorithm>

#include "effects/scene3ds/scene_tables.h"
#include "formats/mesh3ds.h"
#include "platform/display.h"

namespace {

// Screen position of every vertex projected this frame; projected[i] tells
// whether entry i is valid.
float cacheX[SCENE_MAX_VERTICES];
float cacheY[SCENE_MAX_VERTICES];
uint8_t projected[SCENE_MAX_VERTICES];

// Faces whose normal has no more than this towards the eye are turned away.
const float SCENE_FACING_MIN = 1e-6f;

void scene_project(const vec4_T& v, const mat4_T& p, int index)
{
    const float* m = p.m;
    float x = v.x * m[0] + v.y * m[4] + v.z * m[8] + v.w * m[12];
    float y = v.x * m[1] + v.y * m[5] + v.z * m[9] + v.w * m[13];
    const float w = v.x * m[3] + v.y * m[7] + v.z * m[11] + v.w * m[15];
    if (w != 1.0f) {
        x /= w;
        y /= w;
    }
    // World y points up, screen y down.
    cacheX[index] = ((x - viewport.worldXMin) * viewport.scaleX + viewport.offsetX) * screenWidth;
    cacheY[index] = (1.0f - viewport.offsetY - (y - viewport.worldYMin) * viewport.scaleY) * screenHeight;
    projected[index] = 1;
}

}

void transformMesh(mesh3ds_T* mesh, const mat4_T* m, const mat4_T* n)
{
    mat_load(m);
    mat_transform(mesh->vertices, mesh->vertices, mesh->vertexCount);
    mat_transform(&mesh->centre, &mesh->centre, 1);
    if (!n)
        return;
    mat_load(n);
    if (mesh->flags & MESH3DS_VERTEX_NORMALS)
        mat_transform(mesh->vertexNormals, mesh->vertexNormals, mesh->vertexCount);
    if (mesh->flags & MESH3DS_FACE_NORMALS)
        mat_transform(mesh->faceNormals, mesh->faceNormals, mesh->faceCount);
}

int projectAndSort(mesh3ds_T* mesh, const mat4_T* p)
{
    mesh->visibleCount = 0;
    if (mesh->vertexCount > SCENE_MAX_VERTICES)
        return -1;
    std::fill(projected, projected + mesh->vertexCount, 0);

    const bool cull = (mesh->flags & MESH3DS_CULL) != 0;
    int visible = 0;
    for (int f = 0; f < mesh->faceCount; f++) {
        const vec4_T& normal = mesh->faceNormals[f];
        if (cull && normal.x * sceneEye.x + normal.y * sceneEye.y + normal.z * sceneEye.z < SCENE_FACING_MIN)
            continue;
        meshFaceRecord_T* record = &mesh->faceRecords[visible];
        const uint16_t* face = mesh->faces[f];
        float depth = mesh->vertices[face[0]].z;
        for (int k = 0; k < 3; k++) {
            const int i = face[k];
            // The last corner is always projected; the cache saves the others.
            if (k == 2 || !projected[i])
                scene_project(mesh->vertices[i], *p, i);
            record->x[k] = scene_toInt16(cacheX[i]);
            record->y[k] = scene_toInt16(cacheY[i]);
            depth = std::max(depth, mesh->vertices[i].z);
        }
        record->face = static_cast<uint16_t>(f);
        record->depth = depth;
        mesh->drawOrder[visible] = static_cast<uint16_t>(visible);
        visible++;
    }
    mesh->visibleCount = static_cast<uint16_t>(visible);

    // Far (most negative z) first; faces are drawn in this order.
    const meshFaceRecord_T* records = mesh->faceRecords;
    std::sort(mesh->drawOrder, mesh->drawOrder + visible,
              [records](uint16_t a, uint16_t b) { return records[a].depth < records[b].depth; });
    return 0;
}
