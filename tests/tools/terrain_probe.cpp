#include "tests/tools/terrain_probe.h"

#include <algorithm>

terrainProbe_T::terrainProbe_T(const meshVertex_T* v, int32_t vertexCount, const meshTriangle_T* t,
                               int32_t triangleCount)
    : vertices(v), triangles(t), x0(1e30f), y0(1e30f), x1(-1e30f), y1(-1e30f), buckets(64),
      cells((size_t)buckets * buckets)
{
    for (int32_t i = 0; i < vertexCount; i++) {
        x0 = std::min(x0, v[i].x);
        x1 = std::max(x1, v[i].x);
        y0 = std::min(y0, v[i].y);
        y1 = std::max(y1, v[i].y);
    }
    auto cellOf = [&](float value, float lo, float hi) {
        return std::clamp((int)((value - lo) / (hi - lo) * buckets), 0, buckets - 1);
    };
    for (int32_t i = 0; i < triangleCount; i++) {
        const meshVertex_T &a = v[t[i].vertex[0]], &b = v[t[i].vertex[1]], &c = v[t[i].vertex[2]];
        int cx0 = cellOf(std::min({a.x, b.x, c.x}), x0, x1), cx1 = cellOf(std::max({a.x, b.x, c.x}), x0, x1);
        int cy0 = cellOf(std::min({a.y, b.y, c.y}), y0, y1), cy1 = cellOf(std::max({a.y, b.y, c.y}), y0, y1);
        for (int cy = cy0; cy <= cy1; cy++)
            for (int cx = cx0; cx <= cx1; cx++)
                cells[(size_t)cy * buckets + cx].push_back(i);
    }
}

int32_t terrainProbe_T::triangleAt(float x, float y, float* height) const
{
    if (x < x0 || x > x1 || y < y0 || y > y1)
        return -1;
    int cx = std::min((int)((x - x0) / (x1 - x0) * buckets), buckets - 1);
    int cy = std::min((int)((y - y0) / (y1 - y0) * buckets), buckets - 1);
    for (int32_t i : cells[(size_t)cy * buckets + cx]) {
        const meshVertex_T &a = vertices[triangles[i].vertex[0]], &b = vertices[triangles[i].vertex[1]],
                           &c = vertices[triangles[i].vertex[2]];
        double det = (double)(b.y - c.y) * (a.x - c.x) + (double)(c.x - b.x) * (a.y - c.y);
        if (det == 0)
            continue;
        double l0 = ((b.y - c.y) * (x - c.x) + (c.x - b.x) * (y - c.y)) / det;
        double l1 = ((c.y - a.y) * (x - c.x) + (a.x - c.x) * (y - c.y)) / det;
        double l2 = 1 - l0 - l1;
        const double eps = -1e-6;
        if (l0 >= eps && l1 >= eps && l2 >= eps) {
            *height = (float)(l0 * a.z + l1 * b.z + l2 * c.z);
            return i;
        }
    }
    return -1;
}
