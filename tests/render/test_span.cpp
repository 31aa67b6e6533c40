// The scan set-up and the span pixel rule shared by the fillers, the fillers'
// per-pixel values, and the scaled division their steps use.
#include <gtest/gtest.h>

#include "render/r3d_fill.h"
#include "render/r3d_muldiv.h"
#include "render/r3d_scan.h"
#include "render/r3d_tex.h"
#include "tests/render/render_fixture.h"

namespace {

// Values are plain numbers stepping by -1 per pixel from the right end;
// the left end's value is set apart so its single pixel can be told.
struct countPix_T {
    int value;
    int leftValue;
    uint16_t cur() const { return (uint16_t)value; }
    uint16_t back() const { return (uint16_t)(value - 1); }
    uint16_t leftEnd() const { return (uint16_t)leftValue; }
    void step1() { value -= 1; }
    void step2() { value -= 2; }
};

std::vector<uint16_t> spanRow(int left, int right, int rightValue)
{
    std::vector<uint16_t> row(16, 0);
    countPix_T p{rightValue, 900};
    r3d_spanRule(row.data(), left, right, p);
    return row;
}

}  // namespace

TEST(R3dSpan, MulDivRoundsHalvesAwayFromZero)
{
    struct {
        int32_t a, b, c, expected;
    } cases[] = {
        {3, 1, 2, 2},     {-3, 1, 2, -2},  {3, -1, 2, -2},  {3, 1, -2, -2},  {1, 1, 3, 0},
        {2, 1, 3, 1},     {65536, 65536, 0x20000, 32768},  {5, 65536, 0, -1},   // zero divisor
        {0x40000000, 4, 1, -1},                                                // overflow
        {-7 * 65536, 65536, 2 * 65536, -229376},
    };
    for (const auto& c : cases)
        EXPECT_EQ(r3d_mulDiv(c.a, c.b, c.c), c.expected) << c.a << " " << c.b << " " << c.c;
}

TEST(R3dSpan, LeftThreeRightSixWritesPixelThreeThenTwoWordsRightToLeft)
{
    std::vector<uint16_t> row = spanRow(3, 6, 60);
    EXPECT_EQ(row[2], 0);
    EXPECT_EQ(row[3], 900);   // alone, with the left end's value
    // Word 3 first: pixel 7 (one past the right end) gets the right end's
    // value, pixel 6 one step less; then word 2.
    EXPECT_EQ(row[7], 60);
    EXPECT_EQ(row[6], 59);
    EXPECT_EQ(row[5], 58);
    EXPECT_EQ(row[4], 57);
    EXPECT_EQ(row[8], 0);
}

TEST(R3dSpan, OddRightEndIsWrittenAloneThenAgainOneStepOn)
{
    std::vector<uint16_t> row = spanRow(4, 7, 70);
    EXPECT_EQ(row[7], 69);   // first 70 alone, then rewritten by word 3
    EXPECT_EQ(row[6], 68);
    EXPECT_EQ(row[5], 67);
    EXPECT_EQ(row[4], 66);
    EXPECT_EQ(row[3], 0);
    EXPECT_EQ(row[8], 0);
}

TEST(R3dSpan, RightEndLeftOfLeftEndDrawsOnlyTheSinglePixels)
{
    std::vector<uint16_t> odd = spanRow(10, 7, 70);   // pixel 7 alone, no word
    for (int x = 0; x < 16; x++)
        EXPECT_EQ(odd[x], x == 7 ? 70 : 0) << x;
    std::vector<uint16_t> even = spanRow(11, 8, 80);   // pixel 11 alone, no word
    for (int x = 0; x < 16; x++)
        EXPECT_EQ(even[x], x == 11 ? 900 : 0) << x;
}

TEST(R3dSpan, TriangleLessThanOneRowHighDrawsNothing)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(20, 50.2f, 7), b = screenVertex(200, 50.9f, 7), c = screenVertex(100, 51.1f, 7);
    r3d_triFlat(&a, &b, &c);
    EXPECT_EQ(s.countNot(0), 0);
}

TEST(R3dSpan, FlatBottomTriangleCoversRowsTopToBottomMinusOne)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(100, 50, 0x00F0), b = screenVertex(40, 80, 1), c = screenVertex(160, 80, 2);
    r3d_triFlat(&a, &b, &c);
    for (int y = 0; y < 240; y++) {
        int row = 0;
        for (int x = 0; x < 320; x++)
            row += s.at(x, y) != 0;
        EXPECT_EQ(row > 0, y >= 50 && y < 80) << y;
    }
    // The colour of the first vertex fills both halves of every word.
    EXPECT_EQ(s.at(100, 79), 0x00F0);
    EXPECT_EQ(s.at(101, 79), 0x00F0);
    EXPECT_EQ(s.at(42, 79), 0x00F0);
}

TEST(R3dSpan, SecondHalfContinuesTheEdgeThatEndedAtMid)
{
    // top (100, 20), mid (180, 60) on the right, bottom (120, 120).
    testSurface_T s;
    meshVertex_T a = screenVertex(100, 20, 5), b = screenVertex(180, 60, 5), c = screenVertex(120, 120, 5);
    r3d_triFlat(&a, &b, &c);
    auto rightmost = [&](int y) {
        int r = -1;
        for (int x = 0; x < 320; x++)
            if (s.at(x, y))
                r = x;
        return r;
    };
    // The right edge runs 2 columns a row to mid, then back 1 a row;
    // a word may reach one pixel past the right end.
    EXPECT_NEAR(rightmost(40), 140, 1);
    EXPECT_NEAR(rightmost(59), 178, 1);
    EXPECT_NEAR(rightmost(90), 150, 1);
    EXPECT_NEAR(rightmost(119), 121, 1);
    EXPECT_EQ(rightmost(120), -1);
}

