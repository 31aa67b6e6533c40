// The 32-bit graphic buffer.
#include <gtest/gtest.h>

#include "gfx2d/gbuffer.h"

namespace {
TEST(Gbuffer, ConstructedEmpty)
{
    gbuffer_T b;
    EXPECT_EQ(b.pixels, nullptr);
    EXPECT_EQ(b.width, 0);
    EXPECT_EQ(b.height, 0);
    EXPECT_EQ(b.pixelCount, 0u);
    EXPECT_EQ(b.errorFlags, 0u);
    EXPECT_EQ(b.initialized, 0u);
    b.fill(255, 0, 0);   // no pixels: nothing happens
    EXPECT_EQ(b.pixels, nullptr);
}

TEST(Gbuffer, InitClearsAndFillPacksChannels)
{
    gbuffer_T b;
    b.init(32, 32);
    ASSERT_NE(b.pixels, nullptr);
    EXPECT_EQ(b.pixelCount, 1024u);
    EXPECT_EQ(b.initialized, 1u);
    for (uint32_t i = 0; i < b.pixelCount; i++)
        ASSERT_EQ(b.pixels[i], 0u);
    struct { uint8_t r, g, b; uint32_t v; } cases[] = {{255, 0, 0, 0xFF0000}, {1, 2, 3, 0x010203}, {255, 255, 255, 0xFFFFFF}};
    for (auto& c : cases) {
        b.fill(c.r, c.g, c.b);
        EXPECT_EQ(b.pixels[0], c.v);
        EXPECT_EQ(b.pixels[1023], c.v);
    }
}

TEST(Gbuffer, ReinitFreesAndClearsAtTheNewSize)
{
    gbuffer_T b;
    b.init(8, 8);
    b.fill(9, 9, 9);
    b.init(3, 5);
    EXPECT_EQ(b.width, 3);
    EXPECT_EQ(b.height, 5);
    EXPECT_EQ(b.pixelCount, 15u);
    for (uint32_t i = 0; i < 15; i++)
        EXPECT_EQ(b.pixels[i], 0u);
}

TEST(Gbuffer, ReleaseTwiceIsHarmlessAndKeepsTheSize)
{
    gbuffer_T b;
    b.init(4, 4);
    b.release();
    b.release();
    EXPECT_EQ(b.pixels, nullptr);
    EXPECT_EQ(b.pixelCount, 16u);
    EXPECT_EQ(b.initialized, 1u);
}

TEST(Gbuffer, FailedAllocationSticksAndBlocksFill)
{
    gbuffer_T b;
    b.init(0x10000, 0x10000);   // 2^32 pixels: refused, never a wrapped small array
    EXPECT_EQ(b.errorFlags & GBUF_ERR_NOMEM, (uint32_t)GBUF_ERR_NOMEM);
    EXPECT_EQ(b.pixels, nullptr);
    EXPECT_EQ(b.initialized, 1u);
    b.init(2, 2);               // a later success keeps the error bit ...
    ASSERT_NE(b.pixels, nullptr);
    EXPECT_EQ(b.errorFlags & GBUF_ERR_NOMEM, (uint32_t)GBUF_ERR_NOMEM);
    b.pixels[0] = 77;
    b.fill(1, 1, 1);            // ... and fill does nothing then
    EXPECT_EQ(b.pixels[0], 77u);
}
}
