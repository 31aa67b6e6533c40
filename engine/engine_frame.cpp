// The frame bracket every effect uses, the message poll, and the 32-to-16
// bit conversion of the work buffer.
#include "engine/engine.h"

#include <cstddef>

#include "engine/console.h"
#include "gfx2d/gbuffer.h"
#include "platform/display.h"
#include "platform/messages.h"
#include "platform/pixel_pack.h"
#include "platform/timers.h"
#include "render/r3d_hw.h"

gbuffer_T* workBuffer = nullptr;
int32_t frameCount = 0;
uint8_t demoRunning = 1;

static bool surfaceLocked = false;

static void displayRebuild()
{
    dd_create();
    dd_setMode(fullScreen);
}

int engine_pump()
{
    pfMsg_T msg;
    if (!pf_peekMessage(&msg))
        return 0;
    pf_getMessage(&msg);
    if (msg.id == DEMO_MSG_STOP) {
        demoRunning = 0;
        return 1;
    }
    if (!demoRunning)
        return 0;
    switch (msg.id) {
    case DEMO_MSG_TOGGLE_WINDOW:
        if (!use3dfx) {
            dd_close();
            dd_create();
            dd_setMode(!fullScreen);
        }
        break;
    case DEMO_MSG_TOGGLE_CONSOLE:
        consoleOn = !consoleOn;
        break;
    case DEMO_MSG_TOGGLE_3DFX:
        use3dfx = !use3dfx;
        if (use3dfx) {
            dd_close();
            if (r3d_hwInit() == -1) {
                displayRebuild();
                use3dfx = 0;
                con_log("no se pudo inicializar 3DFX...");
            }
            r3d_buildGreyRamp(32);
        } else {
            r3d_hwCall();
            displayRebuild();
        }
        break;
    default:
        break;   // pause and render-mode messages have no effect here
    }
    return 0;
}

int engine_beginFrame(int clear)
{
    tmr_start(TMR_CLEAR);
    surfaceLocked = false;
    if (use3dfx) {
        // Nothing to clear; the slot still closes, or the console would
        // report a stop before its start once the mode is left.
        tmr_stop(TMR_CLEAR);
        return 0;
    }
    if (clear)
        dd_clearBack();
    if (!dd_lock())
        return -1;   // slot 1 stays open, as the report then shows
    surfaceLocked = true;
    tmr_stop(TMR_CLEAR);
    return 0;
}

int engine_endFrame()
{
    tmr_start(TMR_PRESENT);
    if (!use3dfx) {
        dd_unlock();
        dd_present();
    } else {
        dd_idleFrame();
    }
    surfaceLocked = false;
    tmr_stop(TMR_PRESENT);
    return 0;
}

void engine_convertFrame()
{
    if (!surfaceLocked || use3dfx || !workBuffer || !workBuffer->pixels)
        return;
    if (workBuffer->width != screenWidth || workBuffer->pixelCount < (uint32_t)(screenWidth * screenHeight))
        return;
    const pixelPack_T format = pack_fromDisplay();
    for (int32_t y = 0; y < screenHeight; y++)
        pack_row(format, workBuffer->pixels + (std::size_t)y * screenWidth, surfacePixels + (std::size_t)y * surfacePitch,
                 screenWidth);
}
