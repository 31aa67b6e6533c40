// The generated terrain "PLAYApr.MAC" (built into the data folder by the
// data target): it loads, its records are what the renderer expects, the
// camera path keeps clear of the ground and a frame stays within the
// renderer's list of 8192 visible triangles. Writes terrain_map.png (the
// height field with the path over it) next to the build's bin folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/mac.h"
#include "formats/png_write.h"
#include "geometry/camera.h"
#include "geometry/fly_path.h"
#include "geometry/spline.h"
#include "tests/tools/terrain_probe.h"

namespace {

struct Terrain : public ::testing::Test {
    static int32_t vertexCount, triangleCount;
    static meshVertex_T* vertices;
    static meshTriangle_T* triangles;
    static vec4_T* normals;

    static void SetUpTestSuite()
    {
        std::string path = std::string(VARNEK_DATA_DIR) + "/PLAYApr.MAC";
        if (mac_load(path.c_str(), &vertexCount, &triangleCount, &vertices, &triangles, &normals) != 0)
            vertexCount = -1;
    }
    static void TearDownTestSuite()
    {
        delete[] vertices;
        delete[] triangles;
        delete[] normals;
    }
    void SetUp() override { ASSERT_GT(vertexCount, 0) << "PLAYApr.MAC missing: build the data target first"; }
};

int32_t Terrain::vertexCount, Terrain::triangleCount;
meshVertex_T* Terrain::vertices;
meshTriangle_T* Terrain::triangles;
vec4_T* Terrain::normals;

vec4_T position(const meshVertex_T& v) { return vec4_T(v.x, v.y, v.z, 1); }

TEST_F(Terrain, VerticesCarryUnitNormalsAndColours)
{
    for (int32_t i = 0; i < vertexCount; i++) {
        const meshVertex_T& v = vertices[i];
        ASSERT_NEAR(v.normal.dot(v.normal), 1.0f, 1e-5f) << i;
        ASSERT_GT(v.normal.z, 0.0f) << i;
        ASSERT_EQ(v.normal.w, 1.0f) << i;
        ASSERT_EQ(v.w, 1.0f) << i;
        ASSERT_NE(v.colour, 0) << i;
        // The blue field is the colour's 5-bit blue channel.
        ASSERT_EQ(v.b, (float)(v.colour & 0x1F)) << i;
    }
}

// After the loader's sort, every pair (2k, 2k + 1) is one grid quad cut
// along its diagonal, so the pair's one texture covers the quad; both halves
// face up.
TEST_F(Terrain, LoaderPairsAreQuadsFacingUp)
{
    ASSERT_EQ(triangleCount % 2, 0);
    for (int32_t k = 0; k < triangleCount; k += 2) {
        const meshTriangle_T &a = triangles[k], &b = triangles[k + 1];
        ASSERT_EQ(b.vertex[0], a.vertex[2]) << k;
        ASSERT_EQ(b.vertex[2], a.vertex[0]) << k;
        ASSERT_EQ(a.texture, b.texture) << k;
        for (const meshTriangle_T* t : {&a, &b}) {
            vec4_T v0 = position(vertices[t->vertex[0]]), v1 = position(vertices[t->vertex[1]]);
            vec4_T v2 = position(vertices[t->vertex[2]]);
            ASSERT_GT((v1 - v0).cross(v2 - v1).z, 0.0f) << k;
        }
    }
}

TEST_F(Terrain, PathStaysAboveTheGroundAndFramesFitTheTriangleList)
{
    terrainProbe_T probe(vertices, vertexCount, triangles, triangleCount);
    spline_T path(FLY_PATH_POINTS, flyPath);

    float lowest = 1e9f, lowestAt = 0;
    const int samples = 20000;
    for (int i = 0; i < samples; i++) {
        float s = (float)i / samples, ground;
        vec4_T p = path.position(s);
        ASSERT_GE(probe.triangleAt(p.x, p.y, &ground), 0) << "path off the terrain at " << s;
        if (p.z - ground < lowest) {
            lowest = p.z - ground;
            lowestAt = s;
        }
    }
    EXPECT_GE(lowest, 20.0f) << "at s = " << lowestAt;

    // Triangles a frame can collect: facing the camera, wholly beyond the
    // near distance 12, and with a vertex within one octree leaf diagonal of
    // the view volume (a leaf is culled only when all its corners lie outside
    // one plane). An upper bound of what the renderer lists.
    float extent = 0;
    for (int32_t i = 0; i < vertexCount; i++)
        extent = std::max({extent, vertices[i].x - probe.x0, vertices[i].y - probe.y0});
    const float margin = extent / 64 * 1.7320508f;
    std::vector<vec4_T> faceNormals(triangleCount);
    for (int32_t t = 0; t < triangleCount; t++) {
        vec4_T v0 = position(vertices[triangles[t].vertex[0]]), v1 = position(vertices[triangles[t].vertex[1]]);
        vec4_T v2 = position(vertices[triangles[t].vertex[2]]);
        faceNormals[t] = (v1 - v0).cross(v2 - v1).normalize();
    }
    int most = 0;
    float mostAt = 0;
    std::vector<float> depth(vertexCount);
    std::vector<char> near(vertexCount);
    PVCamera cam;
    int frame = 0;
    for (float t = 0; t < 1.0f; t += 0.003f, frame++) {
        if (frame % 3)
            continue;
        vec4_T p = path.position(t), dir = path.tangent(t);
        dir.normalize();
        cam.setPosition(p);
        cam.lookAt(p + dir);
        vec4_T X = cam.camX(), Y = cam.camY(), Z = cam.camZ();
        const float r = 0.70710678f;
        const vec4_T sides[4] = {(X + Z) * r, (Z - X) * r, (Y + Z) * r, (Z - Y) * r};
        for (int32_t i = 0; i < vertexCount; i++) {
            vec4_T d = position(vertices[i]) - p;
            float z = d.dot(Z);
            bool inside = z >= 1 - margin && z <= 1200 + margin;
            for (const vec4_T& n : sides)
                inside = inside && d.dot(n) >= -margin;
            depth[i] = z;
            near[i] = inside;
        }
        int count = 0;
        for (int32_t k = 0; k < triangleCount; k++) {
            const int32_t* v = triangles[k].vertex;
            if (!near[v[0]] && !near[v[1]] && !near[v[2]])
                continue;
            if (depth[v[0]] < 12 || depth[v[1]] < 12 || depth[v[2]] < 12)
                continue;
            vec4_T toTriangle = position(vertices[v[0]]) - p;
            if (toTriangle.normalize().dot(faceNormals[k]) <= 0)
                count++;
        }
        if (count > most) {
            most = count;
            mostAt = t;
        }
    }
    EXPECT_LE(most, 8192) << "at t = " << mostAt;
    std::printf("terrain: %d vertices, %d triangles, lowest clearance %.2f at s = %.4f, "
                "at most %d triangles in a frame (t = %.3f)\n",
                vertexCount, triangleCount, lowest, lowestAt, most, mostAt);

    // The map: ground colour lit from the north-west, the path in red and
    // its control points in white.
    const int size = 512;
    std::vector<uint8_t> rgb((size_t)size * size * 3, 0);
    float scale = extent / size;
    for (int py = 0; py < size; py++) {
        for (int px = 0; px < size; px++) {
            float x = probe.x0 + (px + 0.5f) * scale, y = probe.y0 + (size - 1 - py + 0.5f) * scale, h;
            int32_t t = probe.triangleAt(x, y, &h);
            if (t < 0)
                continue;
            uint16_t c = (uint16_t)vertices[triangles[t].vertex[0]].colour;
            const vec4_T& n = faceNormals[t];
            float light = std::clamp(0.55f + 0.6f * (-0.5f * n.x + 0.5f * n.y + 0.7f * n.z) - 0.35f, 0.2f, 1.2f);
            uint8_t* out = &rgb[((size_t)py * size + px) * 3];
            out[0] = (uint8_t)std::min(255.0f, ((c >> 11) << 3) * light);
            out[1] = (uint8_t)std::min(255.0f, (((c >> 5) & 63) << 2) * light);
            out[2] = (uint8_t)std::min(255.0f, ((c & 31) << 3) * light);
        }
    }
    auto plot = [&](float x, float y, uint8_t r, uint8_t g, uint8_t b, int radius) {
        int cx = (int)((x - probe.x0) / scale), cy = size - 1 - (int)((y - probe.y0) / scale);
        for (int dy = -radius; dy <= radius; dy++)
            for (int dx = -radius; dx <= radius; dx++)
                if (cx + dx >= 0 && cx + dx < size && cy + dy >= 0 && cy + dy < size) {
                    uint8_t* out = &rgb[((size_t)(cy + dy) * size + cx + dx) * 3];
                    out[0] = r;
                    out[1] = g;
                    out[2] = b;
                }
    };
    for (int i = 0; i < 4000; i++) {
        vec4_T p = path.position(i / 4000.0f);
        plot(p.x, p.y, 230, 20, 20, 0);
    }
    for (const vec4_T& p : flyPath)
        plot(p.x, p.y, 255, 255, 255, 2);
    std::string map = std::string(VARNEK_BIN_DIR) + "/../terrain_map.png";
    EXPECT_EQ(png_writeRgb(map.c_str(), rgb.data(), size, size), 0);
}

}
