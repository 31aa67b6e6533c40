// The triangle front end: outcodes, trivial rejection, clipping into the
// fixed pool and the fan of the clipped polygon.
#include <gtest/gtest.h>

#include "render/r3d_clip.h"
#include "render/r3d_fill.h"
#include "tests/render/render_fixture.h"

TEST(R3dClip, OutcodesFollowTheTruncatedPosition)
{
    struct {
        float x, y;
        int code;
    } cases[] = {
        {8, 8, 0},          {312, 232, 0},        {7.9f, 100, R3D_OUT_LEFT},  {313, 100, R3D_OUT_RIGHT},
        {100, 7, R3D_OUT_ABOVE}, {100, 233, R3D_OUT_BELOW},
        {0, 0, R3D_OUT_ABOVE | R3D_OUT_LEFT},   {400, 300, R3D_OUT_BELOW | R3D_OUT_RIGHT},
        {312.9f, 232.9f, 0},   // truncation keeps these inside
    };
    for (const auto& c : cases)
        EXPECT_EQ(r3d_outcode(c.x, c.y), c.code) << c.x << "," << c.y;
}

TEST(R3dClip, TriangleAcrossAllFourEdgesGivesSevenVerticesInsideTheRectangle)
{
    meshVertex_T a = screenVertex(160, -150, 10), b = screenVertex(520, 295, 20), c = screenVertex(-100, 192, 30);
    int n = r3d_clipPolygon(&a, &b, &c);
    ASSERT_EQ(n, 7);   // so the fan has n - 2 = 5 triangles
    EXPECT_LE(clipPoolCount, R3D_CLIP_POOL);
    for (int i = 0; i < n; i++) {
        const meshVertex_T& p = clipPool[clipListA.index[i]];
        EXPECT_GE(p.x, 8);
        EXPECT_LE(p.x, 312);
        EXPECT_GE(p.y, 8);
        EXPECT_LE(p.y, 232);
        EXPECT_EQ(p.x, (float)(int)p.x);   // intersections are whole pixels
        EXPECT_EQ(p.y, (float)(int)p.y);
    }
}

TEST(R3dClip, IntersectionInterpolatesColourAndTextureCoordinates)
{
    // c inside at x 100, n outside at x 400: crosses x = 312 at t = 212 / 300.
    meshVertex_T a = screenVertex(100, 100, 0, 0, 10), b = screenVertex(400, 100, 300, 30, 40),
                 c = screenVertex(100, 200, 0, 0, 10);
    clipPool[0] = a;
    clipPool[1] = b;
    clipPool[2] = c;
    clipPoolCount = 3;
    clipList_T in{{0, 1, 2}, 3}, out;
    r3d_clipEdge(&in, &out, 1);
    ASSERT_EQ(out.count, 4);   // the crossing of a -> b, that of b -> c, then c and a
    const meshVertex_T& i1 = clipPool[out.index[0]];
    EXPECT_EQ(i1.x, 312);
    EXPECT_EQ(i1.y, 100);
    EXPECT_EQ(i1.colour, 212);
    EXPECT_FLOAT_EQ(i1.u, 30.0f * 212 / 300);
    EXPECT_FLOAT_EQ(i1.v, 10 + 30.0f * 212 / 300);
}

TEST(R3dClip, TriangleLeftOfTheRectangleDrawsNothingAndUsesNoPool)
{
    testSurface_T s;
    clipPoolCount = -7;   // sentinel: untouched unless the clipper runs
    meshVertex_T a = screenVertex(0, 20, 5), b = screenVertex(7, 100, 5), c = screenVertex(2, 200, 5);
    r3d_triFlat(&a, &b, &c);
    EXPECT_EQ(clipPoolCount, -7);
    EXPECT_EQ(s.countNot(0), 0);
}

TEST(R3dClip, TriangleInsideIsFilledWithoutClippingEvenOnTheEdges)
{
    testSurface_T s;
    clipPoolCount = -7;
    meshVertex_T a = screenVertex(8, 20, 0x1234), b = screenVertex(312, 20, 0x1234), c = screenVertex(8, 60, 0x1234);
    r3d_triFlat(&a, &b, &c);
    EXPECT_EQ(clipPoolCount, -7);
    EXPECT_EQ(s.at(8, 20), 0x1234);
    EXPECT_EQ(s.at(311, 20), 0x1234);
    EXPECT_EQ(s.at(9, 58), 0x1234);
}

TEST(R3dClip, ClippedFlatTriangleKeepsItsFirstColourAndStaysInTheBand)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(160, -150, 0x0F0F), b = screenVertex(520, 295, 0x7777),
                 c = screenVertex(-100, 192, 0x5555);
    r3d_triFlat(&a, &b, &c);
    int painted = 0;
    for (int y = 0; y < 240; y++) {
        for (int x = 0; x < 320; x++) {
            uint16_t p = s.at(x, y);
            if (p == 0)
                continue;
            painted++;
            EXPECT_EQ(p, 0x0F0F);
            // One pixel past a span's right end at most, inside the band.
            EXPECT_TRUE(x >= 8 && x <= 313 && y >= 8 && y < 232) << x << "," << y;
        }
    }
    EXPECT_GT(painted, 20000);
}
