// The IT rules' rows and ticks: the cell (note, instrument and volume
// column as Impulse Tracker plays them), row and fine delays, and the
// update of every voice, foreground and background.
#include <cmath>
#include <new>

#include "music/core/gmp_instrument.h"
#include "music/rules/rules.h"
#include "music/rules/it/it_rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

int gmp_itPeriod(int note) { return IT_PERIOD_C5 + (60 - note) * IT_PERIOD_SEMITONE; }

void gmp_itSetVolume(gmpChannel_T* ch, int v) { ch->volume = ch->outVolume = v < 0 ? 0 : v > 64 ? 64 : v; }

static bool commandIs(const gmpChannel_T* ch, int command, int sub)
{
    return (ch->flags & GMP_F_COMMAND) && ch->command == command && (sub < 0 || ch->param >> 4 == sub);
}

static bool isTonePorta(const gmpChannel_T* ch)
{
    int v = ch->volumeByte > MP_NO_VOLUME ? ch->volumeByte - 1 : ch->volumeByte;
    bool column = (ch->flags & GMP_F_VOLUME) && v >= 193 && v <= 202;
    return commandIs(ch, ITC_TONE_PORTA, -1) || commandIs(ch, ITC_TONE_VOLSLIDE, -1) || column;
}

static int playNote(gmpPlayState_T* st, int c)
{
    gmpChannel_T* ch = &st->channels[c];
    gmpItState_T* it = gmp_itState(st);
    const mpInstrument_T* inst = gmp_instrumentOf(st, ch->instrument);
    int n = (ch->note >> 4) * 12 + (ch->note & 15);
    if (!inst || n >= MP_NOTES)
        return MPERR_OK;
    int k = 0;
    const mpSample_T* s = gmp_noteSample(inst, n, &k);
    int mapped = inst->noteMap[n];
    if (isTonePorta(ch) && it->fg[c].active && ch->period != 0) {
        // Without the compatible-G flag an instrument number that brings
        // another sample starts it, and the glide goes on from the pitch
        // the old one had.
        bool otherSample = (ch->flags & GMP_F_INSTRUMENT) && s && s->type != DSM_SMP_NONE &&
                           gmp_channelSample(st, ch) != s;
        if (otherSample && !(st->module->flags & MP_FLAG_COMPAT_G)) {
            int period = ch->period;
            int code = gmp_itNewNote(st, c, inst, k, n);
            ch->period = ch->outPeriod = period;
            ch->portaTarget = gmp_itPeriod(mapped);
            return code;
        }
        ch->portaTarget = gmp_itPeriod(mapped);
        return MPERR_OK;
    }
    // A key with no sample plays nothing and leaves the old note as it was.
    if (!s || s->type == DSM_SMP_NONE)
        return MPERR_OK;
    return gmp_itNewNote(st, c, inst, k, n);
}

int gmp_itPlayCell(gmpPlayState_T* st, int c)
{
    gmpChannel_T* ch = &st->channels[c];
    gmpItVoiceState_T* v = &gmp_itState(st)->fg[c];
    if ((ch->flags & GMP_F_INSTRUMENT) && gmp_instrumentOf(st, ch->newInstrument))
        ch->instrument = ch->newInstrument;
    bool action = ch->flags & GMP_F_ACTION;
    if (action) {
        int a = ch->noteAction;
        gmp_itNoteAction(st, ch, v, a == MP_NOTE_OFF ? MP_NNA_OFF : a == MP_NOTE_CUT ? MP_NNA_CUT : MP_NNA_FADE);
    } else if (ch->flags & GMP_F_NOTE) {
        int code = playNote(st, c);
        if (code != MPERR_OK)
            return code;
    }
    // An instrument number sets the volume to its sample's default.
    if ((ch->flags & GMP_F_INSTRUMENT) && !action) {
        const mpSample_T* s = gmp_channelSample(st, ch);
        if (s)
            gmp_itSetVolume(ch, s->volume);
    }
    if (ch->flags & GMP_F_VOLUME)
        gmp_itVolumeRow(st, c);
    return MPERR_OK;
}

// Past the last row of a pattern, or after a jump onto a skipped order,
// play goes on at the next order that names a pattern.
static void settlePosition(gmpPlayState_T* st)
{
    const mpModule_T* m = st->module;
    if (m->orders[st->position] == MP_ORDER_SKIP) {
        int row = st->row;
        gmp_nextPosition(st);
        st->row = row;
    }
}

