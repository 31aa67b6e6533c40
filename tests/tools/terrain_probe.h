#pragma once
// Looks at a loaded terrain mesh from above: the ground height and triangle
// under a point, through a bucket grid over the triangles' footprints.
#include <cstdint>
#include <vector>

#include "formats/mac.h"

struct terrainProbe_T {
    const meshVertex_T* vertices;
    const meshTriangle_T* triangles;
    float x0, y0, x1, y1;
    int buckets;
    std::vector<std::vector<int32_t>> cells;

    terrainProbe_T(const meshVertex_T* v, int32_t vertexCount, const meshTriangle_T* t, int32_t triangleCount);
    // The triangle under (x, y) and the ground height there; -1 off the mesh.
    int32_t triangleAt(float x, float y, float* height) const;
};
