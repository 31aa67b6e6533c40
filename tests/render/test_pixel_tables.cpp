#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formats/bmp.h"
#include "formats/bmp_writer.h"
#include "platform/backend.h"
#include "render/pixel_tables.h"
#include "render/surface16.h"
#include "tests/headless_display.h"
#include "tests/test_tmp.h"

namespace {

struct FormatCase {
    uint32_t masks[3];
    uint16_t shifts[3];
    uint16_t maxima[3];
    uint16_t half;
    uint16_t white;
};

TEST(PixelTables, ShiftsMaximaAndHalfMaskFollowTheMasks)
{
    const FormatCase cases[] = {
        {{0xF800, 0x07E0, 0x001F}, {11, 5, 0}, {31, 63, 31}, 0x7BEF, 0xFFFF},
        {{0x7C00, 0x03E0, 0x001F}, {10, 5, 0}, {31, 31, 31}, 0x3DEF, 0x7FFF},
    };
    for (const FormatCase& c : cases) {
        pix_setFormat(c.masks[0], c.masks[1], c.masks[2], 320, 240);
        for (int ch = 0; ch < 3; ch++) {
            EXPECT_EQ(channelShift[ch], c.shifts[ch]) << c.half << " " << ch;
            EXPECT_EQ(channelMax[ch], c.maxima[ch]) << c.half << " " << ch;
        }
        EXPECT_EQ(halfMask, c.half);
        EXPECT_EQ(packColor16(1, 1, 1), c.white);
        EXPECT_EQ(packColor16(0, 0, 0), 0);
        // Halving white with the mask gives every channel max / 2.
        EXPECT_EQ((c.white >> 1) & halfMask, packColor16(0.5f, 0.5f, 0.5f) | 0);
        EXPECT_EQ(rowOffset[0], 0u);
        EXPECT_EQ(rowOffset[239], 239u * 320);
    }
}

TEST(PixelTables, PackTruncatesAndUnpackGivesFractions)
{
    pix_setFormat(0xF800, 0x07E0, 0x001F, 320, 240);
    const float k = 1.0f / 255.0f;
    // 128 x k x 31 = 15.56 and 128 x k x 63 = 31.6, both truncated.
    EXPECT_EQ(packColor16(128 * k, 128 * k, 128 * k), (15 << 11) | (31 << 5) | 15);
    float r, g, b;
    unpackColor16(packColor16(1.0f, 0.5f, 0.0f), &r, &g, &b);
    EXPECT_EQ(r, 1.0f);
    EXPECT_EQ(g, 31.0f / 63.0f);
    EXPECT_EQ(b, 0.0f);
}

TEST(PixelTables, ImageToTextureConvertsEveryPixelInOrder)
{
    pix_setFormat(0xF800, 0x07E0, 0x001F, 320, 240);
    // Blue, green, red bytes: white, pure red, pure blue, mid grey.
    uint8_t pixels[4 * 3] = {255, 255, 255, 0, 0, 255, 255, 0, 0, 128, 128, 128};
    image24_T image{24, 2, 2, pixels};
    uint16_t* texels = imageToTexture16(&image);
    ASSERT_NE(texels, nullptr);
    EXPECT_EQ(texels[0], 0xFFFF);
    EXPECT_EQ(texels[1], 0xF800);
    EXPECT_EQ(texels[2], 0x001F);
    EXPECT_EQ(texels[3], (15 << 11) | (31 << 5) | 15);
    delete[] texels;
}

class Surface16 : public ::testing::Test {
protected:
    void SetUp() override
    {
        effectTest_openDisplay(nullptr);
        pf_setPixelFormat(PF_FORMAT_555);
        initPixelTables();
    }
    void TearDown() override
    {
        effectTest_closeDisplay();
        pf_setPixelFormat(PF_FORMAT_565);
    }
};

TEST_F(Surface16, InitReadsTheDisplayFormat)
{
    EXPECT_EQ(pixScreenWidth, 320);
    EXPECT_EQ(pixScreenHeight, 240);
    EXPECT_EQ(pixBitsPerPixel, 16);
    EXPECT_EQ(halfMask, 0x3DEF);
    EXPECT_EQ(channelShift[PIX_RED], 10);
}

TEST_F(Surface16, LoadBmpSurfaceHoldsThePictureInTheDisplayFormat)
{
    uint8_t pixels[3 * 2 * 3] = {0};
    pixels[2] = 255;            // top-left red
    pixels[5 * 3 + 0] = 255;    // bottom-right blue
    image24_T image{24, 3, 2, pixels};
    std::string path = testTmp_path("surface16.bmp");
    ASSERT_EQ(bmp_save24(path.c_str(), &image), 0);
    surfacePitch = 0;
    ddSurface_T* surface = loadBmpSurface(path.c_str());
    std::remove(path.c_str());
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->width, 3);
    EXPECT_EQ(surface->height, 2);
    EXPECT_EQ(surfacePitch, surface->pitch);
    EXPECT_EQ(surface->pixels[0], 0x7C00);
    EXPECT_EQ(surface->pixels[1], 0);
    EXPECT_EQ(surface->pixels[surface->pitch + 2], 0x001F);
    EXPECT_EQ(clearSurface(surface), 0);
    EXPECT_EQ(surface->pixels[0], 0);
    dd_releaseSurface(surface);

    EXPECT_EQ(loadBmpSurface("missing.bmp"), nullptr);
    ddSurface_T* plain = createOffscreenSurface(16, 8);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->width, 16);
    dd_releaseSurface(plain);
}

}
