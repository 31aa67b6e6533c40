#pragma once
// A triangle mesh read from a 3DS file (the first named object's vertex and
// face lists), with what the textured scene derives from it: its centre, a
// unit normal per face and per vertex, and the per-frame projection arrays
// that projectAndSort fills. One heap object per mesh; it owns its arrays.
#include <cstdint>

#include "geometry/vec4.h"

struct meshDrawOptions_T;

enum {
    MESH3DS_VERTEX_NORMALS = 1,   // vertexNormals are valid
    MESH3DS_FACE_NORMALS = 2,     // faceNormals are valid
    MESH3DS_CULL = 4,             // skip faces turned away from the viewer
};

// Arrays grow by this many entries at a time.
constexpr uint16_t MESH3DS_GROWTH = 10;
constexpr int MESH3DS_NAME_BYTES = 32;   // 31 characters and the NUL

// One visible face of this frame: its corners on screen and its depth key.
struct meshFaceRecord_T {
    int16_t x[3], y[3];
    uint16_t face;
    float depth;
};

struct mesh3ds_T {
    char name[MESH3DS_NAME_BYTES];   // "<UNKNOWN>" until the name is read
    // Counts are unsigned 16-bit, as the file stores them: up to 65 535.
    uint16_t vertexCapacity;
    uint16_t faceCapacity;
    uint32_t flags;                  // MESH3DS_*
    uint16_t vertexCount;
    uint16_t faceCount;
    vec4_T* vertices;                // w = 1
    vec4_T* vertexNormals;           // unit, w = 0
    uint16_t (*faces)[3];            // vertex indices a, b, c
    vec4_T* faceNormals;             // unit, w = 0
    vec4_T centre;                   // average of the vertices, w = 1
    int16_t drawMode;
    meshDrawOptions_T* drawOptions;  // not owned
    uint16_t visibleCount;            // entries of drawOrder in use
    uint16_t* drawOrder;             // indices into faceRecords, far to near
    meshFaceRecord_T* faceRecords;   // faceCount entries
};

// Reads the first named object of a 3DS file; a new mesh or null on any
// failure (nothing is logged).
mesh3ds_T* load3ds(const char* path);
void free3ds(mesh3ds_T* mesh);   // null is ignored

// Building a mesh in memory (the reader uses these; so do the tests).
// mesh3ds_create: empty mesh, name "<UNKNOWN>", room for 10 of each; null
// when out of memory. Add: 0, or -1 when the mesh is full (65 535) or memory
// runs out. mesh3ds_finish: allocates the projection arrays and computes the
// centre and the normals; -1 when a face names a vertex that does not exist
// or memory runs out.
mesh3ds_T* mesh3ds_create();
int mesh3ds_addVertex(mesh3ds_T* mesh, const vec4_T& position, const vec4_T& normal);
int mesh3ds_addFace(mesh3ds_T* mesh, uint16_t a, uint16_t b, uint16_t c, const vec4_T& normal);
int mesh3ds_finish(mesh3ds_T* mesh);
