// Module player scheduling: play states, ticks, rows and the channel update.
#include <cstring>

#include "music/gmp.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/output/sd.h"

gmpPlayState_T* gmpPlaying[GMP_MAX_PLAYING];
uint32_t gmpTickRate = 5000;

// Octave 0 periods per finetune (rows 8..15 are finetunes -8..-1); octave o
// halves o times.
static const uint16_t finetunePeriods[16][12] = {
    {1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960, 907},
    {1700, 1604, 1514, 1430, 1348, 1274, 1202, 1134, 1070, 1010, 954, 900},
    {1688, 1592, 1504, 1418, 1340, 1264, 1194, 1126, 1064, 1004, 948, 894},
    {1676, 1582, 1492, 1408, 1330, 1256, 1184, 1118, 1056, 996, 940, 888},
    {1664, 1570, 1482, 1398, 1320, 1246, 1176, 1110, 1048, 990, 934, 882},
    {1652, 1558, 1472, 1388, 1310, 1238, 1168, 1102, 1040, 982, 926, 874},
    {1640, 1548, 1460, 1378, 1302, 1228, 1160, 1094, 1032, 974, 920, 868},
    {1628, 1536, 1450, 1368, 1292, 1220, 1150, 1086, 1026, 968, 914, 862},
    {1814, 1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960},
    {1800, 1700, 1604, 1514, 1430, 1350, 1272, 1202, 1134, 1070, 1010, 954},
    {1788, 1688, 1592, 1504, 1418, 1340, 1264, 1194, 1126, 1064, 1004, 948},
    {1774, 1676, 1582, 1492, 1408, 1330, 1256, 1184, 1118, 1056, 996, 940},
    {1762, 1664, 1570, 1482, 1398, 1320, 1246, 1176, 1110, 1048, 988, 934},
    {1750, 1652, 1558, 1472, 1388, 1310, 1238, 1168, 1102, 1040, 982, 926},
    {1736, 1640, 1548, 1460, 1378, 1302, 1228, 1160, 1094, 1032, 974, 920},
    {1724, 1628, 1536, 1450, 1368, 1292, 1220, 1150, 1086, 1026, 968, 914},
};

// The Amiga's Paula clock: a period of P plays the sample at 3546895 / P Hz.
enum { GMP_PAULA_CLOCK = 3546895 };

static const mpSample_T* sampleOf(const gmpPlayState_T* st, const gmpChannel_T* ch)
{
    if (ch->instrument == MP_NONE || ch->instrument >= (int)st->module->samples.size())
        return nullptr;
    return st->module->samples[ch->instrument];
}

int gmp_notePeriod(const gmpPlayState_T* st, const gmpChannel_T* ch, int note)
{
    const mpSample_T* s = sampleOf(st, ch);
    int finetune = s ? s->finetune & 15 : 0;
    int octave = note >> 4, semitone = note & 15;
    if (semitone > 11)
        return 0;
    return finetunePeriods[finetune][semitone] >> octave;
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
    const mpSample_T* s = sampleOf(st, ch);
    int period = gmp_notePeriod(st, ch, ch->note);
    if (!s || !s->handle || period == 0)
        return MPERR_OK;
    ch->period = ch->outPeriod = period;
    int code = dsm_playSound(ch->soundChannel, GMP_PAULA_CLOCK / period);
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
    bool wide = module->flags & MP_FLAG_WIDE_OCTAVES;
    st->maxPeriod = wide ? 1712 : 856;
    st->minPeriod = wide ? 28 : 113;
    st->maxVolume = 64;
    st->looping = looping;
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
    if (code != MPERR_OK) {
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

static void readRow(gmpPlayState_T* st)
{
    const std::vector<uint8_t>& pat = st->module->patterns[st->pattern];
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
            if (ch && pat[p] != MP_NONE)
                ch->flags |= GMP_F_NOTE, ch->note = pat[p];
            if (ch && pat[p + 1] != MP_NONE)
                ch->flags |= GMP_F_INSTRUMENT, ch->newInstrument = pat[p + 1];
            p += 2;
        }
        if (f & MP_ENT_VOLUME) {
            if (ch && pat[p] != 0x50)
                ch->flags |= GMP_F_VOLUME;
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
            int code = gmp_tickCommand(st, &st->channels[c]);
            if (code != MPERR_OK)
                return code;
        }
    return MPERR_OK;
}

static int processRow(gmpPlayState_T* st)
{
    if (st->patternDelay) {
        // Repeat the previous row's commands; its notes are not played again.
        for (int c = 0; c < st->numChannels; c++) {
            gmpChannel_T* ch = &st->channels[c];
            ch->flags &= ~(GMP_F_NOTE | GMP_F_DELAYED);
            if (ch->flags & GMP_F_COMMAND) {
                int code = gmp_rowCommand(st, ch);
                if (code != MPERR_OK)
                    return code;
            }
        }
        int code = tickEffects(st);
        st->patternDelay--;
        return code;
    }
    readRow(st);
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        if (ch->flags & GMP_F_INSTRUMENT) {
            ch->instrument = ch->newInstrument;
            const mpSample_T* s = sampleOf(st, ch);
            ch->sampleNum = 0;
            ch->startOffset = 0;
            if (s) {
                ch->volume = ch->outVolume = s->volume;
                // A sample without data silences the channel instead.
                int code = s->handle ? dsm_setSample(ch->soundChannel, s->handle) : dsm_stopSound(ch->soundChannel);
                if (code != MPERR_OK)
                    return code;
            }
        }
        if (ch->flags & GMP_F_COMMAND) {
            int code = gmp_rowCommand(st, ch);
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
    if (st->rowData >= 0 && ++st->row >= 64)
        gmp_nextPosition(st);
    return MPERR_OK;
}

static int updateChannels(gmpPlayState_T* st)
{
    for (int c = 0; c < st->numChannels; c++) {
        gmpChannel_T* ch = &st->channels[c];
        int64_t v = (int64_t)st->globalVolume * st->volumeFactor * ch->outVolume * ch->chanVolume;
        int code = dsm_setVolume(ch->soundChannel, (int)((v + 0x3FFFF) >> 18));
        if (code == MPERR_OK && ch->outPeriod != 0)
            code = dsm_setRate(ch->soundChannel, GMP_PAULA_CLOCK / ch->outPeriod);
        if (code != MPERR_OK)
            return code;
    }
    return MPERR_OK;
}

int gmp_tick()
{
    for (int s = 0; s < GMP_MAX_PLAYING; s++) {
        gmpPlayState_T* st = gmpPlaying[s];
        if (!st || (st->loopCount != 0 && !st->looping))
            continue;
        int code;
        if (++st->tick < st->speed) {
            code = tickEffects(st);
        } else {
            st->tick = 0;
            code = processRow(st);
        }
        if (code == MPERR_OK)
            code = updateChannels(st);
        if (code != MPERR_OK)
            return code;
    }
    return MPERR_OK;
}
