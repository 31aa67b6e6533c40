#pragma once
// Seven named stopwatch slots for the profile the fly-through logs, and the
// frame-rate counter of the accelerator overlay. Engine thread only.
#include <cstdint>

enum {
    TMR_KEYBOARD = 0,
    TMR_CLEAR = 1,
    TMR_RENDER_FRAME = 2,
    TMR_CONSOLE = 3,
    TMR_PRESENT = 4,
    TMR_TRANSFORM = 5,
    TMR_TRIANGLES = 6,
    TMR_SLOTS = 7,
};

struct tmrSlot_T {
    uint32_t start;
    uint32_t stop;
};

extern tmrSlot_T timerSlots[TMR_SLOTS];
extern const char* const timerLabels[TMR_SLOTS];

void tmr_start(int slot);
void tmr_stop(int slot);
void tmr_report();
void tmr_highRes();
void tmr_lowRes();
float tmr_fps();
