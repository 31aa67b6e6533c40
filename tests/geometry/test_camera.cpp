#include <gtest/gtest.h>

#include "geometry/camera.h"

namespace {

void expectVec(const vec4_T& v, float x, float y, float z, float w)
{
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
    EXPECT_EQ(v.w, w);
}

TEST(PVCamera, StartsAtTheOriginWithTheWorldAxes)
{
    PVCamera cam;
    expectVec(cam.position, 0, 0, 0, 1);
    expectVec(cam.axisRows[0], 0, 0, 1, 1);
    expectVec(cam.axisRows[1], 0, 1, 0, 1);
    expectVec(cam.axisRows[2], 1, 0, 0, 1);
    expectVec(cam.camX(), 1, 0, 0, 1);
    expectVec(cam.camZ(), 0, 0, 1, 1);
}

TEST(PVCamera, LookingAlongXPutsYRightAndDownDown)
{
    PVCamera cam;
    cam.setPosition(5, 6, 7);
    cam.lookAt(vec4_T(15, 6, 7, 1));
    expectVec(cam.camZ(), 1, 0, 0, 1);
    expectVec(cam.camX(), 0, 1, 0, 1);
    expectVec(cam.camY(), 0, 0, -1, 1);
    // Stored by component: row 0 holds the z of X, Y and Z.
    expectVec(cam.axisRows[0], 0, -1, 0, 1);
    expectVec(cam.axisRows[1], 1, 0, 0, 1);
    expectVec(cam.axisRows[2], 0, 0, 1, 1);
}

TEST(PVCamera, AxesAreUnitAndPerpendicularForASlantedView)
{
    PVCamera cam;
    cam.setPosition(vec4_T(100, 200, 300, 1));
    cam.lookAt(vec4_T(97, 204, 298, 1));
    vec4_T x = cam.camX(), y = cam.camY(), z = cam.camZ();
    EXPECT_NEAR(x.dot(x), 1.0f, 1e-5f);
    EXPECT_NEAR(y.dot(y), 1.0f, 1e-5f);
    EXPECT_NEAR(z.dot(z), 1.0f, 1e-5f);
    EXPECT_NEAR(x.dot(y), 0.0f, 1e-6f);
    EXPECT_NEAR(x.dot(z), 0.0f, 1e-6f);
    EXPECT_NEAR(y.dot(z), 0.0f, 1e-6f);
    EXPECT_EQ(x.z, 0.0f);   // the screen's right stays level
    EXPECT_LT(y.z, 0.0f);   // and its down points down
}

TEST(PVCamera, SetPositionFromFloatsKeepsW)
{
    PVCamera cam;
    cam.setPosition(vec4_T(1, 2, 3, 4));
    cam.setPosition(7, 8, 9);
    expectVec(cam.position, 7, 8, 9, 4);
}

}
