#include "music/mp_render.h"

#include <cstring>

#include "music/mixer/dsm.h"
#include "music/rules/rules.h"
#include "music/mp_errors.h"
#include "music/mp_settings.h"

static_assert((int)MPR_MIX_FLOAT == (int)DSM_FLOAT && (int)MPR_MIX_INTEGER == (int)DSM_INTEGER, "the render's paths are the mixer's");

static gmpPlayState_T* mprState;
static uint32_t mprUntilTick;
static int mprRate;

int mpr_start(mpModule_T* module, int rate, int mixPath, int looping)
{
    mpr_stop();
    int quality = mpSettings.quality != DSM_QUALITY_PLAIN ? DSM_HQ : 0;
    int code = dsm_init(rate, DSM_16BIT | DSM_STEREO | mixPath | quality);
    if (code == MPERR_OK)
        code = dsm_openChannels(gmp_soundChannelsNeeded(module));
    if (code != MPERR_OK)
        return code;
    dsmSeparation = mpSettings.separation;
    int channels[MP_MAX_CHANNELS + MP_BACKGROUND_VOICES];
    for (int c = 0; c < gmp_soundChannelsNeeded(module); c++)
        channels[c] = c;
    mprRate = rate;
    mprUntilTick = 0;
    return gmp_play(module, gmp_rulesOf(module), -1, -1, -1, looping, 0, channels, &mprState);
}

void mpr_setEndLoop(int loops)
{
    if (mprState)
        gmp_setEndLoop(mprState, loops);
}

int mpr_tick(uint32_t* frames)
{
    *frames = 0;
    if (!mprState || mprState->ended)
        return MPERR_OK;
    int code = gmp_tick();
    if (code == MPERR_OK && !mprState->ended)
        // Whole frames a tick, as the trackers count them: the wave device
        // rounds every tick up to an even count, which at most tempos
        // drifts from the song's timing by a frame a tick.
        *frames = (uint32_t)((uint64_t)mprRate * 100 / gmpTickRate);
    return code;
}

int mpr_renderSong(int16_t* out, uint32_t frames, uint32_t* rendered)
{
    *rendered = 0;
    while (frames > 0) {
        if (mprUntilTick == 0) {
            int code = mpr_tick(&mprUntilTick);
            if (code != MPERR_OK || mprUntilTick == 0)
                return code;
        }
        uint32_t n = frames < mprUntilTick ? frames : mprUntilTick;
        dsm_mix(n, out);
        out += 2 * n;
        frames -= n;
        mprUntilTick -= n;
        *rendered += n;
    }
    return MPERR_OK;
}

int mpr_render(int16_t* out, uint32_t frames)
{
    uint32_t rendered = 0;
    int code = mpr_renderSong(out, frames, &rendered);
    if (code == MPERR_OK && rendered < frames)
        std::memset(out + 2 * rendered, 0, (size_t)(frames - rendered) * 4);
    return code;
}

int mpr_setPosition(int position)
{
    if (!mprState || position < 0 || position >= (int)mprState->module->songLength)
        return MPERR_INVALID_ARGUMENTS;
    gmp_setPosition(mprState, position);
    return MPERR_OK;
}

int mpr_muteChannel(int channel, int mute)
{
    if (!mprState || channel < 0 || channel >= mprState->numChannels)
        return MPERR_INVALID_CHANNEL;
    return dsm_mute(mprState->channels[channel].soundChannel, mute);
}

int mpr_loopCount() { return mprState ? mprState->loopCount : 0; }

const gmpPlayState_T* mpr_state() { return mprState; }

void mpr_stop()
{
    if (mprState)
        gmp_stop(mprState);
    mprState = nullptr;
    dsm_close();
}
