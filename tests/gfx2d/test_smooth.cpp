#include <gtest/gtest.h>

#include "gfx2d/gbuffer.h"
#include "gfx2d/smooth.h"

namespace {
uint32_t quarter(uint32_t p)
{
    return (p >> 2) & 0x3F3F3F3F;
}
}  // namespace

TEST(Smooth, QuarterSumsWithWrapAndDownwardDrift)
{
    gbuffer_T b;
    b.init(2, 4);
    const uint32_t start[8] = {0x400000, 0x040404, 0x004000, 0x000040, 0x808080, 0xFCFCFC, 0x102030, 0x0C0C0C};
    for (int i = 0; i < 8; i++)
        b.pixels[i] = start[i];
    smoothPass(&b);
    EXPECT_EQ(b.pixels[0], 0x400000u);                      // first row unchanged
    EXPECT_EQ(b.pixels[1], 0x040404u);
    EXPECT_EQ(b.pixels[2], 0x303030u);
    EXPECT_EQ(b.pixels[3], 0x606070u);                      // right neighbour wraps to the next row
    // Row 2 reads the already smoothed row 1 above it.
    EXPECT_EQ(b.pixels[4], quarter(0x303030) + quarter(0x808080) + quarter(0xFCFCFC) + quarter(0x102030));
    EXPECT_EQ(b.pixels[5], quarter(0x606070) + quarter(0xFCFCFC) + quarter(0x102030) + quarter(0x0C0C0C));
    EXPECT_EQ(b.pixels[6], 0x102030u);                      // last row unchanged
    EXPECT_EQ(b.pixels[7], 0x0C0C0Cu);
}

TEST(Smooth, OnlyDarkensAndKeepsTheEdges)
{
    gbuffer_T b;
    b.init(320, 240);
    b.fill(255, 255, 255);
    smoothPass(&b);
    EXPECT_EQ(b.pixels[5], 0xFFFFFFu);
    EXPECT_EQ(b.pixels[320 * 120 + 7], 0xFCFCFCu);
    EXPECT_EQ(b.pixels[320 * 239 + 7], 0xFFFFFFu);
}

TEST(Smooth, TinyAndBrokenBuffersAreLeftAlone)
{
    gbuffer_T empty;
    smoothPass(&empty);
    gbuffer_T two;
    two.init(3, 2);
    two.fill(8, 8, 8);
    smoothPass(&two);
    EXPECT_EQ(two.pixels[4], 0x080808u);
}
