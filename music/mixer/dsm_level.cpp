// How loud a channel plays right now, for a player's level meter: the
// channel volume times the peak of the sample data just ahead of its play
// position.
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

// About 6 ms of a sample played at 8 kHz: long enough to span a cycle of
// most notes, short enough to follow a decay.
enum { LEVEL_FRAMES = 48 };

int dsm_getLevel(int channel, int* level)
{
    *level = 0;
    if (!dsmChannelsOpen || channel < 0 || channel >= dsmChannels)
        return MPERR_INVALID_CHANNEL;
    const dsmChannel_T* ch = &dsmChannel[channel];
    if (ch->status <= DSM_AT_END || !ch->data || !ch->present || ch->pos >= ch->length)
        return MPERR_OK;
    uint32_t end = ch->length - ch->pos < LEVEL_FRAMES ? ch->length : ch->pos + LEVEL_FRAMES;
    int peak = 0;   // 0..32768
    for (uint32_t i = ch->pos; i < end; i++) {
        int v = ch->type == DSM_SMP_16BIT ? ((const int16_t*)ch->data)[i] : (ch->data[i] - 128) * 256;
        peak = v < 0 ? (-v > peak ? -v : peak) : (v > peak ? v : peak);
    }
    *level = (int)((int64_t)peak * ch->volume / 32768);
    return MPERR_OK;
}
