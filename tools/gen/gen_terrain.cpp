// "PLAYApr.MAC": the height field as a mesh of grid quads, each split along
// the diagonal that makes the two halves consecutive after the loader's sort
// (lowest y, then lowest x, then sum of x), so that the loader's texture
// pairing lays one texture over each quad. Vertices carry a height- and
// slope-tinted 5-6-5 colour and unit normals.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/mac_writer.h"
#include "tools/gen/gen.h"
#include "tools/gen/gen_terrain.h"

namespace {

struct rgb_T {
    float r, g, b;
};

rgb_T mix(rgb_T a, rgb_T b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float ramp(float e0, float e1, float x)
{
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Ground colour from height, steepness (normal z) and a little per-vertex
// variation so that the flat-shaded modes do not look banded.
rgb_T groundColour(float height, float normalZ, float jitter)
{
    const rgb_T water = {40, 80, 150}, sand = {196, 178, 122}, grass = {78, 132, 52};
    const rgb_T highGrass = {96, 118, 60}, rock = {122, 108, 92}, snow = {236, 238, 244};
    if (height <= TERRAIN_WATER + 0.01f)
        return mix(water, {30, 60, 120}, jitter);
    rgb_T c = mix(sand, grass, ramp(TERRAIN_WATER + 4, TERRAIN_WATER + 18, height));
    c = mix(c, highGrass, ramp(120, 260, height));
    c = mix(c, rock, ramp(0.9f, 0.7f, normalZ));
    c = mix(c, snow, ramp(340, 420, height) * ramp(0.6f, 0.8f, normalZ));
    float shade = 0.9f + 0.2f * jitter;
    return {std::min(c.r * shade, 255.0f), std::min(c.g * shade, 255.0f), std::min(c.b * shade, 255.0f)};
}

float jitterAt(int gx, int gy)
{
    uint32_t h = (uint32_t)gx * 2654435761u ^ (uint32_t)gy * 2246822519u;
    h = (h ^ (h >> 15)) * 2654435761u;
    return (float)((h >> 8) & 0xFFFF) / 65535.0f;
}

vec4_T gridNormal(const std::vector<float>& h, int gx, int gy)
{
    auto at = [&](int x, int y) {
        x = std::clamp(x, 0, TERRAIN_SIDE - 1);
        y = std::clamp(y, 0, TERRAIN_SIDE - 1);
        return h[(size_t)y * TERRAIN_SIDE + x];
    };
    float dx = (at(gx + 1, gy) - at(gx - 1, gy)) / (2 * TERRAIN_STEP);
    float dy = (at(gx, gy + 1) - at(gx, gy - 1)) / (2 * TERRAIN_STEP);
    vec4_T n(-dx, -dy, 1, 1);
    n.normalize();
    return n;
}

meshVertex_T makeVertex(const std::vector<float>& heights, int gx, int gy)
{
    meshVertex_T v;
    std::memset(&v, 0, sizeof v);
    v.x = TERRAIN_ORIGIN + gx * TERRAIN_STEP;
    v.y = TERRAIN_ORIGIN + gy * TERRAIN_STEP;
    v.z = heights[(size_t)gy * TERRAIN_SIDE + gx];
    v.normal = gridNormal(heights, gx, gy);
    rgb_T c = groundColour(v.z, v.normal.z, jitterAt(gx, gy));
    int r5 = (int)c.r >> 3, g6 = (int)c.g >> 2, b5 = (int)c.b >> 3;
    v.colour = (int16_t)(uint16_t)((r5 << 11) | (g6 << 5) | b5);
    // The accelerator path's colour channels; the scene takes 7 x b.
    v.r = (float)r5;
    v.g = (float)g6;
    v.b = (float)b5;
    v.alpha = 255.0f;
    v.w = 1.0f;
    return v;
}

// Texture id by what the ground is: the loader deals the terrain's textures
// out itself, so this only keeps the file self-describing.
int32_t textureFor(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    float height = (a->z + b->z + c->z) / 3.0f;
    float normalZ = (a->normal.z + b->normal.z + c->normal.z) / 3.0f;
    if (height <= TERRAIN_WATER + 0.01f)
        return 0;
    if (height > 340 && normalZ > 0.7f)
        return 7;
    if (normalZ < 0.8f)
        return 5;
    return height < TERRAIN_WATER + 18 ? 1 : 2 + (int32_t)(height / 120.0f) % 3;
}

meshTriangle_T makeTriangle(const std::vector<meshVertex_T>& v, int32_t i0, int32_t i1, int32_t i2, bool first)
{
    static const float firstUv[3][2] = {{0, 0}, {1, 0}, {1, 1}};
    static const float secondUv[3][2] = {{1, 1}, {0, 1}, {0, 0}};
    meshTriangle_T t;
    t.vertex[0] = i0;
    t.vertex[1] = i1;
    t.vertex[2] = i2;
    t.texture = textureFor(&v[i0], &v[i1], &v[i2]);
    std::memcpy(t.uv, first ? firstUv : secondUv, sizeof t.uv);
    return t;
}

vec4_T faceNormal(const std::vector<meshVertex_T>& v, const meshTriangle_T& t)
{
    const meshVertex_T &a = v[t.vertex[0]], &b = v[t.vertex[1]], &c = v[t.vertex[2]];
    vec4_T e1(b.x - a.x, b.y - a.y, b.z - a.z, 1), e2(c.x - b.x, c.y - b.y, c.z - b.z, 1);
    vec4_T n = e1.cross(e2);
    n.normalize();
    return n;
}

int writeTerrain(const std::string& dataDir)
{
    std::vector<float> heights = terrain_heights();
    std::vector<meshVertex_T> vertices;
    vertices.reserve((size_t)TERRAIN_SIDE * TERRAIN_SIDE);
    for (int gy = 0; gy < TERRAIN_SIDE; gy++)
        for (int gx = 0; gx < TERRAIN_SIDE; gx++)
            vertices.push_back(makeVertex(heights, gx, gy));

    // Quad corners p00 (low x, low y), p10, p11, p01. The half holding p01
    // has the smaller sum of x and sorts first; both halves wind
    // counter-clockwise seen from above, so their normals point up.
    std::vector<meshTriangle_T> triangles;
    std::vector<vec4_T> normals;
    for (int gy = 0; gy < TERRAIN_CELLS; gy++) {
        for (int gx = 0; gx < TERRAIN_CELLS; gx++) {
            int32_t p00 = gy * TERRAIN_SIDE + gx, p10 = p00 + 1;
            int32_t p01 = p00 + TERRAIN_SIDE, p11 = p01 + 1;
            triangles.push_back(makeTriangle(vertices, p01, p00, p10, true));
            triangles.push_back(makeTriangle(vertices, p10, p11, p01, false));
        }
    }
    for (const meshTriangle_T& t : triangles)
        normals.push_back(faceNormal(vertices, t));
    std::vector<uint8_t> bytes = mac_encode((int32_t)vertices.size(), (int32_t)triangles.size(), vertices.data(),
                                            triangles.data(), normals.data());
    return gen_writeFile(dataDir, "PLAYApr.MAC", bytes.data(), bytes.size());
}

}

GEN_REGISTER("terrain PLAYApr.MAC", writeTerrain);
