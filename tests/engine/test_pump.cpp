// The engine thread's message poll: stop first, then discarding once
// stopped, and the toggles.
#include <gtest/gtest.h>

#include "engine/console.h"
#include "engine/engine.h"
#include "platform/backend_headless.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/main_thread.h"
#include "platform/messages.h"
#include "platform/timers.h"
#include "tests/headless_display.h"

namespace {
class Pump : public ::testing::Test {
protected:
    void SetUp() override
    {
        consoleOn = 0;
        effectTest_openDisplay(nullptr);
    }
    void TearDown() override
    {
        effectTest_closeDisplay();
        use3dfx = 0;
        consoleOn = 0;
        fullScreen = 1;
    }
};

TEST_F(Pump, EmptyQueueReturnsZero)
{
    EXPECT_EQ(engine_pump(), 0);
}

TEST_F(Pump, StopEndsTheEffectAndClearsRunning)
{
    pf_postThreadMessage(DEMO_MSG_STOP);
    EXPECT_EQ(engine_pump(), 1);
    EXPECT_EQ(demoRunning, 0);
    pfMsg_T m;
    EXPECT_EQ(pf_peekMessage(&m), 0);
}

TEST_F(Pump, OnceStoppedOtherMessagesAreDiscardedButStopStillObeyed)
{
    demoRunning = 0;
    pf_postThreadMessage(DEMO_MSG_TOGGLE_CONSOLE);
    pf_postThreadMessage(DEMO_MSG_TOGGLE_WINDOW);
    pf_postThreadMessage(DEMO_MSG_STOP);
    EXPECT_EQ(engine_pump(), 0);
    EXPECT_EQ(engine_pump(), 0);
    EXPECT_EQ(consoleOn, 0);
    EXPECT_EQ(fullScreen, 1);
    EXPECT_EQ(engine_pump(), 1);
}

TEST_F(Pump, ConsoleAndWindowToggleTwiceRestore)
{
    pf_postThreadMessage(DEMO_MSG_TOGGLE_CONSOLE);
    EXPECT_EQ(engine_pump(), 0);
    EXPECT_EQ(consoleOn, 1);
    pf_postThreadMessage(DEMO_MSG_TOGGLE_WINDOW);
    EXPECT_EQ(engine_pump(), 0);
    EXPECT_EQ(fullScreen, 0);
    EXPECT_EQ(pf_headlessFullScreen(), 0);
    EXPECT_NE(dd_primarySurface(), nullptr);
    pf_postThreadMessage(DEMO_MSG_TOGGLE_CONSOLE);
    pf_postThreadMessage(DEMO_MSG_TOGGLE_WINDOW);
    engine_pump();
    engine_pump();
    EXPECT_EQ(consoleOn, 0);
    EXPECT_EQ(fullScreen, 1);
    EXPECT_EQ(pf_headlessFullScreen(), 1);
}

TEST_F(Pump, PauseAndRenderModeMessagesDoNothing)
{
    for (uint32_t id : {(uint32_t)DEMO_MSG_PAUSE, (uint32_t)DEMO_MSG_RENDER_MODE, (uint32_t)DEMO_MSG_RENDER_MODE_N, 4242u})
        pf_postThreadMessage(id);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(engine_pump(), 0);
    EXPECT_EQ(demoRunning, 1);
    EXPECT_EQ(consoleOn, 0);
    EXPECT_EQ(fullScreen, 1);
}

TEST_F(Pump, AcceleratorModeReleasesTheDisplayAndIgnoresWindowToggle)
{
    pf_postThreadMessage(DEMO_MSG_TOGGLE_3DFX);
    EXPECT_EQ(engine_pump(), 0);
    EXPECT_EQ(use3dfx, 1);
    EXPECT_EQ(dd_primarySurface(), nullptr);
    pf_sleepMs(40);
    timerSlots[TMR_CLEAR] = {0, 0};
    EXPECT_EQ(engine_beginFrame(1), 0);   // records its timer only
    EXPECT_EQ(surfacePixels, nullptr);
    // The clear slot closes too: its stop is not before its start.
    EXPECT_GE(timerSlots[TMR_CLEAR].start, 40u);
    EXPECT_GE(timerSlots[TMR_CLEAR].stop, timerSlots[TMR_CLEAR].start);
    EXPECT_EQ(engine_endFrame(), 0);
    pf_postThreadMessage(DEMO_MSG_TOGGLE_WINDOW);
    EXPECT_EQ(engine_pump(), 0);
    EXPECT_EQ(fullScreen, 1);
    EXPECT_EQ(dd_primarySurface(), nullptr);
    pf_postThreadMessage(DEMO_MSG_TOGGLE_3DFX);
    EXPECT_EQ(engine_pump(), 0);
    EXPECT_EQ(use3dfx, 0);
    EXPECT_NE(dd_primarySurface(), nullptr);
}
}