TEST(R3dSpan, GouraudWithEqualColoursIsConstant)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(30, 30, 0x2345), b = screenVertex(200, 60, 0x2345), c = screenVertex(60, 150, 0x2345);
    r3d_triGouraud(&a, &b, &c);
    int painted = 0;
    for (uint16_t p : s.pixels) {
        if (p) {
            painted++;
            EXPECT_EQ(p, 0x2345);
        }
    }
    EXPECT_GT(painted, 5000);
}

TEST(R3dSpan, GouraudRampRunsBetweenItsEndColours)
{
    testSurface_T s;
    meshVertex_T a = screenVertex(20, 20, 0), b = screenVertex(300, 20, 28), c = screenVertex(20, 200, 0);
    r3d_triGouraud(&a, &b, &c);
    // Along row 21 the colour rises from the left edge toward the right.
    EXPECT_LE(s.at(22, 21), 1);
    EXPECT_GE(s.at(290, 21), 24);
    for (int x = 22; x < 290; x++)
        EXPECT_LE(s.at(x, 21), s.at(x + 1, 21)) << x;
}

TEST(R3dSpan, TexelIndexStaysInsideEveryLevel)
{
    const uint32_t values[] = {0, 0xFFFF, 0x10000, 0x3F0000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0x12345678u,
                               (uint32_t)-65536, 0xDEADBEEFu};
    for (uint32_t u : values) {
        for (uint32_t v : values) {
            EXPECT_LT(r3d_texelIndex<0>(u, v), 4096u);
            EXPECT_LT(r3d_texelIndex<1>(u, v), 1024u);
            EXPECT_LT(r3d_texelIndex<2>(u, v), 256u);
            EXPECT_LE(r3d_texelIndex<3>(u, v), 63u);
        }
    }
    // Inside the texture: u picks the row, v the column.
    EXPECT_EQ(r3d_texelIndex<0>(5 << 16, 9 << 16), 5u * 64 + 9);
    EXPECT_EQ(r3d_texelIndex<1>(31 << 16, 2 << 16), 31u * 32 + 2);
    EXPECT_EQ(r3d_texelIndex<3>(7 << 16, 6 << 16), 7u * 8 + 6);
    EXPECT_EQ(r3d_texelIndex<3>((7 << 16) + 0xFFFF, (6 << 16) + 0x8000), 7u * 8 + 6);
}

TEST(R3dSpan, TexturedTriangleMapsTexelsAcrossTheSpan)
{
    // Texel (row u, column v) holds 1000 + v: along the top row, v runs
    // 0..63 with u fixed and the pixels count up.
    std::vector<uint16_t> texture(64 * 64);
    for (int u = 0; u < 64; u++)
        for (int v = 0; v < 64; v++)
            texture[u * 64 + v] = (uint16_t)(1000 + v);
    curTexture = texture.data();
    testSurface_T s;
    meshVertex_T a = screenVertex(20, 20, 0, 10, 0), b = screenVertex(148, 20, 0, 10, 63),
                 c = screenVertex(20, 100, 0, 10, 0);
    r3d_triTexture(0, &a, &b, &c);
    // Right to left, pixel 2k + 1 takes the values at the right end of the
    // word: the row is one pixel late, and pixel 20 takes v one step below
    // 0, column 4095 of the or-ed index, the texel at (63, 63).
    EXPECT_EQ(s.at(21, 20), 1000);
    EXPECT_EQ(s.at(20, 20), 1063);
    uint16_t last = 0;
    for (int x = 21; x < 140; x++) {
        EXPECT_GE(s.at(x, 20), last) << x;
        last = s.at(x, 20);
    }
    EXPECT_GE(last, 1058);
}

namespace {
// Counts the rows a scan conversion hands to its filler.
struct rowCounter_T {
    static constexpr bool UV = false, COL = false;
    int rows = 0;
    void span(uint16_t*, const r3dEdge_T&, const r3dEdge_T&) { rows++; }
};
}  // namespace

TEST(R3dSpan, ScanRefusesVerticesBeyondTheSurface)
{
    testSurface_T s;
    struct {
        float x0, y0, x1, y1, x2, y2;
        int rows;
    } cases[] = {
        {10, 10, 300, 40, 50, 230, 220},    // inside: rows 10 to 229
        {0, 0, 318, 0, 0, 240, 240},        // the whole surface, the last column kept free
        {10, -3, 300, 40, 50, 230, 0},      // above row 0
        {10, 10, 300, 40, 50, 241, 0},      // below the last row
        {-1, 10, 300, 40, 50, 230, 0},      // left of column 0
        {10, 10, 319, 40, 50, 230, 0},      // a word at 319 would write column 320
        {10, 10, 1e30f, 40, 50, 230, 0},
    };
    for (const auto& c : cases) {
        meshVertex_T a = screenVertex(c.x0, c.y0), b = screenVertex(c.x1, c.y1), d = screenVertex(c.x2, c.y2);
        rowCounter_T counter;
        r3d_scanTriangle(&a, &b, &d, counter);
        EXPECT_EQ(counter.rows, c.rows) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1 << " " << c.x2 << ","
                                        << c.y2;
    }
}
