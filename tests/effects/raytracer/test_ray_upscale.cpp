#include <gtest/gtest.h>

#include <vector>

#include "effects/raytracer/ray_scene.h"
#include "effects/raytracer/ray_upscale.h"
#include "platform/display.h"

namespace {

const int PITCH = 330;   // wider than the screen: the rows must follow the pitch
const uint16_t UNTOUCHED = 0xDEAD;

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

// 5-6-5 by hand: the top bits of each channel.
uint16_t pack565(uint32_t p) {
    return (uint16_t)(((p >> 19) & 0x1F) << 11 | ((p >> 10) & 0x3F) << 5 | ((p >> 3) & 0x1F));
}

// Per-channel averages, each half or quarter rounded down before the sum.
uint32_t half(uint32_t p, uint32_t q) {
    uint32_t out = 0;
    for (int s = 0; s < 24; s += 8)
        out |= (((p >> s) & 0xFF) / 2 + ((q >> s) & 0xFF) / 2) << s;
    return out;
}
uint32_t quarter(uint32_t p, uint32_t q, uint32_t r, uint32_t t) {
    uint32_t out = 0;
    for (int s = 0; s < 24; s += 8)
        out |= (((p >> s) & 0xFF) / 4 + ((q >> s) & 0xFF) / 4 + ((r >> s) & 0xFF) / 4 + ((t >> s) & 0xFF) / 4) << s;
    return out;
}

uint32_t img(int x, int y) { return rayImage[y * RAY_W + x]; }

class RayUpscale : public testing::Test {
protected:
    std::vector<uint16_t> screen = std::vector<uint16_t>(PITCH * 240, UNTOUCHED);
    void SetUp() override {
        redBits = 5; redShift = 11; greenBits = 6; greenShift = 5; blueBits = 5; blueShift = 0;
        uint32_t state = 99;
        for (uint32_t& p : rayImage) {
            state = state * 1664525u + 1013904223u;
            p = state >> 8;
        }
        upscale2x(screen.data(), PITCH);
    }
    uint16_t at(int x, int y) const { return screen[y * PITCH + x]; }
};

TEST_F(RayUpscale, FourPixelsPerImagePixelFromRowsOneDown) {
    for (int j : {0, 1, 57, 117}) {
        for (int i : {0, 1, 80, 158}) {
            SCOPED_TRACE(testing::Message() << "j " << j << " i " << i);
            const uint32_t a0 = img(i, j + 1), a1 = img(i + 1, j + 1);
            const uint32_t b0 = img(i, j + 2), b1 = img(i + 1, j + 2);
            EXPECT_EQ(at(2 * i, 2 * j), pack565(a0));
            EXPECT_EQ(at(2 * i + 1, 2 * j), pack565(half(a0, a1)));
            EXPECT_EQ(at(2 * i, 2 * j + 1), pack565(half(b0, a0)));
            EXPECT_EQ(at(2 * i + 1, 2 * j + 1), pack565(quarter(a0, a1, b0, b1)));
        }
    }
}

TEST_F(RayUpscale, RightEdgeTakesTheNextRowAndTheLastPixelItself) {
    // Column 159's right neighbour is column 0 of the next image row.
    const uint32_t a0 = img(159, 1), a1 = img(0, 2), b0 = img(159, 2), b1 = img(0, 3);
    EXPECT_EQ(at(319, 0), pack565(half(a0, a1)));
    EXPECT_EQ(at(319, 1), pack565(quarter(a0, a1, b0, b1)));
    // The very last image pixel (159, 119) stands in for its own neighbour.
    const uint32_t la0 = img(159, 118), la1 = img(0, 119), lb0 = img(159, 119);
    EXPECT_EQ(at(319, 235), pack565(quarter(la0, la1, lb0, lb0)));
}

TEST_F(RayUpscale, BottomRowsAndPaddingStayUntouched) {
    for (int y = 0; y < 240; y++)
        for (int x = 320; x < PITCH; x++)
            ASSERT_EQ(at(x, y), UNTOUCHED) << x << "," << y;
    for (int y = 236; y < 240; y++)
        for (int x = 0; x < 320; x++)
            ASSERT_EQ(at(x, y), UNTOUCHED) << x << "," << y;
    EXPECT_NE(at(0, 235), UNTOUCHED);
}

TEST(RayUpscaleFormat, FiveFiveFiveSurface) {
    redBits = 5; redShift = 10; greenBits = 5; greenShift = 5; blueBits = 5; blueShift = 0;
    for (uint32_t& p : rayImage)
        p = rgb(255, 255, 255);
    rayImage[1 * RAY_W + 0] = rgb(0x80, 0x40, 0x08);
    std::vector<uint16_t> screen(320 * 240, UNTOUCHED);
    upscale2x(screen.data(), 320);
    EXPECT_EQ(screen[0], (0x80 >> 3) << 10 | (0x40 >> 3) << 5 | (0x08 >> 3));
    EXPECT_EQ(screen[2], 0x7FFF);
}

}  // namespace
