// The 32-to-16 bit conversion of the work buffer into the locked surface.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "gfx2d/gbuffer.h"
#include "platform/backend_headless.h"
#include "platform/display.h"
#include "platform/main_thread.h"

namespace {
struct ConvertCase {
    int format;
    uint32_t pixel;
    uint16_t expected;
};

class Convert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(Convert, PacksTopBitsOfEachChannel)
{
    const ConvertCase& c = GetParam();
    pf_headlessReset();
    pf_setBackend(pf_headlessBackend());
    pf_mainThreadInit();
    pf_setPixelFormat(c.format);
    ASSERT_EQ(dd_create(), 0);
    ASSERT_EQ(dd_setMode(1), 0);
    dd_pixelShifts();
    gbuffer_T buffer;
    buffer.init(320, 240);
    for (uint32_t i = 0; i < buffer.pixelCount; i++)
        buffer.pixels[i] = c.pixel;
    workBuffer = &buffer;
    ASSERT_EQ(engine_beginFrame(1), 0);
    engine_convertFrame();
    EXPECT_EQ(surfacePixels[0], c.expected);
    EXPECT_EQ(surfacePixels[239 * surfacePitch + 319], c.expected);
    engine_endFrame();
    workBuffer = nullptr;
    dd_close();
    pf_setPixelFormat(PF_FORMAT_565);
}

INSTANTIATE_TEST_SUITE_P(Formats, Convert,
                         ::testing::Values(ConvertCase{PF_FORMAT_565, 0x00FFFFFF, 0xFFFF},
                                           ConvertCase{PF_FORMAT_555, 0x00FFFFFF, 0x7FFF},
                                           ConvertCase{PF_FORMAT_565, 0x00808080, 0x8410},
                                           ConvertCase{PF_FORMAT_555, 0x00808080, 0x4210},
                                           ConvertCase{PF_FORMAT_565, 0xFF000000, 0x0000},
                                           ConvertCase{PF_FORMAT_565, 0x00FF0000, 0xF800},
                                           ConvertCase{PF_FORMAT_565, 0x0000FF00, 0x07E0},
                                           ConvertCase{PF_FORMAT_555, 0x0000FF00, 0x03E0},
                                           ConvertCase{PF_FORMAT_565, 0x000000FF, 0x001F}));

TEST(ConvertFrame, DoesNothingWithoutALockedSurface)
{
    pf_headlessReset();
    pf_setBackend(pf_headlessBackend());
    pf_mainThreadInit();
    gbuffer_T buffer;
    buffer.init(320, 240);
    workBuffer = &buffer;
    dd_close();
    EXPECT_EQ(engine_beginFrame(1), -1);   // no display: the lock fails
    engine_convertFrame();                 // must not touch any surface
    EXPECT_EQ(surfacePixels, nullptr);
    workBuffer = nullptr;
}
}
