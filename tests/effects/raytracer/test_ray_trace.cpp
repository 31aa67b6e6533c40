#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "effects/raytracer/ray_trace.h"

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

sphere_T sphereAt(float x, float y, float z, double radius, int32_t reflective = 0) {
    sphere_T s;
    s.center.set(x, y, z, 1.0f);
    s.radius = radius;
    s.reflective = reflective;
    return s;
}

TEST(RaySphereHit, TwoRootsOrderedNearFar) {
    const sphere_T s = sphereAt(0, 0, 0, 1.0);
    double nearRoot = 0, farRoot = 0;
    rayCount = 0;
    // From z = -5 one unit a step along +z: the sphere spans t = 4..6.
    EXPECT_EQ(raySphereHit(s, vec4_T(0, 0, -5, 1), vec4_T(0, 0, -4, 1), &nearRoot, &farRoot), 2);
    EXPECT_DOUBLE_EQ(nearRoot, 4.0);
    EXPECT_DOUBLE_EQ(farRoot, 6.0);
    // Pointing away: both roots behind the start, still near < far.
    EXPECT_EQ(raySphereHit(s, vec4_T(0, 0, -5, 1), vec4_T(0, 0, -6, 1), &nearRoot, &farRoot), 2);
    EXPECT_DOUBLE_EQ(nearRoot, -6.0);
    EXPECT_DOUBLE_EQ(farRoot, -4.0);
    EXPECT_EQ(rayCount, 2);
}

TEST(RaySphereHit, MissAndTangentLeaveRootsAsTheyWere) {
    const sphere_T s = sphereAt(0, 0, 0, 1.0);
    double nearRoot = 11, farRoot = 22;
    rayCount = 5;
    EXPECT_EQ(raySphereHit(s, vec4_T(2, 0, -5, 1), vec4_T(2, 0, -4, 1), &nearRoot, &farRoot), 0);
    EXPECT_EQ(nearRoot, 11);
    EXPECT_EQ(farRoot, 22);
    // Grazing the sphere at x = 1: one root, the far root keeps the old value.
    EXPECT_EQ(raySphereHit(s, vec4_T(1, 0, -5, 1), vec4_T(1, 0, -4, 1), &nearRoot, &farRoot), 1);
    EXPECT_DOUBLE_EQ(nearRoot, 5.0);
    EXPECT_EQ(farRoot, 22);
    EXPECT_EQ(rayCount, 7);
}

TEST(RayRects, OverlapCases) {
    struct overlapCase_T {
        const char* what;
        rayRect_T a, b;
        int expected;
    };
    const overlapCase_T cases[] = {
        {"square inside the cell", {0, 0, 10, 10}, {2, 2, 5, 5}, 1},
        {"cell inside the square", {2, 2, 5, 5}, {0, 0, 10, 10}, 1},
        {"shared edge", {0, 0, 10, 10}, {10, 3, 20, 6}, 1},
        {"shared corner only", {0, 0, 10, 10}, {10, 10, 12, 12}, 1},
        {"one column apart", {0, 0, 10, 10}, {11, 0, 20, 10}, 0},
        {"plus-sign crossing", {4, 0, 6, 20}, {0, 8, 20, 12}, 0},
        {"negative coordinates", {-8, -8, -2, -2}, {-3, -3, 4, 4}, 1},
    };
    for (const overlapCase_T& c : cases)
        EXPECT_EQ(rectsOverlap(c.a, c.b), c.expected) << c.what;
}

TEST(RayRects, ProjectedSquare) {
    struct squareCase_T {
        sphere_T s;
        rayRect_T square;
    };
    const squareCase_T cases[] = {
        // sx = trunc(0.75 x 160) = 120; sy = trunc((-0.25 + 0.6666666666666666) x 120)
        // = trunc(49.99999999999999) = 49; sr = trunc(0.25 x 200) = 50.
        {sphereAt(1, -1, 4, 1.0), {70, -1, 170, 99}},
        // sx = trunc(-26.67) = -26 (toward zero, not down); sy = 80; sr = 100.
        {sphereAt(-1, 0, 1.5f, 0.75), {-126, -20, 74, 180}},
    };
    for (const squareCase_T& c : cases) {
        const rayRect_T r = ray_projectSquare(c.s);
        EXPECT_EQ(r.x0, c.square.x0);
        EXPECT_EQ(r.y0, c.square.y0);
        EXPECT_EQ(r.x1, c.square.x1);
        EXPECT_EQ(r.y1, c.square.y1);
    }
}

