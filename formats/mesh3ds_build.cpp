// Building a 3DS mesh in memory: growing arrays, then the centre and normals.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "formats/mesh3ds.h"

namespace {

const uint16_t MESH3DS_MAX_ENTRIES = 65535;   // counts are unsigned 16-bit

// The next capacity when an array of this kind is full; stays within 16 bits.
uint16_t mesh3ds_grown(uint16_t capacity)
{
    const int grown = capacity + MESH3DS_GROWTH;
    return static_cast<uint16_t>(grown > MESH3DS_MAX_ENTRIES ? MESH3DS_MAX_ENTRIES : grown);
}

template <class T>
int mesh3ds_resize(T** array, uint16_t entries)
{
    T* grown = static_cast<T*>(std::realloc(*array, sizeof(T) * entries));
    if (!grown)
        return -1;
    *array = grown;
    return 0;
}

// x, y, z divided by their length; a zero-length vector (a degenerate face,
// an unused vertex) stays zero instead of turning into NaN. w = 0.
vec4_T mesh3ds_unit(vec4_T v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0f))
        return vec4_T(0.0f, 0.0f, 0.0f, 0.0f);
    return vec4_T(v.x / length, v.y / length, v.z / length, 0.0f);
}

}

mesh3ds_T* mesh3ds_create()
{
    mesh3ds_T* mesh = static_cast<mesh3ds_T*>(std::calloc(1, sizeof(mesh3ds_T)));
    if (!mesh)
        return nullptr;
    std::strcpy(mesh->name, "<UNKNOWN>");
    mesh->vertexCapacity = MESH3DS_GROWTH;
    mesh->faceCapacity = MESH3DS_GROWTH;
    mesh->centre = vec4_T(0.0f, 0.0f, 0.0f, 1.0f);
    mesh->vertices = static_cast<vec4_T*>(std::malloc(sizeof(vec4_T) * MESH3DS_GROWTH));
    mesh->vertexNormals = static_cast<vec4_T*>(std::malloc(sizeof(vec4_T) * MESH3DS_GROWTH));
    mesh->faces = static_cast<uint16_t(*)[3]>(std::malloc(sizeof(uint16_t[3]) * MESH3DS_GROWTH));
    mesh->faceNormals = static_cast<vec4_T*>(std::malloc(sizeof(vec4_T) * MESH3DS_GROWTH));
    if (!mesh->vertices || !mesh->vertexNormals || !mesh->faces || !mesh->faceNormals) {
        free3ds(mesh);
        return nullptr;
    }
    return mesh;
}

void free3ds(mesh3ds_T* mesh)
{
    if (!mesh)
        return;
    std::free(mesh->vertices);
    std::free(mesh->vertexNormals);
    std::free(mesh->faces);
    std::free(mesh->faceNormals);
    std::free(mesh->drawOrder);
    std::free(mesh->faceRecords);
    std::free(mesh);
}

int mesh3ds_addVertex(mesh3ds_T* mesh, const vec4_T& position, const vec4_T& normal)
{
    if (mesh->vertexCount == mesh->vertexCapacity) {
        if (mesh->vertexCapacity == MESH3DS_MAX_ENTRIES)
            return -1;
        const uint16_t capacity = mesh3ds_grown(mesh->vertexCapacity);
        if (mesh3ds_resize(&mesh->vertices, capacity) || mesh3ds_resize(&mesh->vertexNormals, capacity))
            return -1;
        mesh->vertexCapacity = capacity;
    }
    mesh->vertices[mesh->vertexCount] = position;
    mesh->vertexNormals[mesh->vertexCount] = normal;
    mesh->vertexCount++;
    return 0;
}

int mesh3ds_addFace(mesh3ds_T* mesh, uint16_t a, uint16_t b, uint16_t c, const vec4_T& normal)
{
    if (mesh->faceCount == mesh->faceCapacity) {
        if (mesh->faceCapacity == MESH3DS_MAX_ENTRIES)
            return -1;
        const uint16_t capacity = mesh3ds_grown(mesh->faceCapacity);
        if (mesh3ds_resize(&mesh->faces, capacity) || mesh3ds_resize(&mesh->faceNormals, capacity))
            return -1;
        mesh->faceCapacity = capacity;
    }
    uint16_t* face = mesh->faces[mesh->faceCount];
    face[0] = a;
    face[1] = b;
    face[2] = c;
    mesh->faceNormals[mesh->faceCount] = normal;
    mesh->faceCount++;
    return 0;
}

int mesh3ds_finish(mesh3ds_T* mesh)
{
    const int vertexCount = mesh->vertexCount;
    const int faceCount = mesh->faceCount;
    for (int f = 0; f < faceCount; f++)
        for (int k = 0; k < 3; k++)
            if (mesh->faces[f][k] >= vertexCount)
                return -1;

    // At least one entry each, so that an empty mesh is not mistaken for a
    // failed allocation.
    const size_t records = faceCount > 0 ? faceCount : 1;
    mesh->faceRecords = static_cast<meshFaceRecord_T*>(std::malloc(sizeof(meshFaceRecord_T) * records));
    mesh->drawOrder = static_cast<uint16_t*>(std::malloc(sizeof(uint16_t) * records));
    if (!mesh->faceRecords || !mesh->drawOrder)
        return -1;
    mesh->visibleCount = 0;

    if (vertexCount > 0) {
        float sx = 0.0f, sy = 0.0f, sz = 0.0f;
        for (int i = 0; i < vertexCount; i++) {
            sx += mesh->vertices[i].x;
            sy += mesh->vertices[i].y;
            sz += mesh->vertices[i].z;
        }
        const float n = static_cast<float>(vertexCount);
        mesh->centre = vec4_T(sx / n, sy / n, sz / n, 1.0f);
    }

    for (int f = 0; f < faceCount; f++) {
        const vec4_T& a = mesh->vertices[mesh->faces[f][0]];
        const vec4_T& b = mesh->vertices[mesh->faces[f][1]];
        const vec4_T& c = mesh->vertices[mesh->faces[f][2]];
        mesh->faceNormals[f] = mesh3ds_unit((b - a).cross(c - a));
    }
    mesh->flags |= MESH3DS_FACE_NORMALS;

    mesh->flags |= MESH3DS_VERTEX_NORMALS;
    for (int i = 0; i < vertexCount; i++)
        mesh->vertexNormals[i] = vec4_T(0.0f, 0.0f, 0.0f, 0.0f);
    for (int f = 0; f < faceCount; f++) {
        const vec4_T& n = mesh->faceNormals[f];
        for (int k = 0; k < 3; k++) {
            vec4_T& vn = mesh->vertexNormals[mesh->faces[f][k]];
            vn.x += n.x;
            vn.y += n.y;
            vn.z += n.z;
        }
    }
    for (int i = 0; i < vertexCount; i++)
        mesh->vertexNormals[i] = mesh3ds_unit(mesh->vertexNormals[i]);
    return 0;
}
