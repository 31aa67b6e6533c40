#pragma once
// The engine thread: owns the display, the keyboard, the work buffer, the log
// and every effect. Effects bracket each frame with engine_beginFrame and
// engine_endFrame and poll engine_pump once before their first frame and
// once after every frame, ending when it returns 1.
#include <cstdint>

struct gbuffer_T;

// Thread message ids posted by the window procedure.
enum {
    DEMO_MSG_TOGGLE_WINDOW = 1001,
    DEMO_MSG_PAUSE = 1002,
    DEMO_MSG_RENDER_MODE = 1003,
    DEMO_MSG_TOGGLE_CONSOLE = 1004,
    DEMO_MSG_RENDER_MODE_N = 1005,
    DEMO_MSG_TOGGLE_3DFX = 1006,
    DEMO_MSG_STOP = 1025,
};

extern gbuffer_T* workBuffer;
extern int32_t frameCount;
extern uint8_t demoRunning;

int engine_pump();
int engine_beginFrame(int clear);
int engine_endFrame();
void engine_convertFrame();