static int channelOf(const gmpPlayState_T* st, const gmpChannel_T* ch) { return (int)(ch - st->channels); }

// The cell, unless a note delay holds it back to its tick.
static int rowCell(gmpPlayState_T* st, gmpChannel_T* ch)
{
    ch->delayTick = 0;
    if (commandIs(ch, ITC_SPECIAL, ITS_DELAY) && (ch->param & 15)) {
        ch->delayTick = ch->param & 15;
        return MPERR_OK;
    }
    return gmp_itPlayCell(st, channelOf(st, ch));
}

static int rowCommand(gmpPlayState_T* st, gmpChannel_T* ch) { return gmp_itRowCommand(st, channelOf(st, ch)); }

// After the row: the position settled, and the next row may set a row
// delay again.
static void rowEnd(gmpPlayState_T* st)
{
    settlePosition(st);
    gmp_itState(st)->rowDelaySet = 0;
}

static void volumeTick(gmpPlayState_T* st, gmpChannel_T* ch) { gmp_itVolumeTick(st, channelOf(st, ch)); }

static int tickCommand(gmpPlayState_T* st, gmpChannel_T* ch) { return gmp_itTickCommand(st, channelOf(st, ch)); }

static int start(gmpPlayState_T* st)
{
    gmpItState_T* it = new (std::nothrow) gmpItState_T();
    st->rulesState = it;
    if (!it)
        return MPERR_NO_MEMORY;
    const mpModule_T* m = st->module;
    st->minPeriod = 1;
    st->maxPeriod = 32000;
    st->periodShift = 2;
    for (int c = 0; c < st->numChannels; c++) {
        gmpItChannel_T* x = &it->chan[c];
        x->channelVolume = m->channelVolume[c];
        x->surround = m->panning[c] == 164;
        x->pan = x->surround ? 32 : m->panning[c] / 2;
        x->cutoff = IT_CUTOFF_OPEN;
        st->channels[c].fadeVolume = GMP_FADE_FULL;
    }
    it->numBackground = st->numBackground;
    for (int k = 0; k < it->numBackground; k++)
        it->bg[k].ch.soundChannel = st->backgroundChannels[k];
    // The first row plays on the first tick.
    st->tick = st->speed - 1;
    return MPERR_OK;
}

static void stop(gmpPlayState_T* st)
{
    delete gmp_itState(st);
    st->rulesState = nullptr;
}

// Slides, vibrato and panbrello work from the base values every tick.
static void tickStart(gmpPlayState_T* st)
{
    gmpItState_T* it = gmp_itState(st);
    for (int c = 0; c < st->numChannels; c++) {
        st->channels[c].outPeriod = st->channels[c].period;
        st->channels[c].outVolume = st->channels[c].volume;
        it->chan[c].panbrelloDelta = 0;
    }
}

// Every voice, foreground and background, on the device.
static int update(gmpPlayState_T* st)
{
    gmpItState_T* it = gmp_itState(st);
    int code = MPERR_OK;
    for (int c = 0; c < st->numChannels && code == MPERR_OK; c++)
        code = gmp_itUpdateVoice(st, &st->channels[c], &it->fg[c], &it->chan[c]);
    for (int k = 0; k < it->numBackground && code == MPERR_OK; k++)
        if (it->bg[k].v.active)
            code = gmp_itUpdateVoice(st, &it->bg[k].ch, &it->bg[k].v, nullptr);
    return code;
}

// A row delay's repeat plays no notes and runs the row's commands' work of
// the other ticks; its pattern loops count again.
static int repeatRow(gmpPlayState_T* st)
{
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        if ((ch->flags & GMP_F_COMMAND) && commandIs(ch, ITC_SPECIAL, ITS_LOOP))
            gmp_patternLoop(st, ch, ch->param & 15);
    }
    return gmp_tickChannels(st);
}

// A row lasts speed ticks, more by S6x (extraTicks), and SEx plays it again
// without its notes, its commands' work of the other ticks on its first.
const gmpRules_T gmpItRules = {
    0, start, stop, nullptr, tickStart, rowCell, rowCommand, nullptr, rowEnd,
    repeatRow, volumeTick, tickCommand, update, 0,
};
