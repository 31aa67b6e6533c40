#pragma once
// MAC mesh files: the terrain as the engine keeps it in memory, written out
// raw and little-endian.
//   0        8 bytes  "PV MAGIC" (no terminator)
//   8        int32    vertex count V
//   12       int32    triangle count T
//   16       V x 84   meshVertex_T records
//   ...      T x 40   meshTriangle_T records
//   ...      T x 16   one vec4_T normal per triangle
// Anything after the normals is ignored.
#include <cstdint>

#include "geometry/vec4.h"

// The renderer's vertex record; the loader itself reads only x, y, z.
struct meshVertex_T {
    float x, y, z;       // position; camera space, then screen space in working copies
    float r, g, b;       // accelerator colour; the scene keeps 4 x colour in b
    float oneOverZ;      // unused
    float alpha;         // 255.0 in working vertices
    float oneOverW;      // set by the projection
    float u, v;          // texture coordinates in texels (working vertices)
    float reserved[4];
    float w;             // homogeneous coordinate, 1.0
    int16_t colour;      // 16-bit pixel (source) or colour / shade value (working)
    int16_t padding;
    vec4_T normal;       // vertex normal, w = 1
};

struct meshTriangle_T {
    int32_t vertex[3];   // indices into the vertex array
    int32_t texture;     // 0..7, chosen by the loader
    float uv[3][2];      // (u, v) of each vertex in 0..1, set by the loader
};

static_assert(sizeof(meshVertex_T) == 84, "MAC vertex records are 84 bytes");
static_assert(sizeof(meshTriangle_T) == 40, "MAC triangle records are 40 bytes");

constexpr char MAC_MAGIC[8] = {'P', 'V', ' ', 'M', 'A', 'G', 'I', 'C'};
constexpr int MAC_HEADER_BYTES = 16;

// Reads a MAC file into new arrays (the caller owns them, delete[]), sorts
// the triangles by their lowest y, then lowest x, then sum of x, and gives
// each consecutive pair one texture from crt_rand() & 7 with the coordinates
// of a quad split along its diagonal. Progress goes to standard output and
// one error line to standard error. Returns 0, or -1 with the counts set to 0
// and the arrays to null.
int mac_load(const char* fileName, int32_t* vertexCount, int32_t* triangleCount, meshVertex_T** vertices,
             meshTriangle_T** triangles, vec4_T** normals);
