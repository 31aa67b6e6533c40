// Where the picture goes in outputs of several sizes: the whole factor, and
// the smooth step that fills the output with the aspect kept.
#include <gtest/gtest.h>

#include "platform/sharp_scale.h"

namespace {
struct ScaleCase {
    int outW, outH;
    int factor;
    int x, y, w, h;
};

class SharpScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(SharpScale, WholeFactorThenFillsWithAspectKept)
{
    const ScaleCase& c = GetParam();
    pfSharpScale_T s = pf_sharpScale(c.outW, c.outH);
    EXPECT_EQ(s.factor, c.factor);
    EXPECT_EQ(s.innerW, 320 * c.factor);
    EXPECT_EQ(s.innerH, 240 * c.factor);
    EXPECT_EQ(s.x, c.x);
    EXPECT_EQ(s.y, c.y);
    EXPECT_EQ(s.w, c.w);
    EXPECT_EQ(s.h, c.h);
}

INSTANTIATE_TEST_SUITE_P(Outputs, SharpScale,
                         ::testing::Values(
                             // 3.2 times: 3 by whole pixels, then filled exactly
                             ScaleCase{1024, 768, 3, 0, 0, 1024, 768},
                             // whole factors need no smooth step
                             ScaleCase{320, 240, 1, 0, 0, 320, 240},
                             ScaleCase{640, 480, 2, 0, 0, 640, 480},
                             // wide screens: bars left and right
                             ScaleCase{1920, 1080, 4, 240, 0, 1440, 1080},
                             ScaleCase{1366, 768, 3, 171, 0, 1024, 768},
                             // a tall output: bars above and below
                             ScaleCase{800, 1280, 2, 0, 340, 800, 600},
                             // smaller than the picture: shrunk, never factor 0
                             ScaleCase{300, 200, 1, 17, 0, 266, 200},
                             ScaleCase{0, 0, 1, 0, 0, 1, 1}));

struct WindowCase {
    int desktopW, desktopH;
    int factor;
};

class WindowFactor : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowFactor, LargestWholeMultipleInTwoThirdsOfTheDesktop)
{
    const WindowCase& c = GetParam();
    EXPECT_EQ(pf_windowFactor(c.desktopW, c.desktopH), c.factor);
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowFactor,
                         ::testing::Values(
                             // 853 x 533: two times (640 x 480) fits, three does not
                             WindowCase{1280, 800, 2},
                             // 682 x 512
                             WindowCase{1024, 768, 2},
                             // 1280 x 720: the height sets it
                             WindowCase{1920, 1080, 3},
                             // 2560 x 1440: six times; the height sets it
                             WindowCase{3840, 2160, 6},
                             // a square desktop: the width sets it
                             WindowCase{1440, 1440, 3},
                             // two thirds of 960 x 720 is exactly 640 x 480
                             WindowCase{960, 720, 2},
                             WindowCase{959, 720, 1},
                             // a small or unknown desktop: never below 1
                             WindowCase{640, 480, 1},
                             WindowCase{0, 0, 1}));
}
