#include <gtest/gtest.h>

#include <vector>

#include "effects/tunnel/tunnel_frame.h"
#include "effects/tunnel/tunnel_texture.h"
#include "platform/display.h"

namespace {

const uint16_t UNTOUCHED = 0xBEEF;

TEST(TunnelFrame, PaletteRotatesOneEntryAndReturnsAfter256) {
    for (int k = 0; k < 256; k++)
        tunnelPalette[k] = 0x010000u * k + 7;
    const std::vector<uint32_t> start(tunnelPalette, tunnelPalette + 256);
    tunnel_rotatePalette();
    EXPECT_EQ(tunnelPalette[0], start[1]);
    EXPECT_EQ(tunnelPalette[254], start[255]);
    EXPECT_EQ(tunnelPalette[255], start[0]);
    for (int i = 1; i < 255; i++)
        tunnel_rotatePalette();
    EXPECT_NE(std::vector<uint32_t>(tunnelPalette, tunnelPalette + 256), start);
    tunnel_rotatePalette();
    EXPECT_EQ(std::vector<uint32_t>(tunnelPalette, tunnelPalette + 256), start);
}

TEST(TunnelFrame, ImageLooksUpAngleAndDistanceWithOffsets) {
    tunnel_buildTables();
    ASSERT_EQ(tunnel_build(0), 0);   // texel (u, v) = v, palette entry i = blue i
    for (int v = 0; v < 256; v++)
        tunnelTexture[v * 256 + 3] = 0;   // column u = 3 dark, to see the angle
    tunnel_drawImage(-4, -4);
    // Centre: distance 0 - 4 wraps to 252; angle 128 - 4 = 124 is a band column.
    EXPECT_EQ(tunnelImage[100 * 320 + 160], 252u);
    // (0, 100): distance 216 - 4 = 212.
    EXPECT_EQ(tunnelImage[100 * 320 + 0], 212u);
    // (161, 100) has angle 0: with a = 3, u = 3, the dark column.
    tunnel_drawImage(3, 0);
    EXPECT_EQ(tunnelImage[100 * 320 + 161], 0u);
    EXPECT_EQ(tunnelImage[100 * 320 + 0], 0u);     // angle 0 as well, left of the centre
    EXPECT_EQ(tunnelImage[0 * 320 + 160], 135u);   // straight up: u = 131, v = 135
}

class TunnelSlide : public testing::Test {
protected:
    static const int PITCH = 328;
    std::vector<uint16_t> screen = std::vector<uint16_t>(PITCH * 240, UNTOUCHED);
    void SetUp() override {
        redBits = 5; redShift = 11; greenBits = 6; greenShift = 5; blueBits = 5; blueShift = 0;
        for (int y = 0; y < 240; y++)
            for (int x = 0; x < 320; x++)
                tunnelImage[y * 320 + x] = (uint32_t)(x << 3);   // blue x, green x >> 5
        slideOffset = 320;
    }
    // Columns written in one present after frame n - 1 slides.
    int widthOfFrame(int n) {
        slideOffset = 320;
        for (int i = 1; i < n; i++)
            tunnel_slide();
        std::fill(screen.begin(), screen.end(), UNTOUCHED);
        tunnel_present(screen.data(), PITCH);
        int width = 0;
        for (int x = 0; x < 320; x++)
            width += screen[7 * PITCH + x] != UNTOUCHED;
        return width;
    }
};

TEST_F(TunnelSlide, WidthsOfFramesOneTwoAndFortyOne) {
    EXPECT_EQ(widthOfFrame(1), 0);
    EXPECT_EQ(widthOfFrame(2), 8);
    EXPECT_EQ(widthOfFrame(3), 16);
    EXPECT_EQ(widthOfFrame(40), 312);
    EXPECT_EQ(widthOfFrame(41), 320);
    EXPECT_EQ(widthOfFrame(180), 320);   // it stops at the left edge
    EXPECT_EQ(slideOffset, 0);
}

TEST_F(TunnelSlide, PictureEntersWithItsLeftPartAtTheRightEdge) {
    slideOffset = 312;
    tunnel_present(screen.data(), PITCH);
    for (int y : {0, 120, 239}) {
        for (int k = 0; k < 8; k++) {
            const uint32_t p = tunnelImage[y * 320 + k];
            EXPECT_EQ(screen[y * PITCH + 312 + k], (uint16_t)(((p >> 10) & 0x3F) << 5 | ((p >> 3) & 0x1F)));
        }
        EXPECT_EQ(screen[y * PITCH + 311], UNTOUCHED);
        EXPECT_EQ(screen[y * PITCH + 320], UNTOUCHED);   // the padding past the screen
    }
}

}  // namespace