TEST(RayLighting, IndexFromCosine) {
    struct lightCase_T {
        float d;
        int index;
    };
    const lightCase_T cases[] = {
        {1.0f, 255}, {0.5f, 31}, {0.0f, 0}, {-0.25f, 0}, {-1.0f, 0}, {1.01f, 255},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const lightCase_T& c : cases)
        EXPECT_EQ(ray_lightIndex(c.d), c.index) << c.d;
}

TEST(RayLighting, ReflectionBlendWithSpheresZeroAndOne) {
    ray_buildRamps();
    // 3/4 of (252, 252, 255) per channel is (189, 189, 189); a quarter of
    // ramp 0 entry 63 (159, 0, 0) is (39, 0, 0), of ramp 1 entry 63
    // (128, 159, 31) is (32, 39, 7).
    EXPECT_EQ(ray_reflectBlend(rgb(252, 252, 255), 0), rgb(228, 189, 189));
    EXPECT_EQ(ray_reflectBlend(rgb(252, 252, 255), 1), rgb(221, 228, 196));
    EXPECT_EQ(ray_reflectBlend(0, 0), rgb(39, 0, 0));
}

// One pixel on the axis of the view, traced at leaf level with only the
// spheres named in active allowed to be hit first.
class RayPixel : public testing::Test {
protected:
    void SetUp() override {
        ray_buildRamps();
        for (sphere_T& s : raySpheres)
            s = sphereAt(100, 100, 100, 1.0);   // out of the way
        for (uint32_t& p : rayImage)
            p = 0xABCDEF;
    }
    // Pixel (80, 80) looks straight along +z from the eye at (0, 0, -1).
    uint32_t trace(int32_t a0, int32_t a1, int32_t a2) {
        const int32_t active[RAY_SPHERES] = {a0, a1, a2};
        traceCell(80, 80, 81, 81, RAY_LEVELS, active);
        return rayImage[80 * RAY_W + 80];
    }
};

TEST_F(RayPixel, LitShadowedAndFacingAway) {
    // The mirror-less sphere 2 at z = 10 is hit at (0, 0, 8), normal (0, 0, -1).
    raySpheres[2] = sphereAt(0, 0, 10, 2.0);
    struct litCase_T {
        const char* what;
        vec4_T light;
        uint32_t pixel;
    };
    const litCase_T cases[] = {
        {"head-on light: d = 1", vec4_T(0, 0, -1, 1), sphereRamps[2][255]},
        {"light at 60 degrees: d = 0.5", vec4_T(0, std::sqrt(3.0f) * 4, 4, 1), sphereRamps[2][31]},
        {"light behind the sphere", vec4_T(0, 0, 20, 1), sphereRamps[2][0]},
    };
    for (const litCase_T& c : cases) {
        rayLight = c.light;
        EXPECT_EQ(trace(0, 0, 1), c.pixel) << c.what;
    }
}

TEST_F(RayPixel, AnySphereOnTheLightLineShadows) {
    raySpheres[2] = sphereAt(0, 0, 10, 2.0);
    rayLight = vec4_T(0, 0, -1, 1);
    raySpheres[0] = sphereAt(0, 0, 4, 1.0);   // between the point and the light
    EXPECT_EQ(trace(0, 0, 1), sphereRamps[2][0]);
    raySpheres[0] = sphereAt(0, 0, -6, 1.0);  // beyond the light: still a shadow
    EXPECT_EQ(trace(0, 0, 1), sphereRamps[2][0]);
    raySpheres[0] = sphereAt(5, 0, 4, 1.0);   // off the line
    EXPECT_EQ(trace(0, 0, 1), sphereRamps[2][255]);
}

TEST_F(RayPixel, NothingHitKeepsTheFadedValue) {
    rayLight = vec4_T(0, 0, -1, 1);
    EXPECT_EQ(trace(1, 1, 1), 0xABCDEFu);
    // An inactive sphere in the way is not looked at.
    raySpheres[1] = sphereAt(0, 0, 10, 2.0);
    EXPECT_EQ(trace(1, 0, 1), 0xABCDEFu);
}

