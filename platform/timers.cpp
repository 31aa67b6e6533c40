#include "platform/timers.h"

#include "platform/clock.h"
#include "platform/log.h"

tmrSlot_T timerSlots[TMR_SLOTS];

const char* const timerLabels[TMR_SLOTS] = {
    "Proceso Teclado",
    "Borrado Frame Buffer",
    "Render de Frame",
    "Render de Consola",
    "Volcado de Frame Buffer",
    "Transformacion de Triangulos",
    "Render de Triangulos",
};

static int32_t fpsCount = 0;
static int64_t fpsSecond = 0;
static float fpsValue = 0.0f;

void tmr_start(int slot) { timerSlots[slot].start = pf_timeMs(); }
void tmr_stop(int slot) { timerSlots[slot].stop = pf_timeMs(); }

void tmr_report()
{
    // Unsigned on purpose: a slot left open shows as a huge value.
    for (int i = 0; i < TMR_SLOTS; i++)
        con_log("%s : %u ms", timerLabels[i], (unsigned)(timerSlots[i].stop - timerSlots[i].start));
}

// Our clock already has millisecond resolution: nothing to raise or lower.
void tmr_highRes() {}
void tmr_lowRes() {}

float tmr_fps()
{
    int64_t now = pf_timeSeconds();
    fpsCount++;
    if (now != fpsSecond) {
        fpsValue = (float)fpsCount;
        fpsCount = 0;
        fpsSecond = now;
    }
    return fpsValue;
}
