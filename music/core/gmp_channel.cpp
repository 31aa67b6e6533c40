// A channel on its sound channel: its sample, period and panning, and the
// row's work that the MOD-style formats (MOD, S3M) share: the instrument,
// the note after the command, a pattern delay's repeat of the commands and
// the channel update from periods through the format's clock.
#include "music/core/gmp.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

const mpSample_T* gmp_sampleOf(const gmpPlayState_T* st, const gmpChannel_T* ch)
{
    if (ch->instrument == MP_NONE || ch->instrument >= (int)st->module->samples.size())
        return nullptr;
    return st->module->samples[ch->instrument];
}

int gmp_clampPeriod(const gmpPlayState_T* st, int period)
{
    return period < st->minPeriod ? st->minPeriod : period > st->maxPeriod ? st->maxPeriod : period;
}

void gmp_setPeriod(gmpPlayState_T* st, gmpChannel_T* ch, int period)
{
    ch->period = ch->outPeriod = gmp_clampPeriod(st, period);
}

int gmp_startNote(gmpPlayState_T* st, gmpChannel_T* ch)
{
    const mpSample_T* s = gmp_sampleOf(st, ch);
    int period = st->rules->notePeriod(st, ch, ch->note);
    if (!s || !s->handle || period == 0)
        return MPERR_OK;
    ch->period = ch->outPeriod = period;
    int code = dsm_playSound(ch->soundChannel, st->rules->clock / period);
    if (code == MPERR_OK && ch->startOffset)
        code = dsm_setPosition(ch->soundChannel, ch->startOffset);
    return code;
}

void gmp_setPanning(gmpPlayState_T* st, gmpChannel_T* ch, int value)
{
    if (value == 164) {
        ch->panning = GMP_SURROUND;
        dsm_setPanning(ch->soundChannel, DSM_SURROUND);
        return;
    }
    int p = value - 64;
    ch->panning = p < -64 ? -64 : p > 64 ? 64 : p;
    dsm_setPanning(ch->soundChannel, ch->panning);
}

// The row's instrument: its sample's volume, and its sample, which takes
// over at the next note or, without one, where the playing sample ends or
// loops (the mixer's tracker-style change).
int gmp_takeInstrument(gmpPlayState_T* st, gmpChannel_T* ch)
{
    ch->instrument = ch->newInstrument;
    const mpSample_T* s = gmp_sampleOf(st, ch);
    ch->sampleNum = 0;
    ch->startOffset = 0;
    if (!s)
        return MPERR_OK;
    ch->volume = ch->outVolume = s->volume;
    // A sample without data silences the channel instead.
    return s->handle ? dsm_setSample(ch->soundChannel, s->handle) : dsm_stopSound(ch->soundChannel);
}

// Without a note the period goes back to the base (undoing the last tick's
// arpeggio or vibrato); a note that no command took or held back starts.
int gmp_cellNote(gmpPlayState_T* st, gmpChannel_T* ch)
{
    if (!(ch->flags & GMP_F_NOTE)) {
        ch->outPeriod = gmp_clampPeriod(st, ch->period);
        return MPERR_OK;
    }
    if (ch->flags & (GMP_F_DELAYED | GMP_F_HANDLED))
        return MPERR_OK;
    return gmp_startNote(st, ch);
}

// The previous row's commands again, then a tick's work; its notes are not
// played again.
int gmp_repeatRowCommands(gmpPlayState_T* st)
{
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        ch->flags &= ~(GMP_F_NOTE | GMP_F_DELAYED);
        if (ch->flags & GMP_F_COMMAND) {
            int code = st->rules->rowCommand(st, ch);
            if (code != MPERR_OK)
                return code;
        }
    }
    return gmp_tickChannels(st);
}

int gmp_updateChannels(gmpPlayState_T* st)
{
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        int64_t v = (int64_t)st->globalVolume * st->volumeFactor * ch->outVolume * ch->chanVolume;
        int code = dsm_setVolume(ch->soundChannel, (int)((v + 0x3FFFF) >> 18));
        if (code == MPERR_OK && ch->outPeriod != 0)
            code = dsm_setRate(ch->soundChannel, st->rules->clock / ch->outPeriod);
        if (code != MPERR_OK)
            return code;
    }
    return MPERR_OK;
}