TEST_F(RayPixel, MirrorTakesTheColourOfTheSphereOnItsNormal) {
    // Sphere 2 is the mirror at (0, 0, 10); its normal ray at the hit point
    // (0, 0, 8) runs back along -z. The light sits below, off that line:
    // d = 8 / sqrt(73), ramp entry trunc(255 d^3) = 209 = (68, 68, 232),
    // which fades to (51, 51, 174) before the blend.
    raySpheres[2] = sphereAt(0, 0, 10, 2.0, 1);
    rayLight = vec4_T(0, -3, 0, 1);
    ASSERT_EQ(sphereRamps[2][209], rgb(68, 68, 232));
    struct mirrorCase_T {
        const char* what;
        sphere_T s0, s1;
        uint32_t pixel;
    };
    const mirrorCase_T cases[] = {
        {"sphere 0 on the normal", sphereAt(0, 0, -5, 1.0), sphereAt(100, 100, 100, 1.0), rgb(51 + 39, 51, 174)},
        {"sphere 1 on the normal", sphereAt(100, 100, 100, 1.0), sphereAt(0, 0, -5, 1.0), rgb(51 + 32, 51 + 39, 174 + 7)},
        {"both on the normal: the nearer one", sphereAt(0, 0, -20, 1.0), sphereAt(0, 0, -5, 1.0),
         rgb(51 + 32, 51 + 39, 174 + 7)},
        // Sphere 0 spans t = 7..8 along the normal ray, sphere 1 t = 6..7.5:
        // sphere 1's far root 7.5 is compared with the near root 7 that
        // sphere 0 left, so sphere 0 stays although sphere 1 starts nearer.
        {"far root against the kept near root", sphereAt(0, 0, -5, 1.0), sphereAt(0, 0, -3.5f, 1.5),
         rgb(51 + 39, 51, 174)},
        {"neither: plain shade", sphereAt(100, 100, 100, 1.0), sphereAt(100, 100, 100, 1.0), rgb(68, 68, 232)},
    };
    for (const mirrorCase_T& c : cases) {
        raySpheres[0] = c.s0;
        raySpheres[1] = c.s1;
        EXPECT_EQ(trace(0, 0, 1), c.pixel) << c.what;
    }
}

TEST(RayTraceCell, SubdivisionGivesTheSameImageAsTracingEveryPixel) {
    ray_createSpheres();
    ray_buildRamps();
    rayClock = 3.0;
    ray_animate();
    const int32_t all[RAY_SPHERES] = {1, 1, 1};

    for (uint32_t& p : rayImage)
        p = 0x010203;
    rayCount = 0;
    traceCell(0, 0, RAY_W, RAY_H, 0, all);
    const int32_t subdividedCount = rayCount;
    const std::vector<uint32_t> subdivided(rayImage, rayImage + RAY_W * RAY_H);

    for (uint32_t& p : rayImage)
        p = 0x010203;
    rayCount = 0;
    for (int32_t y = 0; y < RAY_H; y++)
        for (int32_t x = 0; x < RAY_W; x++)
            traceCell(x, y, x + 1, y + 1, RAY_LEVELS, all);
    EXPECT_EQ(subdivided, std::vector<uint32_t>(rayImage, rayImage + RAY_W * RAY_H));
    EXPECT_LT(subdividedCount, rayCount / 2);   // most of the screen was skipped

    int background = 0, shaded = 0;
    for (uint32_t p : subdivided)
        (p == 0x010203 ? background : shaded)++;
    EXPECT_GT(background, 0);
    EXPECT_GT(shaded, 0);
}

TEST(RayTraceCell, NoSquareOnScreenTracesNothing) {
    for (sphere_T& s : raySpheres)
        s = sphereAt(-50, 0, 10, 1.0);   // far left of the image
    for (uint32_t& p : rayImage)
        p = 0x445566;
    rayCount = 0;
    const int32_t all[RAY_SPHERES] = {1, 1, 1};
    traceCell(0, 0, RAY_W, RAY_H, 0, all);
    EXPECT_EQ(rayCount, 0);
    for (uint32_t p : rayImage)
        ASSERT_EQ(p, 0x445566u);
}

}  // namespace
