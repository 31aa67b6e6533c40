// Display masks and shifts, mode changes, the windowed fallback, surfaces
// and blits.
#include <gtest/gtest.h>

#include "platform/backend_headless.h"
#include "platform/display.h"
#include "platform/main_thread.h"

namespace {
class Display : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf_headlessReset();
        pf_setBackend(pf_headlessBackend());
        pf_mainThreadInit();
    }
    void TearDown() override
    {
        dd_close();
        dd_setDesktopBits(16);
        pf_setPixelFormat(PF_FORMAT_565);
        fullScreen = 1;
    }
};

struct ShiftCase {
    int format;
    uint32_t r, g, b;
    int32_t rb, rs, gb, gs, bb, bs;
};

class Shifts : public Display, public ::testing::WithParamInterface<ShiftCase> {};

TEST_P(Shifts, MasksGiveWidthsAndShifts)
{
    const ShiftCase& c = GetParam();
    pf_setPixelFormat(c.format);
    dd_create();
    dd_setMode(1);
    EXPECT_EQ(dd_redMask(), c.r);
    EXPECT_EQ(dd_greenMask(), c.g);
    EXPECT_EQ(dd_blueMask(), c.b);
    dd_pixelShifts();
    EXPECT_EQ(redBits, c.rb);
    EXPECT_EQ(redShift, c.rs);
    EXPECT_EQ(greenBits, c.gb);
    EXPECT_EQ(greenShift, c.gs);
    EXPECT_EQ(blueBits, c.bb);
    EXPECT_EQ(blueShift, c.bs);
}

INSTANTIATE_TEST_SUITE_P(Formats, Shifts,
                         ::testing::Values(ShiftCase{PF_FORMAT_565, 0xF800, 0x07E0, 0x001F, 5, 11, 6, 5, 5, 0},
                                           ShiftCase{PF_FORMAT_555, 0x7C00, 0x03E0, 0x001F, 5, 10, 5, 5, 5, 0}));

TEST_F(Display, MasksWithoutDisplayReportFailure)
{
    EXPECT_EQ(dd_redMask(), 0xFFFFFFFFu);
    EXPECT_EQ(dd_lock(), nullptr);
    EXPECT_EQ(surfacePitch, 0);
    EXPECT_EQ(dd_present(), -1);
}

TEST_F(Display, WindowedNeedsA16BitDesktopElseFullScreenWithOneMessageBox)
{
    dd_create();
    EXPECT_EQ(dd_setMode(0), 0);
    EXPECT_EQ(fullScreen, 0);
    EXPECT_EQ(pf_headlessMessageBoxes(), 0u);
    dd_close();
    dd_setDesktopBits(32);
    dd_create();
    EXPECT_EQ(dd_setMode(0), 0);
    EXPECT_EQ(fullScreen, 1);
    EXPECT_EQ(pf_headlessFullScreen(), 1);
    EXPECT_EQ(pf_headlessMessageBoxes(), 1u);
}

TEST_F(Display, ModeHookRunsAfterEverySetUp)
{
    static int calls;
    calls = 0;
    dd_setModeHook([] { calls++; });
    dd_create();
    dd_setMode(1);
    dd_close();
    dd_create();
    dd_setMode(0);
    dd_setModeHook(nullptr);
    EXPECT_EQ(calls, 2);
}

TEST_F(Display, FullScreenFlipsWindowedCopies)
{
    dd_create();
    dd_setMode(1);
    uint16_t* a = dd_lock();
    a[0] = 0x1234;
    dd_present();
    EXPECT_EQ(dd_primarySurface()->pixels[0], 0x1234);
    EXPECT_NE(dd_lock(), a);   // the back surface is now the old front
    dd_close();
    dd_create();
    dd_setMode(0);
    uint16_t* b = dd_lock();
    b[5] = 0x4321;
    dd_present();
    EXPECT_EQ(dd_primarySurface()->pixels[5], 0x4321);
    EXPECT_EQ(dd_lock(), b);
    EXPECT_EQ(b[5], 0x4321);
}

TEST_F(Display, EveryPrimaryUpdateIsOnePacedFrame)
{
    dd_create();
    dd_setMode(1);
    uint64_t t0 = pf_headlessClock();
    uint32_t f0 = dd_framesPresented();
    dd_present();
    dd_fillSurface(dd_primarySurface(), 0);
    dd_bltFast(dd_backSurface(), 0, 0, dd_primarySurface(), nullptr);   // not to the primary: not shown
    EXPECT_EQ(dd_framesPresented() - f0, 2u);
    EXPECT_EQ(pf_headlessClock() - t0, 2000u);   // 2 x 1/60 s in 1/60000 s
}

struct BlitCase {
    int32_t x, y;
    ddRect_T src;
    int expectedCopied;
};

class Blits : public Display, public ::testing::WithParamInterface<BlitCase> {};

TEST_P(Blits, ClipToBothSurfaces)
{
    const BlitCase& c = GetParam();
    dd_create();
    dd_setMode(1);
    ddSurface_T* src = dd_createSurface(320, 240);
    ASSERT_NE(src, nullptr);
    dd_fillSurface(src, 0xFFFF);
    ddSurface_T* back = dd_backSurface();
    dd_fillSurface(back, 0);
    dd_bltFast(back, c.x, c.y, src, &c.src);
    int copied = 0;
    for (int i = 0; i < 320 * 240; i++)
        copied += back->pixels[i] == 0xFFFF;
    EXPECT_EQ(copied, c.expectedCopied);
    dd_releaseSurface(src);
}

INSTANTIATE_TEST_SUITE_P(Cases, Blits,
                         ::testing::Values(BlitCase{0, 0, {0, 0, 320, 240}, 320 * 240},
                                           BlitCase{192, 112, {0, 0, 319, 239}, 128 * 128},   // oversized: clipped
                                           BlitCase{-10, -5, {0, 0, 20, 10}, 10 * 5},
                                           BlitCase{400, 0, {0, 0, 20, 10}, 0},
                                           BlitCase{0, 0, {-5, -5, 400, 300}, 315 * 235}));   // the part outside src moves the copy

TEST_F(Display, BlendPutsTheNewFrameOverTheOld)
{
    dd_create();
    dd_setMode(1);
    ddSurface_T* primary = dd_primarySurface();
    ddSurface_T* back = dd_backSurface();
    dd_fillSurface(back, 0xFFFF);
    dd_fillSurface(primary, 0x0000);
    dd_bltBlend(primary, 0, 0, back, nullptr, 100);
    // white over black at 100/255: red 31*100/255 = 12, green 63*100/255 = 24, blue 12
    EXPECT_EQ(primary->pixels[0], (12 << 11) | (24 << 5) | 12);
}
}
