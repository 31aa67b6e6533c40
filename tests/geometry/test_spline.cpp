#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/spline.h"

namespace {

// The fly-through's control points: a long path where the solving procedure
// shows.
const vec4_T longPath[15] = {
    {30, 82, 62, 1},     {162, 185, 64, 1},   {355, 276, 65, 1},   {658, 323, 73, 1},    {1071, 476, 76, 1},
    {1416, 644, 80, 1},  {1532, 918, 94, 1},  {1706, 1065, 198, 1}, {1860, 1260, 283, 1}, {1753, 1714, 297, 1},
    {1446, 1725, 263, 1}, {1105, 1363, 254, 1}, {895, 1294, 322, 1}, {753, 1054, 294, 1},  {643, 659, 176, 1},
};

TEST(Spline, ThreeCollinearPointsGiveAStraightUniformPath)
{
    const vec4_T points[3] = {{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 0, 0, 1}};
    spline_T path(3, points);
    vec4_T p = path.position(0.25f);
    EXPECT_FLOAT_EQ(p.x, 0.5f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_EQ(p.w, 1.0f);
    vec4_T t = path.tangent(0.25f);
    EXPECT_FLOAT_EQ(t.x, 1.0f);
    EXPECT_EQ(t.y, 0.0f);
    EXPECT_EQ(t.w, 1.0f);
    EXPECT_FLOAT_EQ(path.position(0.75f).x, 1.5f);
}

TEST(Spline, KnotsAreNormalisedChordLengths)
{
    const vec4_T points[4] = {{0, 0, 0, 1}, {3, 4, 0, 1}, {3, 4, 10, 1}, {3, 4, 15, 1}};
    spline_T path(4, points);
    EXPECT_EQ(path.count, 4);
    EXPECT_EQ(path.knots[0], 0.0f);
    EXPECT_FLOAT_EQ(path.knots[1], 0.25f);
    EXPECT_FLOAT_EQ(path.knots[2], 0.75f);
    EXPECT_FLOAT_EQ(path.knots[3], 1.0f);
}

TEST(Spline, EveryKnotGivesItsControlPoint)
{
    spline_T path(15, longPath);
    for (int i = 0; i < 14; i++) {
        vec4_T p = path.position(path.knots[i]);
        EXPECT_EQ(p.x, longPath[i].x) << i;
        EXPECT_EQ(p.y, longPath[i].y) << i;
        EXPECT_EQ(p.z, longPath[i].z) << i;
    }
}

TEST(Spline, OnlyTheFractionalPartCounts)
{
    spline_T path(15, longPath);
    for (float s : {0.0f, 0.125f, 0.5f, 0.75f, 0.875f}) {
        for (float whole : {1.0f, 2.0f, 5.0f}) {
            vec4_T a = path.position(s), b = path.position(s + whole);
            EXPECT_EQ(a.x, b.x) << s;
            EXPECT_EQ(a.y, b.y) << s;
            EXPECT_EQ(a.z, b.z) << s;
            vec4_T ta = path.tangent(s), tb = path.tangent(s + whole);
            EXPECT_EQ(ta.x, tb.x) << s;
        }
    }
    vec4_T start = path.position(1.0f);
    EXPECT_EQ(start.x, 30.0f);
    EXPECT_EQ(start.y, 82.0f);
}

TEST(Spline, TangentIsTheDerivativeOfPosition)
{
    spline_T path(15, longPath);
    // Inside segment 3: d position / d s = tangent / (knot[4] - knot[3]).
    float s = (path.knots[3] + path.knots[4]) * 0.5f, h = 1e-4f;
    float span = path.knots[4] - path.knots[3];
    vec4_T t = path.tangent(s);
    vec4_T numeric = (path.position(s + h) - path.position(s - h)) / (2 * h);
    EXPECT_NEAR(numeric.x * span, t.x, std::fabs(t.x) * 0.02f + 1.0f);
    EXPECT_NEAR(numeric.y * span, t.y, std::fabs(t.y) * 0.02f + 1.0f);
}

// The derivatives are the b coefficients. The walk back uses every equation
// but the second, so all others hold to rounding while the second collects
// the amplified error of the last derivative: the mark of the demo's solver,
// which an exact solver would not leave.
TEST(Spline, DerivativesComeFromTheAmplifyingBackSubstitution)
{
    spline_T path(15, longPath);
    const int n = 15;
    double worstOther = 0, second = 0;
    for (int axis = 0; axis < 3; axis++) {
        std::vector<double> p(n), D(n), r(n);
        for (int i = 0; i < n; i++)
            p[i] = longPath[i].get(axis);
        for (int i = 0; i < n - 1; i++)
            D[i] = path.segments[i].axis[axis].b;
        const splineCubic_T& last = path.segments[n - 2].axis[axis];
        D[n - 1] = (double)last.b + 2.0 * last.c + 3.0 * last.d;
        r[0] = 3 * (p[1] - p[0]);
        r[n - 1] = 3 * (p[n - 1] - p[n - 2]);
        for (int i = 1; i < n - 1; i++)
            r[i] = 3 * (p[i + 1] - p[i - 1]);
        worstOther = std::max(worstOther, std::fabs(2 * D[0] + D[1] - r[0]));
        for (int i = 2; i < n - 1; i++)
            worstOther = std::max(worstOther, std::fabs(D[i - 1] + 4 * D[i] + D[i + 1] - r[i]));
        second = std::max(second, std::fabs(D[0] + 4 * D[1] + D[2] - r[1]));
    }
    EXPECT_LT(worstOther, 0.01);
    EXPECT_GT(second, 100 * worstOther);
    EXPECT_GT(second, 0.01);
}

TEST(Spline, FewerThanTwoPointsMakeAnEmptyPath)
{
    const vec4_T one[1] = {{5, 5, 5, 1}};
    spline_T path(1, one);
    EXPECT_EQ(path.count, 0);
    vec4_T p = path.position(0.5f);
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.w, 1.0f);
}

}
