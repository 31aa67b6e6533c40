// Reading a pattern's rows and moving through the song: the next row, the
// next order position, the wrap at the song's end.
#include "music/core/gmp.h"

void gmp_enterPattern(gmpPlayState_T* st)
{
    if (st->module->flowRules == MP_FLOW_ST3)
        st->channels[0].loopRow = 0;
}

void gmp_nextPosition(gmpPlayState_T* st)
{
    const mpModule_T* m = st->module;
    gmp_enterPattern(st);
    st->row = 0;
    int guard = (int)m->songLength + 1;
    do {
        st->position++;
        if (st->position > st->lastPosition || m->orders[st->position] == MP_ORDER_END)
            gmp_wrap(st);
    } while (m->orders[st->position] == MP_ORDER_SKIP && --guard > 0);
    st->pattern = m->orders[st->position];
    st->rowData = -1;
}

void gmp_wrap(gmpPlayState_T* st)
{
    st->position = st->restartPosition;
    st->loopCount++;
    if (st->rules->wrapResetsGlobalVolume)
        st->globalVolume = st->module->masterVolume;
}

void gmp_leaveEndlessLoop(gmpPlayState_T* st)
{
    st->firstSpeedDue = 1;
    st->nextStartRow = 0;
    gmp_nextPosition(st);
}

// A song whose pattern loops never run out (two loops restarting each other,
// a loop end met again with no loop start between) never wraps: the first
// time a flow state comes round again, play leaves the loop for the next
// order position.
void gmp_checkFlowRepeat(gmpPlayState_T* st)
{
    if (st->flowPass != st->loopCount) {
        st->flowPass = st->loopCount;
        st->flowSeen.clear();
    }
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](int v) { h = (h ^ (uint32_t)v) * 1099511628211ull; };
    mix(st->position);
    mix(st->row);
    mix(st->nextStartRow);
    for (int c = 0; c < st->numChannels; c++) {
        mix(st->channels[c].loopRow);
        mix(st->channels[c].loopCounter);
    }
    if (!st->flowSeen.insert(h).second)
        gmp_leaveEndlessLoop(st);
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

// Rows of the playing pattern: its header's count, 64 for a missing pattern.
int gmp_rowsOf(const gmpPlayState_T* st)
{
    const mpModule_T* m = st->module;
    uint32_t rows = st->pattern < (int)m->patterns.size() ? mp_patternRows(m->patterns[st->pattern]) : 64;
    return rows ? (int)rows : 64;
}

void gmp_nextRow(gmpPlayState_T* st)
{
    if (st->rowData < 0 || ++st->row < gmp_rowsOf(st))
        return;
    gmp_nextPosition(st);
    // FastTracker 2 starts the next pattern on the row a loop or a break
    // last named, not on row 0.
    gmp_startPatternAt(st, st->nextStartRow);
    st->nextStartRow = 0;
}
