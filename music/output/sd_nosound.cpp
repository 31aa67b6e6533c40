// The silent device: mixes in step with the clock and throws the sound
// away, so the module plays on (and its timing holds) without any output.
#include <cstdint>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_settings.h"
#include "music/output/sd.h"
#include "platform/clock.h"

const sdDevice_T* sdCurrent;

namespace {
enum { SCRATCH_FRAMES = 1024 };
int16_t scratch[SCRATCH_FRAMES * 2];
int outRate;
uint32_t startMs;
uint64_t framesMixed;
uint32_t tickLength, untilTick;
}

static int nsDetect(int* present)
{
    *present = 1;
    return MPERR_OK;
}

static int nsSetTickRate(uint32_t rate)
{
    if (rate == 0)
        return MPERR_INVALID_ARGUMENTS;
    tickLength = untilTick = sd_tickLength((uint32_t)outRate, rate);
    return MPERR_OK;
}

static int nsInit(int rate, int mode)
{
    outRate = rate;
    startMs = pf_timeMs();
    framesMixed = 0;
    int code = dsm_init(rate, DSM_16BIT | DSM_STEREO | (mpSettings.quality != DSM_QUALITY_PLAIN ? DSM_HQ : 0));
    return code != MPERR_OK ? code : nsSetTickRate(5000);
}

static int nsClose() { return dsm_close(); }

static int nsStartPass() { return MPERR_OK; }

static int nsPlay(int* callPlayer)
{
    *callPlayer = 0;
    uint64_t due = (uint64_t)(uint32_t)(pf_timeMs() - startMs) * (uint64_t)outRate / 1000;
    // Never catch up more than the buffer length in one go.
    uint64_t most = (uint64_t)outRate * (uint64_t)mpSettings.bufferLength / 1000;
    if (due > framesMixed + most)
        framesMixed = due - most;
    while (framesMixed < due) {
        uint64_t n = due - framesMixed;
        if (n > untilTick)
            n = untilTick;
        if (n > SCRATCH_FRAMES)
            n = SCRATCH_FRAMES;
        dsm_mix((uint32_t)n, scratch);
        framesMixed += n;
        untilTick -= (uint32_t)n;
        if (untilTick == 0) {
            untilTick = tickLength;
            *callPlayer = 1;
            return MPERR_OK;
        }
    }
    return MPERR_OK;
}

const sdDevice_T sdNoSoundDevice = {
    "Mixing No Sound Sound Device",
    nsDetect, nsInit, nsClose, nsStartPass, nsPlay, nsSetTickRate,
};
