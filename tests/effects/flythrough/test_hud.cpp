// The fly-through's overlay: in software mode the console alone.
#include <gtest/gtest.h>

#include "effects/flythrough/hud.h"
#include "engine/console.h"
#include "engine/engine.h"
#include "platform/backend_headless.h"
#include "tests/render/render_fixture.h"

namespace {
struct hudState_T {
    hudState_T()
    {
        pf_setBackend(pf_headlessBackend());   // the panel's frame rate reads the clock
        con_init();
    }
    ~hudState_T()
    {
        consoleOn = 0;
        use3dfx = 0;
    }
};
}  // namespace

TEST(Hud, SoftwareModeDrawsTheConsoleOnlyWhenItIsOn)
{
    hudState_T state;
    con_log("ABC");
    testSurface_T s;
    use3dfx = 0;
    consoleOn = 0;
    hud_draw();
    EXPECT_EQ(s.countNot(0), 0);
    consoleOn = 1;
    hud_draw();
    // "A" is the first glyph of the top line: rows 0 to 6, columns 0 to 4.
    EXPECT_EQ(s.at(1, 0), 0xFFFF);
    EXPECT_EQ(s.at(0, 0), 0);
    int lit = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            if (s.at(x, y)) {
                lit++;
                EXPECT_LT(y, 8);
                EXPECT_LT(x, 18);
            }
    EXPECT_GT(lit, 30);
}

TEST(Hud, AcceleratorPanelGoesToTheAcceleratorNotTheSurface)
{
    hudState_T state;
    testSurface_T s;
    use3dfx = 1;
    consoleOn = 1;
    con_log("XYZ");
    hud_draw();
    EXPECT_EQ(s.countNot(0), 0);
}
