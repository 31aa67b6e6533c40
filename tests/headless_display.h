#pragma once
// The headless display and the engine's message queue, set up as the engine
// thread has them, for tests that draw into the display or run a whole
// effect. Every presented frame goes to the hook (which may be null).
#include <cstdint>

#include "engine/engine.h"
#include "platform/backend_headless.h"
#include "platform/display.h"
#include "platform/main_thread.h"
#include "platform/messages.h"

inline void effectTest_openDisplay(void (*frameHook)(uint32_t frame, const uint16_t* pixels, int pitch, int format)) {
    pf_headlessReset();
    pf_setBackend(pf_headlessBackend());
    pf_mainThreadInit();
    pf_queueOpen();
    pf_headlessSetFrameHook(frameHook);
    demoRunning = 1;
    use3dfx = 0;
    dd_create();
    dd_setMode(1);
}

inline void effectTest_closeDisplay() {
    dd_close();
    pf_queueClose();
    demoRunning = 1;
}
