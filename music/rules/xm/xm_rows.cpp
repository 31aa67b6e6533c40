// The XM rules' rows and ticks: the cell (note, instrument and volume
// column as FastTracker 2 plays them) and the channel update with the
// instrument's envelopes, fadeout and automatic vibrato.
#include <cstdlib>
#include <new>

#include "music/core/gmp_instrument.h"
#include "music/rules/rules.h"
#include "music/rules/xm/xm_rules.h"
#include "music/rules/xm/xm_periods.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

static int isLinear(const gmpPlayState_T* st) { return (st->module->flags & MP_FLAG_LINEAR) != 0; }

static bool isTonePorta(const gmpChannel_T* ch)
{
    bool command = (ch->flags & GMP_F_COMMAND) &&
                   (ch->command == XMC_TONE_PORTA || ch->command == XMC_TONE_VOLSLIDE);
    bool column = (ch->flags & GMP_F_VOLUME) && (ch->volumeByte >> 4) == XMV_TONE_PORTA;
    return command || column;
}

static int commandIs(const gmpChannel_T* ch, int command, int sub)
{
    return (ch->flags & GMP_F_COMMAND) && ch->command == command && (sub < 0 || ch->param >> 4 == sub);
}

// Starts the sample of a note: the period from the table, the sample from
// its start or from the offset command's position.
static int startSample(gmpPlayState_T* st, gmpChannel_T* ch, const mpSample_T* s)
{
    gmpXmChannel_T* xc = gmp_xmChannel(st, ch);
    ch->period = ch->outPeriod = gmp_xmPeriod(isLinear(st), ch->realNote, ch->finetune);
    ch->vibPos = ch->tremPos = 0;
    ch->retrigCount = 0;
    if (!s->handle)
        return dsm_stopSound(ch->soundChannel);
    int code = dsm_setSample(ch->soundChannel, s->handle);
    if (code == MPERR_OK)
        code = dsm_playSound(ch->soundChannel, gmp_xmRate(isLinear(st), ch->period));
    if (code == MPERR_OK && commandIs(ch, XMC_OFFSET, -1)) {
        // The row's command comes after its note: take its offset now.
        gmp_remember(&xc->memOffset, ch->param);
        // The offset counts sample frames; the mixer takes bytes.
        ch->startOffset = (uint32_t)xc->memOffset * 256 << dsm_frameShift(s->type);
        // At or past the sample's end (its loop's end when it loops) the note is silent.
        if (ch->startOffset >= gmp_offsetLimit(s))
            return dsm_stopSound(ch->soundChannel);
        code = dsm_setPosition(ch->soundChannel, ch->startOffset);
    } else {
        ch->startOffset = 0;
    }
    return code;
}

static int playNote(gmpPlayState_T* st, gmpChannel_T* ch, const mpInstrument_T* inst)
{
    int note = (ch->note >> 4) * 12 + (ch->note & 15);
    int k = 0;
    const mpSample_T* s = gmp_noteSample(inst, note, &k);
    if (isTonePorta(ch) && ch->period != 0) {
        if (s)
            ch->portaTarget = gmp_xmPeriod(isLinear(st), note + s->relativeNote, ch->finetune);
        return MPERR_OK;
    }
    // A note the instrument's map sends past its samples is ignored: the
    // playing note goes on.
    if (!s && inst && inst->numSamples > 0)
        return MPERR_OK;
    // A note whose instrument or sample does not exist is silence.
    if (!s) {
        ch->sampleNum = MP_NONE;
        ch->period = ch->outPeriod = 0;
        return dsm_stopSound(ch->soundChannel);
    }
    int real = note + s->relativeNote;
    if (real < 0 || real >= MP_NOTES)
        return MPERR_OK;
    ch->sampleNum = k;
    ch->realNote = real;
    gmp_xmChannel(st, ch)->hasNote = true;
    ch->finetune = commandIs(ch, XMC_EXTENDED, XME_FINETUNE) ? (ch->param & 15) * 16 - 128 : s->finetune;
    return startSample(st, ch, s);
}

