#include <gtest/gtest.h>

#include <cmath>

#include "effects/raytracer/ray_scene.h"

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

TEST(RayScene, RampCheckValues) {
    ray_buildRamps();
    struct rampCase_T {
        int ramp, entry;
        uint32_t color;
    };
    const rampCase_T cases[] = {
        {0, 0, rgb(128, 0, 0)},   {0, 63, rgb(159, 0, 0)},    {0, 192, rgb(224, 0, 0)},   {0, 255, rgb(255, 126, 252)},
        {1, 0, rgb(128, 128, 0)}, {1, 63, rgb(128, 159, 31)}, {1, 192, rgb(128, 224, 96)}, {1, 255, rgb(128, 255, 127)},
        {2, 0, rgb(0, 0, 128)},   {2, 63, rgb(0, 0, 159)},    {2, 192, rgb(0, 0, 224)},   {2, 255, rgb(252, 252, 255)},
        {1, 193, rgb(128, 224, 96 | 2)},   // the OR: 96 | 2 = 98
        {1, 208, rgb(128, 232, 104)},      // 104 | 32 = 104: an OR, not a sum (136)
    };
    for (const rampCase_T& c : cases)
        EXPECT_EQ(sphereRamps[c.ramp][c.entry], c.color) << "ramp " << c.ramp << " entry " << c.entry;
}

TEST(RayScene, ChannelFadesFrom255ToBlackIn13Frames) {
    const uint32_t steps[] = {189, 141, 105, 78, 57, 42, 30, 21, 15, 9, 6, 3, 0};
    uint32_t p = 0xFFFFFFFFu;   // the top byte goes at once
    for (uint32_t expected : steps) {
        p = ray_fadePixel(p);
        EXPECT_EQ(p, rgb(expected, expected, expected));
    }
    // Channels fade independently, without borrowing into each other.
    EXPECT_EQ(ray_fadePixel(rgb(255, 3, 0)), rgb(189, 0, 0));
    EXPECT_EQ(ray_fadePixel(rgb(4, 255, 7)), rgb(3, 189, 3));
}

TEST(RayScene, FadeImageTouchesEveryPixel) {
    for (int i = 0; i < RAY_W * RAY_H; i++)
        rayImage[i] = rgb(255, 255, 255);
    ray_fadeImage();
    for (int i = 0; i < RAY_W * RAY_H; i++)
        ASSERT_EQ(rayImage[i], rgb(189, 189, 189)) << i;
}

TEST(RayScene, AnimationAtTimeZeroAndClockStep) {
    ray_createSpheres();
    EXPECT_DOUBLE_EQ(raySpheres[0].radius, 1.2999999523162842);
    EXPECT_DOUBLE_EQ(raySpheres[1].radius, 0.800000011920929);
    EXPECT_EQ(raySpheres[2].reflective, 1);
    EXPECT_EQ(raySpheres[0].reflective, 0);

    rayClock = 0.0;
    ray_animate();
    EXPECT_FLOAT_EQ(raySpheres[0].center.x, -2.5f);
    EXPECT_FLOAT_EQ(raySpheres[0].center.z, 11.5f);
    EXPECT_FLOAT_EQ(raySpheres[1].center.x, 0.5f);
    EXPECT_FLOAT_EQ(raySpheres[1].center.y, 1.5f);
    EXPECT_FLOAT_EQ(raySpheres[1].center.z, 7.5f);
    EXPECT_FLOAT_EQ(raySpheres[2].center.x, 2.0f);
    EXPECT_FLOAT_EQ(raySpheres[2].center.y, 0.0f);
    EXPECT_FLOAT_EQ(raySpheres[2].center.z, 13.5f);
    EXPECT_FLOAT_EQ(rayLight.x, 0.0f);
    EXPECT_FLOAT_EQ(rayLight.y, 10.0f);
    EXPECT_FLOAT_EQ(rayLight.z, 10.0f);
    EXPECT_EQ(rayClock, (double)0.2f);

    // Five steps later t = 5 x 0.2f: sphere 0 at z = 11.5 + 4 sin(0.3 t).
    for (int i = 0; i < 5; i++)
        ray_animate();
    const double t = 5 * (double)0.2f;
    EXPECT_FLOAT_EQ(raySpheres[0].center.z, (float)(11.5 + 4 * std::sin(0.3 * t)));
    EXPECT_FLOAT_EQ(raySpheres[2].center.x, (float)(2 + 2 * std::sin((double)0.4f * t)));
    EXPECT_FLOAT_EQ(rayLight.z, (float)(-10 + 20 * std::cos((double)1.1f * t)));
}

}  // namespace
