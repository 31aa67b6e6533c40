// The frame's rules: projection, culling planes, view matrix, child order,
// depth sort, texture level by area and the mode 4 shade.
#include <gtest/gtest.h>

#include "geometry/camera.h"
#include "geometry/mat4.h"
#include "render/r3d_render.h"
#include "tests/render/render_fixture.h"

TEST(R3dFrame, ProjectionTable)
{
    struct {
        float x, y, z;
        float sx, sy;
    } cases[] = {
        {0, 0, 100, 160, 120},
        {10, 5, 100, 190, 134},       // 30.4 + 160; 224 x 5 / 75 + 120 = 134.9
        {-51, -30, 200, 82, 75},      // 160 - 77.5; 120 - 44.8
        {7, -3, 33, 224, 92},         // 160 + 64.5; 120 - 27.2
        {-101, 0, 50, -454, 120},     // 160 - 614.1 truncates toward zero
    };
    for (const auto& c : cases) {
        float x = c.x, y = c.y, z = c.z, oneOverW = 0;
        r3d_project(&x, &y, &z, &oneOverW);
        EXPECT_EQ(x, c.sx) << c.x << "," << c.y << "," << c.z;
        EXPECT_EQ(y, c.sy) << c.x << "," << c.y << "," << c.z;
        EXPECT_FLOAT_EQ(z, c.z / 1200.0f);
        EXPECT_FLOAT_EQ(oneOverW, 1200.0f / c.z);
    }
}

TEST(R3dFrame, PointsAtOrBehindTheEyeProjectOutsideEveryClipTest)
{
    float x = 10, y = 10, z = 0, w = 0;
    r3d_project(&x, &y, &z, &w);
    EXPECT_FALSE(x > 8 && x < 312);
}

namespace {
// Camera at (100, 200, 50) looking along +x: CamX = +y (right), CamY = -z
// (down), CamZ = +x.
PVCamera alongX()
{
    PVCamera cam;
    cam.setPosition(100, 200, 50);
    cam.lookAt(vec4_T(110, 200, 50, 1));
    return cam;
}

unsigned outside(const PVCamera& cam, float x, float y, float z)
{
    unsigned mask = 0;
    for (int i = 0; i < 6; i++)
        if (cam.planes[i][0] * x + cam.planes[i][1] * y + cam.planes[i][2] * z + cam.planes[i][3] < 0)
            mask |= 1u << i;
    return mask;
}
}  // namespace

TEST(R3dFrame, FrustumPlaneSigns)
{
    PVCamera cam = alongX();
    r3d_buildFrustum(1.0f, 1200.0f, &cam);
    struct {
        float x, y, z;
        unsigned mask;
    } cases[] = {
        {400, 200, 50, 0},           // straight ahead
        {100.5f, 200, 50, 1},        // nearer than the near distance
        {90, 200, 50, 1 | 4 | 8 | 16 | 32},   // behind the eye: outside near and every side
        {1400, 200, 50, 2},          // beyond far
        {200, 50, 50, 4},            // far to the left (world -y)
        {200, 350, 50, 8},           // far to the right
        {200, 200, 200, 16},         // far above: outside the top plane
        {200, 200, -100, 32},        // far below
        {200, 280, 50, 0},           // 80 right at 100 ahead: inside the 45 degree side plane
    };
    for (const auto& c : cases)
        EXPECT_EQ(outside(cam, c.x, c.y, c.z), c.mask) << c.x << "," << c.y << "," << c.z;
}

TEST(R3dFrame, ViewMatrixGivesCameraCoordinatesAndStaysCurrent)
{
    PVCamera cam = alongX();
    r3d_setView(&cam);
    meshVertex_T in = screenVertex(130, 210, 0), out;
    in.z = 40;
    r3d_transformVertex(&out, &in);
    EXPECT_NEAR(out.x, 10, 1e-4);    // right
    EXPECT_NEAR(out.y, 10, 1e-4);    // down: 10 below the eye
    EXPECT_NEAR(out.z, 30, 1e-4);    // ahead
    EXPECT_FLOAT_EQ(out.w, 1);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(cam.view.m[i], mat_current.m[i]);
}

