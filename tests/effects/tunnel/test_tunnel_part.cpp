// The whole palette tunnel on the headless display.
#include <gtest/gtest.h>

#include <vector>

#include "effects/tunnel/tunnel.h"
#include "effects/tunnel/tunnel_frame.h"
#include "effects/tunnel/tunnel_texture.h"
#include "tests/headless_display.h"

namespace {

std::vector<int> leftmostLit;   // per frame shown: first column with a pixel that is not black (320: none)
std::vector<int> litPixels;     // per frame shown: pixels that are not black

void onFrame(uint32_t, const uint16_t* pixels, int pitch, int) {
    int leftmost = 320, lit = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            if (pixels[y * pitch + x] != 0) {
                lit++;
                leftmost = x < leftmost ? x : leftmost;
            }
    leftmostLit.push_back(leftmost);
    litPixels.push_back(lit);
}

class TunnelPart : public testing::Test {
protected:
    void SetUp() override {
        effectTest_openDisplay(onFrame);
        leftmostLit.clear();
        litPixels.clear();
        slideOffset = 320;
    }
    void TearDown() override {
        effectTest_closeDisplay();
    }
};

TEST_F(TunnelPart, SlidesInFromTheRightAndStaysInPlace) {
    EXPECT_EQ(palettePart(2, 45), 0);
    ASSERT_EQ(leftmostLit.size(), 45u);
    EXPECT_EQ(leftmostLit[0], 320);   // frame 1: nothing
    EXPECT_EQ(leftmostLit[1], 312);   // frame 2: 8 columns
    EXPECT_EQ(leftmostLit[2], 304);
    EXPECT_EQ(leftmostLit[39], 8);
    EXPECT_EQ(leftmostLit[40], 0);    // frame 41: the whole width
    EXPECT_EQ(leftmostLit[44], 0);
    EXPECT_EQ(slideOffset, 0);
}

TEST_F(TunnelPart, ZeroFramesShowNothing) {
    EXPECT_EQ(palettePart(2, 0), 0);
    EXPECT_TRUE(leftmostLit.empty());
}

TEST_F(TunnelPart, StopBeforeTheFirstFrameShowsNothing) {
    pf_postThreadMessage(DEMO_MSG_STOP);
    EXPECT_EQ(palettePart(2, 180), 0);
    EXPECT_TRUE(leftmostLit.empty());
}

TEST_F(TunnelPart, ModeThreeOnABlackPaletteStaysBlack) {
    for (uint32_t& c : tunnelPalette)
        c = 0;
    slideOffset = 0;
    EXPECT_EQ(palettePart(3, 3), 0);
    EXPECT_EQ(litPixels, std::vector<int>(3, 0));
}

TEST_F(TunnelPart, ModeOutsideTheTableIsRefusedBeforeAnyFrame) {
    EXPECT_EQ(palettePart(4, 10), -1);
    EXPECT_EQ(palettePart(-1, 10), -1);
    EXPECT_TRUE(leftmostLit.empty());
}

TEST_F(TunnelPart, TimelineModeFillsTheScreen) {
    slideOffset = 0;
    EXPECT_EQ(palettePart(2, 2), 0);
    ASSERT_EQ(litPixels.size(), 2u);
    EXPECT_GT(litPixels[1], 320 * 240 * 9 / 10);
}

}  // namespace
