// Module player scheduling: play states, ticks, rows and the channel update.
#include <cstring>

#include "music/core/gmp.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/output/sd.h"

gmpPlayState_T* gmpPlaying[GMP_MAX_PLAYING];
uint32_t gmpTickRate = 5000;

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

int gmp_setTempo(gmpPlayState_T* st, int bpm)
{
    if (bpm == 0)
        return MPERR_OK;
    st->tempo = bpm;
    gmpTickRate = (uint32_t)bpm * 40;
    return sdCurrent ? sdCurrent->setTickRate(gmpTickRate) : MPERR_OK;
}

int gmp_soundChannelsNeeded(const mpModule_T* module)
{
    return module->numChannels + (module->formatId == MP_FORMAT_IT ? (int)module->backgroundVoices : 0);
}

int gmp_play(mpModule_T* module, int first, int last, int restart, int looping, int slot,
             const int* soundChannels, gmpPlayState_T** state)
{
    *state = nullptr;
    if (slot < 0 || slot >= GMP_MAX_PLAYING || gmpPlaying[slot])
        return MPERR_NO_RESOURCES;
    int songLength = (int)module->songLength;
    gmpPlayState_T* st = new gmpPlayState_T();
    st->slot = slot;
    st->module = module;
    st->rowData = -1;
    st->position = first < 0 || first >= songLength ? 0 : first;
    st->pattern = module->orders[st->position];
    st->lastPosition = last < 0 || last >= songLength ? songLength - 1 : last;
    st->restartPosition = restart < 0 || restart >= songLength ? (int)module->restartPos : restart;
    st->speed = module->speed;
    st->numChannels = module->numChannels;
    st->rules = module->formatId == MP_FORMAT_S3M ? &gmpS3mRules : &gmpModRules;
    st->maxVolume = 64;
    st->rules->setUp(st);
    if (module->orders[st->position] >= MP_ORDER_SKIP) {
        st->position--;
        gmp_nextPosition(st);
    }
    st->looping = looping;
    st->endLoop = looping ? 0 : 1;
    st->globalVolume = module->masterVolume;
    st->volumeFactor = 64;
    int code = gmp_setTempo(st, module->tempo);
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        ch->instrument = ch->newInstrument = MP_NONE;
        ch->sampleNum = MP_NONE;
        ch->note = MP_NONE;
        ch->volume = ch->outVolume = ch->chanVolume = 64;
        ch->soundChannel = soundChannels[c];
        gmp_setPanning(st, ch, module->panning[c]);
    }
    if (module->formatId == MP_FORMAT_XM)
        gmp_xmStart(st);
    if (code == MPERR_OK && module->formatId == MP_FORMAT_IT)
        code = gmp_itStart(st, soundChannels);
    if (code != MPERR_OK) {
        gmp_itStop(st);
        delete st;
        return code;
    }
    gmpPlaying[slot] = st;
    *state = st;
    return MPERR_OK;
}

int gmp_stop(gmpPlayState_T* state)
{
    if (!state || gmpPlaying[state->slot] != state)
        return MPERR_NOT_PLAYING;
    for (int c = 0; c < state->numChannels; c++)
        dsm_stopSound(state->channels[c].soundChannel);
    gmp_itStop(state);
    gmpPlaying[state->slot] = nullptr;
    delete state;
    return MPERR_OK;
}

void gmp_nextPosition(gmpPlayState_T* st)
{
    const mpModule_T* m = st->module;
    st->row = 0;
    int guard = (int)m->songLength + 1;
    do {
        st->position++;
        if (st->position > st->lastPosition || m->orders[st->position] == MP_ORDER_END) {
            st->position = st->restartPosition;
            st->loopCount++;
            st->globalVolume = m->masterVolume;
        }
    } while (m->orders[st->position] == MP_ORDER_SKIP && --guard > 0);
    st->pattern = m->orders[st->position];
    st->rowData = -1;
}

// Byte offset of row `row` in an encoded pattern, skipping whole entries.
static int32_t findRow(const std::vector<uint8_t>& pat, int row)
{
    uint32_t size = (uint32_t)pat.size();
    uint32_t p = 8;
    for (int r = 0; r < row && p < size; r++) {
        while (p < size && pat[p] != 0) {
            uint8_t f = pat[p++];
            p += (f & MP_ENT_NOTE ? 2 : 0) + (f & MP_ENT_VOLUME ? 1 : 0) + (f & MP_ENT_COMMAND ? 2 : 0);
        }
        p++;
    }
    return (int32_t)p;
}

void gmp_readRow(gmpPlayState_T* st)
{
    static const std::vector<uint8_t> noPattern;
    // An order naming no stored pattern plays silent rows.
    const std::vector<uint8_t>& pat =
        st->pattern < (int)st->module->patterns.size() ? st->module->patterns[st->pattern] : noPattern;
    if (st->rowData < 0)
        st->rowData = findRow(pat, st->row);
    for (int c = 0; c < st->numChannels; c++)
        st->channels[c].flags = 0;
    uint32_t size = (uint32_t)pat.size();
    uint32_t p = (uint32_t)st->rowData;
    while (p < size && pat[p] != 0) {
        uint8_t f = pat[p++];
        uint32_t need = (f & MP_ENT_NOTE ? 2 : 0) + (f & MP_ENT_VOLUME ? 1 : 0) + (f & MP_ENT_COMMAND ? 2 : 0);
        if (p + need > size)
            break;
        int c = f & MP_ENT_CHANNEL;
        gmpChannel_T* ch = c < st->numChannels ? &st->channels[c] : nullptr;
        if (f & MP_ENT_NOTE) {
            if (ch && pat[p] >= MP_NOTE_FADE && pat[p] != MP_NONE)
                ch->flags |= GMP_F_ACTION, ch->noteAction = pat[p];
            else if (ch && pat[p] != MP_NONE)
                ch->flags |= GMP_F_NOTE, ch->note = pat[p];
            if (ch && pat[p + 1] != MP_NONE)
                ch->flags |= GMP_F_INSTRUMENT, ch->newInstrument = pat[p + 1];
            p += 2;
        }
        if (f & MP_ENT_VOLUME) {
            if (ch && pat[p] != MP_NO_VOLUME)
                ch->flags |= GMP_F_VOLUME, ch->volumeByte = pat[p];
            p++;
        }
        if (f & MP_ENT_COMMAND) {
            if (ch && pat[p] != 0)
                ch->flags |= GMP_F_COMMAND, ch->command = pat[p], ch->param = pat[p + 1];
            p += 2;
        }
    }
    st->rowData = (int32_t)(p + 1);
}

