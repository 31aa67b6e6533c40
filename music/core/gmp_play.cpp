// The scheduler: play states, and the ticks and rows every format shares.
// What a format decides for itself it is asked through its rules table
// (gmpRules_T); nothing here knows which format it plays.
#include "music/core/gmp.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/output/sd.h"

gmpPlayState_T* gmpPlaying[GMP_MAX_PLAYING];
uint32_t gmpTickRate = 5000;

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
    return module->numChannels + (int)module->backgroundVoices;
}

int gmp_play(mpModule_T* module, const gmpRules_T* rules, int first, int last, int restart, int looping,
             int slot, const int* soundChannels, gmpPlayState_T** state)
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
    st->rules = rules;
    st->maxVolume = 64;
    gmp_clearFlow(st);
    if (module->orders[st->position] >= MP_ORDER_SKIP) {
        st->position--;
        gmp_nextPosition(st);
    }
    st->looping = looping;
    st->endLoop = 1;
    st->globalVolume = module->masterVolume;
    st->volumeFactor = 64;
    int code = gmp_setTempo(st, module->tempo);
    // The panning law the module's format mixes with, on every voice it plays.
    int balanced = (module->flags & MP_FLAG_BALANCED_PAN) != 0;
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        ch->instrument = ch->newInstrument = MP_NONE;
        ch->sampleNum = MP_NONE;
        ch->note = MP_NONE;
        ch->volume = ch->outVolume = ch->chanVolume = 64;
        ch->soundChannel = soundChannels[c];
        dsm_setBalancedPan(ch->soundChannel, balanced);
        gmp_setPanning(st, ch, module->panning[c]);
    }
    st->numBackground = (int)module->backgroundVoices;
    for (int k = 0; k < st->numBackground; k++) {
        st->backgroundChannels[k] = soundChannels[st->numChannels + k];
        dsm_setBalancedPan(st->backgroundChannels[k], balanced);
    }
    if (code == MPERR_OK)
        code = rules->start(st);
    if (code != MPERR_OK) {
        if (rules->stop)
            rules->stop(st);
        delete st;
        return code;
    }
    gmpPlaying[slot] = st;
    *state = st;
    return MPERR_OK;
}

int gmp_backgroundChannels(const gmpPlayState_T* st, int* out)
{
    for (int k = 0; k < st->numBackground; k++)
        out[k] = st->backgroundChannels[k];
    return st->numBackground;
}

// Every sound channel of the play falls silent.
static int silence(gmpPlayState_T* st)
{
    int code = MPERR_OK;
    for (int c = 0; c < st->numChannels && code == MPERR_OK; c++)
        code = dsm_stopSound(st->channels[c].soundChannel);
    for (int k = 0; k < st->numBackground && code == MPERR_OK; k++)
        code = dsm_stopSound(st->backgroundChannels[k]);
    return code;
}

int gmp_stop(gmpPlayState_T* state)
{
    if (!state || gmpPlaying[state->slot] != state)
        return MPERR_NOT_PLAYING;
    silence(state);
    if (state->rules->stop)
        state->rules->stop(state);
    gmpPlaying[state->slot] = nullptr;
    delete state;
    return MPERR_OK;
}

int gmp_tickChannels(gmpPlayState_T* st)
{
    const gmpRules_T* rules = st->rules;
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        if ((ch->flags & GMP_F_VOLUME) && rules->volumeTick)
            rules->volumeTick(st, ch);
        if (ch->flags & GMP_F_COMMAND) {
            int code = rules->tickCommand(st, ch);
            if (code != MPERR_OK)
                return code;
        }
    }
    return MPERR_OK;
}

// The row's end: its flow requests, then the next row.
static void endRow(gmpPlayState_T* st)
{
    gmp_endRowFlow(st);
    gmp_nextRow(st);
    if (st->rules->rowEnd)
        st->rules->rowEnd(st);
    gmp_checkFlowRepeat(st);
}

// The row's tick: read the row, then every channel's cell, command and note
// by the format's rules, then on to the next row (after a row delay's
// repeats where those run the row's loop commands again).
static int playRow(gmpPlayState_T* st)
{
    const gmpRules_T* rules = st->rules;
    gmp_readRow(st);
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        int code = rules->rowCell(st, ch);
        if (code == MPERR_OK && (ch->flags & GMP_F_COMMAND))
            code = rules->rowCommand(st, ch);
        if (code == MPERR_OK && rules->rowNote)
            code = rules->rowNote(st, ch);
        if (code != MPERR_OK)
            return code;
    }
    st->rowDelayed = st->patternDelay > 0;
    if (st->patternDelay && gmp_rowEndsAfterRepeats(st))
        st->rowEndPending = 1;
    else
        endRow(st);
    return MPERR_OK;
}

// One tick: a row lasts speed ticks (and a fine delay's more); a pattern
// delay plays it again without its notes.
static int playTick(gmpPlayState_T* st)
{
    const gmpRules_T* rules = st->rules;
    if (rules->tickStart)
        rules->tickStart(st);
    int code = MPERR_OK;
    if (++st->tick < st->speed + st->extraTicks) {
        code = gmp_tickChannels(st);
    } else {
        st->tick = 0;
        st->extraTicks = 0;
        if (st->patternDelay) {
            st->repeatingRow = 1;
            if (rules->repeatRow)
                code = rules->repeatRow(st);
            st->repeatingRow = 0;
            if (--st->patternDelay == 0 && st->rowEndPending) {
                st->rowEndPending = 0;
                endRow(st);
            }
        } else {
            if (st->firstSpeedDue) {
                st->firstSpeedDue = 0;
                st->speed = st->module->speed;
                code = gmp_setTempo(st, st->module->tempo);
            }
            if (code == MPERR_OK)
                code = playRow(st);
        }
    }
    return code == MPERR_OK ? rules->update(st) : code;
}

// A fine pattern delay (extraTicks) lengthens the row it is on: the song's
// last row too.
int gmp_rowIsDue(const gmpPlayState_T* st)
{
    return st->tick + 1 >= st->speed + st->extraTicks && st->patternDelay == 0;
}

// The song's last row has played all its ticks (a pattern delay's repeats
// too) when the next tick would read a new row.
static bool songEnds(const gmpPlayState_T* st)
{
    return !st->looping && st->loopCount >= st->endLoop && gmp_rowIsDue(st);
}

void gmp_setEndLoop(gmpPlayState_T* st, int loops)
{
    st->looping = loops == 0;
    if (loops > 0)
        st->endLoop = loops;
}

int gmp_tick()
{
    for (int s = 0; s < GMP_MAX_PLAYING; s++) {
        gmpPlayState_T* st = gmpPlaying[s];
        if (!st || st->ended)
            continue;
        int code;
        if (songEnds(st)) {
            st->ended = 1;
            code = silence(st);
        } else {
            code = playTick(st);
        }
        if (code != MPERR_OK)
            return code;
    }
    return MPERR_OK;
}
