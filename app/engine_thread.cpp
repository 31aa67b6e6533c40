#include "app/engine_thread.h"

#include "app/window.h"
#include "effects/credits/credits.h"
#include "effects/flythrough/flythrough.h"
#include "effects/greetings/greetings.h"
#include "effects/raytracer/raytracer.h"
#include "effects/sand/sand.h"
#include "effects/scene3ds/scene3ds.h"
#include "effects/tunnel/tunnel.h"
#include "engine/engine.h"
#include "gfx2d/gbuffer.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "platform/log.h"
#include "platform/messages.h"
#include "render/r3d_hw.h"

const char* const engineStepNames[ENGINE_STEPS] = {
    "sand", "credits", "tunnel", "scene3ds", "raytracer", "flythrough", "greetings1", "greetings0",
};

static uint32_t stepFilter = 0xFFFFFFFFu;
static void (*stepHook)(int, const char*) = nullptr;

void engine_setStepFilter(uint32_t mask) { stepFilter = mask; }
void engine_setStepHook(void (*hook)(int, const char*)) { stepHook = hook; }

// The timeline's own loop for the text screens, up to (not including)
// frame `last`.
static void textScreenLoop(int32_t last, int mode)
{
    for (;;) {
        if (engine_pump() == 1)
            return;
        if (frameCount == last)
            return;
        engine_beginFrame(1);
        if (mode < 0)
            credits_frame(workBuffer, frameCount);
        else
            greetings_frame(workBuffer, frameCount, mode);
        engine_convertFrame();
        frameCount++;
        engine_endFrame();
    }
}

static void runStep(int step)
{
    if (stepFilter & (1u << (step - 1))) {
        switch (step) {
        case 1: sand_run(); break;
        case 2: textScreenLoop(600, -1); break;
        case 3: palettePart(2, 180); break;
        case 4: scene3dsPart(1000); break;
        case 5: rayTracerPart(140); break;
        case 6: flythroughPart(0); break;
        case 7: frameCount = 1300; textScreenLoop(1780, 1); break;
        case 8: frameCount = 1680; textScreenLoop(2600, 0); break;
        }
    } else if (step == 2) {
        frameCount = 600;   // a skipped credits step leaves the count where it would end
    }
    if (stepHook)
        stepHook(step, engineStepNames[step - 1]);
}

// The thread's message queue is opened by its creator, so nothing posted
// between its creation and its first poll is lost.
int engine_thread(void*)
{
    con_init();
    con_log("Varnek Demo...");
    con_log("%s", "");
    con_log("Entering main demo loop...");
    if (kb_init() == -1)
        con_log("Failed to init keyboard...");
    else
        con_log("Keyboard initiated...");

    workBuffer = new gbuffer_T;
    workBuffer->init(320, 240);

    if (credits_init(workBuffer) != 0 || greetings_init(workBuffer) != 0) {
        pf_queueClose();
        return 0;
    }
    frameCount++;
    // The renderer's pre-shaded textures follow the pixel format of every
    // display mode set-up.
    dd_setModeHook(r3d_modeHook);
    if (dd_create() != 0 || dd_setMode(1) != 0) {
        pf_queueClose();
        return -1;
    }
    dd_pixelShifts();

    // A closing window stops the effect that runs and ends the timeline:
    // nobody is left to watch the steps after it, and the window's close
    // waits for this thread.
    for (int step = 1; step <= ENGINE_STEPS && !app_closeHandled(); step++)
        runStep(step);

    workBuffer->release();
    credits_release();
    greetings_release();
    dd_close();
    if (!app_closeHandled())
        app_sendClose();
    pf_queueClose();
    return 0;
}
