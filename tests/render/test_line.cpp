// Clipped lines: Cohen-Sutherland, then Bresenham without the far end.
#include <gtest/gtest.h>

#include "render/r3d_fill.h"
#include "tests/render/render_fixture.h"

namespace {
std::vector<int> plottedColumns(const testSurface_T& s, int y)
{
    std::vector<int> xs;
    for (int x = 0; x < 320; x++)
        if (s.at(x, y))
            xs.push_back(x);
    return xs;
}
}  // namespace

TEST(R3dLine, ShortHorizontalLineLeavesOutItsFarEnd)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(10, 10, 0x1111), b = screenVertex(20, 10, 0x2222);
    r3d_line(&a, &b);
    std::vector<int> xs = plottedColumns(s, 10);
    ASSERT_EQ(xs.size(), 10u);
    EXPECT_EQ(xs.front(), 10);
    EXPECT_EQ(xs.back(), 19);
    EXPECT_EQ(s.at(15, 10), 0x1111);
    EXPECT_EQ(s.countNot(0), 10);
}

TEST(R3dLine, LineLeavingTheRectangleIsDrawnFromTheClippedEndInBothDirections)
{
    struct {
        float x0, x1;
        uint16_t expectedColour;
    } cases[] = {
        {100, 400, 0x2222},   // the inside end is swapped to second: drawn from x 312 in b's colour
        {400, 100, 0x1111},   // already outside first: the same pixels in a's colour
    };
    for (const auto& c : cases) {
        testSurface_T s;
        meshVertex_T a = screenVertex(c.x0, 100, 0x1111), b = screenVertex(c.x1, 100, 0x2222);
        r3d_line(&a, &b);
        std::vector<int> xs = plottedColumns(s, 100);
        ASSERT_EQ(xs.size(), 212u) << c.x0;
        EXPECT_EQ(xs.front(), 101);
        EXPECT_EQ(xs.back(), 312);
        EXPECT_EQ(s.at(200, 100), c.expectedColour);
        EXPECT_EQ(s.countNot(0), 212);
    }
}

TEST(R3dLine, SteepAndDiagonalLinesStepOneRowAtATime)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(50, 20, 7), b = screenVertex(60, 60, 7);
    r3d_line(&a, &b);
    for (int y = 20; y < 60; y++)
        EXPECT_EQ(plottedColumns(s, y).size(), 1u) << y;
    EXPECT_EQ(s.at(50, 20), 7);
    EXPECT_EQ(s.countNot(0), 40);
}

TEST(R3dLine, LinesOutsideOnOneSideOrWithCoincidentEndsDrawNothing)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(-50, 100, 7), b = screenVertex(5, 200, 7);
    r3d_line(&a, &b);
    meshVertex_T c = screenVertex(100, 100, 7);
    r3d_line(&c, &c);
    EXPECT_EQ(s.countNot(0), 0);
}

TEST(R3dLine, LineCrossingTwoEdgesStaysInsideTheRectangle)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(-100, -50, 9), b = screenVertex(500, 400, 9);
    r3d_wireTriangle(&a, &b, &a);
    int n = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            if (s.at(x, y)) {
                n++;
                EXPECT_TRUE(x >= 8 && x <= 312 && y >= 8 && y <= 232) << x << "," << y;
            }
    EXPECT_GT(n, 100);
}
