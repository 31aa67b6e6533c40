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
}
