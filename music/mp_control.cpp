#include "music/mp_control.h"

#include "music/core/gmp.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_player.h"

// A playing module's handle is its slot + 1, the slot the scheduler's too.
static gmpPlayState_T* stateOf(int handle)
{
    if (handle < 1 || handle > GMP_MAX_PLAYING || !gmpPlaying[handle - 1]) {
        mp_lastError = MPERR_NOT_PLAYING;
        return nullptr;
    }
    return gmpPlaying[handle - 1];
}

int mp_getStatus(int handle, mpStatus_T* status)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    *status = mpStatus_T{};
    const gmpPlayState_T* st = stateOf(handle);
    if (!st)
        return 0;
    status->position = st->position;
    status->pattern = st->pattern;
    status->row = st->row;
    status->speed = st->speed;
    status->tempo = st->tempo;
    status->loopCount = st->loopCount;
    status->ended = st->ended;
    status->numChannels = st->numChannels;
    // A muted channel is heard at level 0, whatever its note's level.
    for (int c = 0; c < st->numChannels; c++)
        if (!dsmChannel[st->channels[c].soundChannel].mute)
            dsm_getLevel(st->channels[c].soundChannel, &status->levels[c]);
    return 1;
}

int mp_setEndLoop(int handle, int loops)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    gmpPlayState_T* st = stateOf(handle);
    if (st)
        gmp_setEndLoop(st, loops);
    return st != nullptr;
}

int mp_setPosition(int handle, int position)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    gmpPlayState_T* st = stateOf(handle);
    if (st)
        gmp_setPosition(st, position);
    return st != nullptr;
}

int mp_muteChannel(int handle, int channel, int mute)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    gmpPlayState_T* st = stateOf(handle);
    if (!st)
        return 0;
    if (channel < 0 || channel >= st->numChannels) {
        mp_lastError = MPERR_INVALID_CHANNEL;
        return 0;
    }
    dsm_mute(st->channels[channel].soundChannel, mute);
    return 1;
}

int mp_skip(int handle, double seconds, double* skipped)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    *skipped = 0;
    gmpPlayState_T* st = stateOf(handle);
    if (!st)
        return 0;
    // A tick lasts 100 / gmpTickRate seconds at the tempo it leaves.
    // The sum of tick lengths is not exact: a hair short of the time is there.
    while (!st->ended && *skipped < seconds - 1e-9) {
        int code = gmp_tick();
        if (code != MPERR_OK) {
            mp_lastError = code;
            return 0;
        }
        *skipped += 100.0 / gmpTickRate;
    }
    return 1;
}

int mp_setVolume(int volume)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    dsm_setMasterVolume(volume);
    return 1;
}
