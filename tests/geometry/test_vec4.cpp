#include <gtest/gtest.h>

#include <cmath>

#include "geometry/mat4.h"
#include "geometry/vec4.h"

namespace {

void expectVec(const vec4_T& v, float x, float y, float z, float w, float tolerance = 0.0f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
    EXPECT_NEAR(v.w, w, tolerance);
}

TEST(Vec4, GetReturnsZeroForTheFourthAndOutOfRangeIndices)
{
    vec4_T v(1, 2, 3, 9);
    EXPECT_EQ(v.get(0), 1.0f);
    EXPECT_EQ(v.get(1), 2.0f);
    EXPECT_EQ(v.get(2), 3.0f);
    EXPECT_EQ(v.get(3), 0.0f);
    EXPECT_EQ(v.get(-1), 0.0f);
    EXPECT_EQ(v.get(7), 0.0f);
}

TEST(Vec4, ArithmeticSetsWToOne)
{
    vec4_T a(1, 2, 3, 9), b(1, 1, 1, 9);
    expectVec(a + b, 2, 3, 4, 1);
    expectVec(a - b, 0, 1, 2, 1);
    expectVec(-a, -1, -2, -3, 1);
    expectVec(a * 2.0f, 2, 4, 6, 1);
    expectVec(a / 2.0f, 0.5f, 1, 1.5f, 1);
    expectVec(vec4_T(1, 0, 0, 5).cross(vec4_T(0, 1, 0, 5)), 0, 0, 1, 1);
    expectVec(vec4_T(0, 1, 0, 0).cross(vec4_T(1, 0, 0, 0)), 0, 0, -1, 1);
    EXPECT_EQ(vec4_T(1, 2, 3, 100).dot(vec4_T(4, 5, 6, 100)), 32.0f);
}

TEST(Vec4, AddAssignAndNormalizeKeepW)
{
    vec4_T a(1, 2, 3, 9);
    vec4_T copy = (a += vec4_T(1, 1, 1, 5));
    expectVec(a, 2, 3, 4, 9);
    expectVec(copy, 2, 3, 4, 9);

    vec4_T n(3, 4, 0, 7);
    vec4_T result = n.normalize();
    expectVec(n, 0.6f, 0.8f, 0, 7, 1e-7f);
    expectVec(result, 0.6f, 0.8f, 0, 7, 1e-7f);
}

TEST(Vec4, DistanceIgnoresW)
{
    EXPECT_EQ(vec4_T(0, 0, 0, 1).distance(vec4_T(1, 2, 2, 50)), 3.0f);
}

TEST(Vec4, RotateZIsCounterClockwiseAndOverwritesTheCurrentMatrix)
{
    mat_load(mat_translate(100, 100, 100));
    vec4_T v(1, 0, 0, 1);
    v.rotateZ(90.0f);
    expectVec(v, 0, 1, 0, 1, 1e-5f);
    // The translation loaded before is gone: rotateZ reloaded the identity.
    EXPECT_EQ(mat_current.m[12], 0.0f);
}

TEST(Mat4, RotationUsesTheDemosDegreeFactor)
{
    const mat4_T* r = mat_rotateZ(180.0f);
    float radians = 180.0f * 0.01745328f;   // a little less than pi
    EXPECT_EQ(r->m[0], std::cos(radians));
    EXPECT_EQ(r->m[1], std::sin(radians));
    EXPECT_GT(r->m[1], 0.0f);
    EXPECT_EQ(r->m[4], -std::sin(radians));
    EXPECT_EQ(r->m[15], 1.0f);
}

TEST(Mat4, TranslateMovesPointsButNotDirections)
{
    mat_load(mat_translate(1, 2, 3));
    vec4_T v[2] = {vec4_T(0, 0, 0, 1), vec4_T(1, 0, 0, 0)};
    mat_transform(v, v, 2);
    expectVec(v[0], 1, 2, 3, 1);
    expectVec(v[1], 1, 0, 0, 0);
}

TEST(Mat4, MultAppliesTheNewMatrixAfterTheCurrentOne)
{
    // Load a translation, then rotate: the point is translated first.
    mat_load(mat_translate(1, 0, 0));
    mat_mult(mat_rotateZ(90.0f));
    vec4_T p(0, 0, 0, 1), out;
    mat_transform(&out, &p, 1);
    expectVec(out, 0, 1, 0, 1, 1e-5f);

    // The other order: rotated first, then translated.
    mat_load(mat_rotateZ(90.0f));
    mat_mult(mat_translate(1, 0, 0));
    vec4_T q(1, 0, 0, 1);
    mat_transform(&out, &q, 1);
    expectVec(out, 1, 1, 0, 1, 1e-5f);
}

TEST(Mat4, BuildersRewriteTheirOwnResult)
{
    const mat4_T* a = mat_translate(1, 2, 3);
    const mat4_T* b = mat_translate(4, 5, 6);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->m[12], 4.0f);
    const mat4_T* id = mat_identity();
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(id->m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
}

TEST(Mat4, MultReadsAllOfTheOldCurrentBeforeWriting)
{
    // Squaring a general matrix through mat_mult(&mat_current) needs every
    // element of the old matrix while the product is formed.
    mat4_T m;
    for (int i = 0; i < 16; i++)
        m.m[i] = (float)(i + 1);
    mat_load(&m);
    mat_mult(&m);
    // Row 0 of m x m: (1 2 3 4) x columns of m.
    EXPECT_EQ(mat_current.m[0], 1 * 1 + 2 * 5 + 3 * 9 + 4 * 13);
    EXPECT_EQ(mat_current.m[3], 1 * 4 + 2 * 8 + 3 * 12 + 4 * 16);
    EXPECT_EQ(mat_current.m[15], 13 * 4 + 14 * 8 + 15 * 12 + 16 * 16);
}

}