static int tickEffects(gmpPlayState_T* st)
{
    for (int c = 0; c < st->numChannels; c++)
        if (st->channels[c].flags & GMP_F_COMMAND) {
            int code = st->rules->tickCommand(st, &st->channels[c]);
            if (code != MPERR_OK)
                return code;
        }
    return MPERR_OK;
}

// Rows of the playing pattern: its header's count, 64 for a missing pattern.
int gmp_rowsOf(const gmpPlayState_T* st)
{
    const mpModule_T* m = st->module;
    uint32_t rows = st->pattern < (int)m->patterns.size() ? mp_patternRows(m->patterns[st->pattern]) : 64;
    return rows ? (int)rows : 64;
}

// The row's instrument: its sample's volume, and its sample, which takes
// over at the next note or, without one, where the playing sample ends or
// loops (the mixer's tracker-style change).
static int takeInstrument(gmpPlayState_T* st, gmpChannel_T* ch)
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

static int processRow(gmpPlayState_T* st)
{
    if (st->patternDelay) {
        // Repeat the previous row's commands; its notes are not played again.
        for (int c = 0; c < st->numChannels; c++) {
            gmpChannel_T* ch = &st->channels[c];
            ch->flags &= ~(GMP_F_NOTE | GMP_F_DELAYED);
            if (ch->flags & GMP_F_COMMAND) {
                int code = st->rules->rowCommand(st, ch);
                if (code != MPERR_OK)
                    return code;
            }
        }
        int code = tickEffects(st);
        st->patternDelay--;
        return code;
    }
    gmp_readRow(st);
    const gmpRules_T* rules = st->rules;
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        if (rules->rowStart)
            rules->rowStart(st, ch);
        if (ch->flags & GMP_F_INSTRUMENT) {
            int code = takeInstrument(st, ch);
            if (code != MPERR_OK)
                return code;
        }
        if ((ch->flags & GMP_F_VOLUME) && rules->volumeColumn) {
            int code = rules->volumeColumn(st, ch);
            if (code != MPERR_OK)
                return code;
        }
        if ((ch->flags & GMP_F_ACTION) && rules->noteAction) {
            int code = rules->noteAction(st, ch);
            if (code != MPERR_OK)
                return code;
        }
        if (ch->flags & GMP_F_COMMAND) {
            int code = rules->rowCommand(st, ch);
            if (code != MPERR_OK)
                return code;
        }
        if (!(ch->flags & GMP_F_NOTE)) {
            ch->outPeriod = gmp_clampPeriod(st, ch->period);
            continue;
        }
        if (!(ch->flags & (GMP_F_DELAYED | GMP_F_HANDLED))) {
            int code = gmp_startNote(st, ch);
            if (code != MPERR_OK)
                return code;
        }
    }
    gmp_nextRow(st);
    return MPERR_OK;
}

void gmp_nextRow(gmpPlayState_T* st)
{
    if (st->rowData >= 0 && ++st->row >= gmp_rowsOf(st))
        gmp_nextPosition(st);
}

static int updateChannels(gmpPlayState_T* st)
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

// One tick of the formats the shared row processing plays.
static int scheduledTick(gmpPlayState_T* st)
{
    int code;
    if (++st->tick < st->speed) {
        code = tickEffects(st);
    } else {
        st->tick = 0;
        code = processRow(st);
    }
    return code == MPERR_OK ? updateChannels(st) : code;
}

int gmp_rowIsDue(const gmpPlayState_T* st) { return st->tick + 1 >= st->speed && st->patternDelay == 0; }

// The song's last row has played all its ticks (a pattern delay's repeats
// too) when the next tick would read a new row.
static bool songEnds(const gmpPlayState_T* st)
{
    return st->endLoop && st->loopCount >= st->endLoop && gmp_rowIsDue(st);
}

static int endPlay(gmpPlayState_T* st)
{
    st->ended = 1;
    for (int c = 0; c < st->numChannels; c++) {
        int code = dsm_stopSound(st->channels[c].soundChannel);
        if (code != MPERR_OK)
            return code;
    }
    return MPERR_OK;
}

int gmp_tick()
{
    for (int s = 0; s < GMP_MAX_PLAYING; s++) {
        gmpPlayState_T* st = gmpPlaying[s];
        if (!st || st->ended)
            continue;
        if (songEnds(st)) {
            int code = endPlay(st);
            if (code != MPERR_OK)
                return code;
            continue;
        }
        int format = st->module->formatId;
        int code = format == MP_FORMAT_XM ? gmp_xmTick(st) : format == MP_FORMAT_IT ? gmp_itTick(st) : scheduledTick(st);
        if (code != MPERR_OK)
            return code;
    }
    return MPERR_OK;
}
