// The console ring, its drawing with the 5 x 7 font, and the timers.
#include <gtest/gtest.h>

#include <string>

#include "engine/console.h"
#include "platform/backend_headless.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/main_thread.h"
#include "platform/timers.h"
#include "tests/headless_display.h"

namespace {
TEST(ConsoleRing, FillsThenReplacesTheOldestLine)
{
    con_init();
    ASSERT_EQ(conLineCount, 30);
    for (int i = 0; i < 30; i++)
        con_log("line %d", i);
    EXPECT_EQ(conWrapped, 1);
    EXPECT_EQ(conNext, 0);
    EXPECT_EQ(conFirst, 0);
    con_log("line 30");
    EXPECT_STREQ(conLines[0], "line 30");
    EXPECT_EQ(conFirst, 1);
    EXPECT_STREQ(conLines[conFirst], "line 1");   // the top line is now the second oldest
}

TEST(ConsoleRing, CutsLongLinesTo99Characters)
{
    con_init();
    con_log("%s", std::string(150, 'x').c_str());
    EXPECT_EQ(std::string(conLines[0]).size(), 99u);
}

TEST(ConsoleRing, InitEmptiesTheLinesInUse)
{
    con_init();
    con_log("something");
    con_init();
    EXPECT_STREQ(conLines[0], "");
    EXPECT_EQ(conNext, 0);
}

class ConsoleDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        effectTest_openDisplay(nullptr);
        dd_clearBack();
        dd_lock();
    }
    void TearDown() override { effectTest_closeDisplay(); }
    int lit(int x0, int y0, int w, int h)
    {
        int n = 0;
        for (int y = y0; y < y0 + h; y++)
            for (int x = x0; x < x0 + w; x++)
                n += surfacePixels[y * surfacePitch + x] == 0xFFFF;
        return n;
    }
};

TEST_F(ConsoleDraw, LowerCaseDrawsTheUpperCaseGlyph)
{
    con_printAt(0, 0, "a");
    // A: 0E 11 11 1F 11 11 11
    const char* rows[7] = {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
    for (int r = 0; r < 7; r++)
        for (int c = 0; c < 5; c++)
            EXPECT_EQ(surfacePixels[r * surfacePitch + c] == 0xFFFF, rows[r][c] == '#') << r << "," << c;
    EXPECT_EQ(lit(5, 0, 1, 8), 0);   // the blank column of the cell
}

TEST_F(ConsoleDraw, UnknownCharacterLeavesABlankCellAndAdvances)
{
    con_printAt(0, 0, "\xE9" "A");   // an accented letter, then A
    EXPECT_EQ(lit(0, 0, 6, 8), 0);
    EXPECT_EQ(lit(6, 0, 5, 7), 18);  // A has 18 lit pixels
}

TEST_F(ConsoleDraw, TextBeyondTheRightEdgeIsNotDrawn)
{
    con_printAt(0, 0, "%s", std::string(60, '8').c_str());
    EXPECT_GT(lit(312, 0, 6, 7), 0);   // character 53 (columns 312..316)
    con_printAt(0, 100, "%s", std::string(60, '8').c_str());
    EXPECT_EQ(lit(0, 107, 320, 1), 0);
    // Clipped at the right and bottom edges: only columns 318-319 and rows
    // 235-239 of the glyph of 8 (0E 11 11 1F 11) are drawn.
    con_printAt(318, 235, "8");
    EXPECT_EQ(lit(318, 235, 2, 5), 6);
}

TEST_F(ConsoleDraw, LoggedPercentIsShownNotFormattedAgain)
{
    con_init();
    con_log("100%%s done");
    EXPECT_STREQ(conLines[0], "100%s done");
    consoleOn = 1;
    con_render();
    consoleOn = 0;
    // "100" then a blank cell for '%', then "S": the S glyph stands at column 24.
    EXPECT_GT(lit(24, 0, 5, 7), 0);
    EXPECT_EQ(lit(18, 0, 6, 7), 0);
}

TEST(Timers, ReportIsUnsignedDifference)
{
    con_init();
    timerSlots[0] = {1000, 1016};
    timerSlots[1] = {2000, 1990};
    tmr_report();
    EXPECT_STREQ(conLines[0], "Proceso Teclado : 16 ms");
    EXPECT_STREQ(conLines[1], "Borrado Frame Buffer : 4294967286 ms");
    EXPECT_EQ(conNext, 7);
}

TEST(Timers, FpsCountsCallsPerSecond)
{
    pf_headlessReset();
    pf_setBackend(pf_headlessBackend());
    pf_sleepMs(5000);                     // second 5: differs from the initial 0
    EXPECT_FLOAT_EQ(tmr_fps(), 1.0f);     // the first call sees a new second
    for (int i = 0; i < 30; i++)
        EXPECT_FLOAT_EQ(tmr_fps(), 1.0f); // same second: the stored value
    pf_sleepMs(1000);
    EXPECT_FLOAT_EQ(tmr_fps(), 31.0f);
}
}