int gmp_xmPlayCell(gmpPlayState_T* st, gmpChannel_T* ch)
{
    gmpXmChannel_T* xc = gmp_xmChannel(st, ch);
    if (ch->flags & GMP_F_INSTRUMENT)
        ch->instrument = ch->newInstrument;
    const mpInstrument_T* inst = gmp_instrumentOf(st, ch->instrument);
    bool keyOff = (ch->flags & GMP_F_ACTION) && ch->noteAction == MP_NOTE_OFF;
    if (keyOff) {
        gmp_keyOff(ch, inst);
    } else if (ch->flags & GMP_F_NOTE) {
        int code = playNote(st, ch, inst);
        if (code != MPERR_OK)
            return code;
    }
    // An instrument number resets the volume and panning to its sample's,
    // with or without a note, and restarts the envelopes unless the note is
    // a key off: beside one it brings back the volume the key off took from
    // a note without a volume envelope, and the release goes on.
    if (ch->flags & GMP_F_INSTRUMENT) {
        const mpSample_T* s = gmp_channelSample(st, ch);
        if (s) {
            gmp_setVolume(st, ch, s->volume);
            xc->panning = s->panning;
        }
        xc->tremorMuted = false;
        if (!keyOff)
            gmp_triggerInstrument(ch);
    }
    if (ch->flags & GMP_F_VOLUME)
        gmp_xmVolumeRow(st, ch);
    return MPERR_OK;
}

// The cell, unless a note delay holds it back to its tick.
static int rowCell(gmpPlayState_T* st, gmpChannel_T* ch)
{
    ch->delayTick = 0;
    if (commandIs(ch, XMC_EXTENDED, XME_DELAY) && (ch->param & 15)) {
        ch->delayTick = ch->param & 15;
        return MPERR_OK;
    }
    return gmp_xmPlayCell(st, ch);
}

// Envelopes, fadeout and automatic vibrato, then the channel's final
// volume, panning and rate on the device.
static int updateChannel(gmpPlayState_T* st, gmpChannel_T* ch)
{
    gmpXmChannel_T* xc = gmp_xmChannel(st, ch);
    const mpInstrument_T* inst = gmp_instrumentOf(st, ch->instrument);
    gmp_instrumentTick(ch, inst, gmp_channelSample(st, ch));
    int64_t v = (int64_t)(xc->tremorMuted ? 0 : ch->outVolume) * ch->envVolume * ch->fadeVolume * st->globalVolume;
    int code = dsm_setVolume(ch->soundChannel, (int)(v >> 27));
    // The panning envelope swings the panning as far as the nearer side allows.
    int p = xc->panning + (ch->envPanning - 32) * (128 - std::abs(xc->panning - 128)) / 32;
    p = p < 0 ? 0 : p > 255 ? 255 : p;
    if (code == MPERR_OK)
        code = dsm_setPanning(ch->soundChannel, (p - 128) / 2);
    if (code == MPERR_OK && ch->outPeriod != 0)
        code = dsm_setRate(ch->soundChannel, gmp_xmRate(isLinear(st), ch->outPeriod + ch->autoVibDelta));
    return code;
}

static int update(gmpPlayState_T* st)
{
    int code = MPERR_OK;
    for (int c = 0; c < st->numChannels && code == MPERR_OK; c++)
        code = updateChannel(st, &st->channels[c]);
    return code;
}

static int start(gmpPlayState_T* st)
{
    st->rulesState = new (std::nothrow) gmpXmState_T();
    if (!st->rulesState)
        return MPERR_NO_MEMORY;
    st->periodShift = 2;
    st->minPeriod = 1;
    st->maxPeriod = 32000;
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        gmp_xmChannel(st, ch)->panning = 128;
        ch->fadeVolume = GMP_FADE_FULL;
        ch->envVolume = 64;
        ch->envPanning = 32;
    }
    return MPERR_OK;
}

static void stop(gmpPlayState_T* st)
{
    delete (gmpXmState_T*)st->rulesState;
    st->rulesState = nullptr;
}

// Slides and vibrato work from the base values every tick.
static void tickStart(gmpPlayState_T* st)
{
    for (int c = 0; c < st->numChannels; c++) {
        st->channels[c].outPeriod = st->channels[c].period;
        st->channels[c].outVolume = st->channels[c].volume;
    }
}

// A pattern delay repeats the row without its notes; its first tick, like
// the row's own, slides nothing (no repeatRow).
const gmpRules_T gmpXmRules = {
    0, start, stop, nullptr, tickStart, rowCell, gmp_xmRowCommand, nullptr, nullptr,
    nullptr, gmp_xmVolumeTick, gmp_xmTickCommand, update, 0,
};
