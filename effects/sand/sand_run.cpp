// The sand effect's ties to the engine: the display's pixel format, the
// presentation of the frame, and the timeline step.
#include "effects/sand/sand.h"

#include <cstring>

#include "effects/sand/sand_effect.h"
#include "engine/engine.h"
#include "platform/display.h"

void sandEffect_T::init()
{
    engine_beginFrame(0);
    uint32_t greenMask = dd_greenMask();
    engine_endFrame();
    setup(greenMask);
}

// The frame is already in the surface's format: copied row by row, no
// conversion, nothing cleared first.
void sandEffect_T::present()
{
    if (engine_beginFrame(0) == 0 && !use3dfx && surfacePixels) {
        int w = screenWidth < SAND_W ? screenWidth : SAND_W;
        int h = screenHeight < SAND_H ? screenHeight : SAND_H;
        for (int y = 0; y < h; y++)
            std::memcpy(surfacePixels + (size_t)y * surfacePitch, frameImage + y * SAND_W, (size_t)w * 2);
    }
    engine_endFrame();
}

int sand_run()
{
    sandEffect_T* effect = new sandEffect_T();
    effect->init();
    effect->openScript();
    while (!sandDone) {
        if (engine_pump() == 1)
            break;
        if (!effect->frame() || sandDone)
            break;
    }
    effect->cleanup();
    delete effect;
    return 0;
}