TEST(R3dFrame, ChildOrderForEveryOctantOfTheViewDirection)
{
    struct {
        float dx, dy, dz;
        int32_t order[8];
    } cases[] = {
        {-1, -1, -0.5f, {0, 1, 2, 3, 4, 5, 6, 7}}, {1, -1, -0.5f, {1, 0, 3, 5, 2, 4, 7, 6}},
        {-1, 1, -0.5f, {2, 3, 0, 6, 1, 7, 4, 5}},  {1, 1, -0.5f, {3, 2, 1, 7, 0, 6, 5, 4}},
        {-1, -1, 0.5f, {4, 5, 6, 0, 7, 1, 2, 3}},  {1, -1, 0.5f, {5, 4, 7, 1, 6, 0, 3, 2}},
        {-1, 1, 0.5f, {6, 7, 4, 2, 5, 3, 0, 1}},   {1, 1, 0.5f, {7, 6, 5, 4, 3, 2, 1, 0}},
    };
    for (const auto& c : cases) {
        PVCamera cam;
        cam.setPosition(0, 0, 0);
        cam.lookAt(vec4_T(c.dx, c.dy, c.dz, 1));
        r3d_childOrder(&cam);
        for (int i = 0; i < 8; i++)
            EXPECT_EQ(childOrder[i], c.order[i]) << c.dx << "," << c.dy << "," << c.dz << " at " << i;
    }
}

TEST(R3dFrame, DepthSortPutsTheFarthestLargestZFirst)
{
    // Four triangles over six vertices; keys are each triangle's largest z'.
    meshVertex_T verts[6];
    const float z[6] = {0.1f, 0.5f, 0.3f, 0.9f, 0.2f, 0.4f};
    for (int i = 0; i < 6; i++) {
        verts[i] = screenVertex(0, 0);
        verts[i].z = z[i];
    }
    meshTriangle_T tris[4] = {};
    const int idx[4][3] = {{0, 2, 4}, {0, 1, 2}, {3, 0, 4}, {5, 4, 0}};   // keys 0.3, 0.5, 0.9, 0.4
    for (int t = 0; t < 4; t++)
        for (int k = 0; k < 3; k++)
            tris[t].vertex[k] = idx[t][k];
    r3dWorkVerts = verts;
    r3dTris = tris;
    visibleTriCount = 0;
    for (int t = 0; t < 4; t++)
        r3d_addVisible((uint32_t)t);
    r3d_sortVisible();
    const uint32_t expected[4] = {2, 1, 3, 0};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(visibleTris[i], expected[i]) << i;
    r3dWorkVerts = nullptr;
    r3dTris = nullptr;
    visibleTriCount = 0;
}

TEST(R3dFrame, FullVisibleListTakesNoMore)
{
    visibleTriCount = R3D_MAX_VISIBLE;
    visibleTris[R3D_MAX_VISIBLE - 1] = 5;
    r3d_addVisible(77);
    EXPECT_EQ(visibleTriCount, R3D_MAX_VISIBLE);
    EXPECT_EQ(visibleTris[R3D_MAX_VISIBLE - 1], 5u);
    visibleTriCount = 0;
}

TEST(R3dFrame, TextureLevelByScreenArea)
{
    struct {
        float w, h;   // right triangle of area w x h / 2
        int level;
    } cases[] = {
        {64, 33, 0},    // 1056
        {64, 32, 1},    // 1024 exactly
        {32, 17, 1},    // 272
        {32, 16, 2},    // 256 exactly
        {16, 9, 2},     // 72
        {16, 8, 3},     // 64 exactly
        {2, 2, 3},
        {-64, 64, 3},   // clockwise: negative area
    };
    mipmapOn = 1;
    for (const auto& c : cases) {
        meshVertex_T a = screenVertex(100, 100), b = screenVertex(100 + c.w, 100), d = screenVertex(100, 100 + c.h);
        EXPECT_EQ(r3d_levelByArea(&a, &b, &d), c.level) << c.w << "x" << c.h;
    }
    mipmapOn = 0;
    meshVertex_T a = screenVertex(100, 100), b = screenVertex(102, 100), d = screenVertex(100, 102);
    EXPECT_EQ(r3d_levelByArea(&a, &b, &d), 0);
    mipmapOn = 1;
}

TEST(R3dFrame, Mode4ShadeRule)
{
    struct {
        float d, z;
        int shade;
    } cases[] = {
        {0.5f, 0.3f, 16},    // s0 = 1 - trunc(-15.5) = 16
        {0.5f, 0.6f, 16},    // at 0.6 the lit shade stays
        {0.5f, 0.8f, 23},    // 31 - 0.2 x 2.5 x 15 = 23.5
        {0.5f, 1.0f, 29},    // the far end: 31, limited to 29
        {0.5f, 1.7f, 29},
        {-0.2f, 0.95f, 27},  // s0 = 1 - 6, limited to 0; 31 - 0.05 x 2.5 x 31 = 27.1
        {1.0f, 0.2f, 31},    // 1 + 31 = 32, limited to 31
        {-1.0f, 0.2f, 0},
        {0.0f, 0.2f, 1},
        {-1.0f, 0.62f, 2},   // 31 - 0.38 x 2.5 x 31 = 1.55, limited to 2
    };
    for (const auto& c : cases)
        EXPECT_EQ(r3d_mode4Shade(c.d, c.z), c.shade) << c.d << " at " << c.z;
}
