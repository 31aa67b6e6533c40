// The command rules several formats share: volume and period setting, tone
// portamento, the row and order jumps, pattern loop and delay, note cut and
// note delay. Each format's command file calls them with its own parameters.
#include "music/core/gmp.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

const uint8_t gmpVibratoSine[32] = {
    0, 24, 49, 74, 97, 120, 141, 161, 180, 197, 212, 224, 235, 244, 250, 253,
    255, 253, 250, 244, 235, 224, 212, 197, 180, 161, 141, 120, 97, 74, 49, 24,
};

void gmp_setVolume(gmpPlayState_T* st, gmpChannel_T* ch, int v)
{
    ch->volume = ch->outVolume = v < 0 ? 0 : v > st->maxVolume ? st->maxVolume : v;
}

void gmp_tonePortamento(gmpPlayState_T* st, gmpChannel_T* ch)
{
    if (ch->portaTarget == 0)
        return;
    int speed = ch->portaSpeed << st->periodShift;
    int p = ch->period;
    if (p < ch->portaTarget)
        p = p + speed > ch->portaTarget ? ch->portaTarget : p + speed;
    else
        p = p - speed < ch->portaTarget ? ch->portaTarget : p - speed;
    gmp_setPeriod(st, ch, p);
}

// A note beside a tone portamento becomes its target instead of sounding.
void gmp_takePortaTarget(gmpPlayState_T* st, gmpChannel_T* ch)
{
    if (!(ch->flags & GMP_F_NOTE))
        return;
    int period = st->rules->notePeriod(st, ch, ch->note);
    if (period && ch->instrument != MP_NONE)
        ch->portaTarget = period;
    ch->flags |= GMP_F_HANDLED;
}

void gmp_jumpToRow(gmpPlayState_T* st, int row)
{
    st->row = row;
    st->rowData = -1;
}

void gmp_positionJump(gmpPlayState_T* st, int xx)
{
    int previous = st->position;
    st->position = xx;
    if (st->position > st->lastPosition) {
        gmp_wrap(st);
    } else if (st->position <= previous) {
        st->loopCount++;
    }
    // A jump onto a marker goes on to the next pattern the list names.
    if (st->module->orders[st->position] >= MP_ORDER_SKIP) {
        st->position--;
        gmp_nextPosition(st);
    }
    st->pattern = st->module->orders[st->position];
    gmp_enterPattern(st);
    gmp_jumpToRow(st, 0);
}

int gmp_decimalRow(int xx)
{
    // The parameter is decimal in hex digits (D32 is row 32); past the
    // pattern's end means its last row.
    int row = xx > 0x63 ? 63 : (xx >> 4) * 10 + (xx & 15);
    return row > 63 ? 63 : row;
}

// The channel whose loop start and counter a loop command uses: Scream
// Tracker 3 keeps one loop for the whole song.
static gmpChannel_T* loopOwner(gmpPlayState_T* st, gmpChannel_T* ch)
{
    return st->module->flowRules == MP_FLOW_ST3 ? &st->channels[0] : ch;
}

// A loop going back to its start, as the row's request. FT2 keeps it in
// the row number that breaks share.
static void loopBack(gmpPlayState_T* st, gmpChannel_T* lc)
{
    st->loopTarget = lc->loopRow;
    if (st->module->flowRules == MP_FLOW_FT2)
        st->nextStartRow = lc->loopRow;
    else
        lc->loopWentBack = 1;
}

// A loop that has run out. Scream Tracker 3 and Impulse Tracker start the
// next one just past it, so a second loop end without a start does not
// repeat the first loop. Where a row delay's repeats count the loop again,
// a loop that went back earlier on the same row and runs out now comes back
// to this row with the same count every time (ProTracker goes back still):
// a loop that never ends, left at once.
static void loopRunsOut(gmpPlayState_T* st, gmpChannel_T* lc)
{
    uint32_t rules = st->module->flowRules;
    if (rules == MP_FLOW_ST3 || rules == MP_FLOW_IT)
        lc->loopRow = st->row + 1;
    if (lc->loopWentBack)
        st->loopTarget = GMP_LOOP_LEAVES;
}

void gmp_patternLoop(gmpPlayState_T* st, gmpChannel_T* ch, int x)
{
    gmpChannel_T* lc = loopOwner(st, ch);
    if (x == 0) {
        lc->loopRow = st->row;
    } else if (lc->loopCounter == 0) {
        lc->loopCounter = x;
        loopBack(st, lc);
    } else if (--lc->loopCounter != 0) {
        loopBack(st, lc);
    } else {
        loopRunsOut(st, lc);
    }
}

int gmp_rowEndsAfterRepeats(const gmpPlayState_T* st)
{
    return st->module->flowRules != MP_FLOW_FT2;
}

void gmp_requestBreak(gmpPlayState_T* st, int row)
{
    if (st->repeatingRow)
        return;
    st->breakRow = row;
    if (st->module->flowRules == MP_FLOW_FT2)
        st->nextStartRow = row;
}

// ProTracker's and FastTracker 2's jump also sets the row the next pattern
// starts on back to 0 (a break later on the row sets it again).
void gmp_requestJump(gmpPlayState_T* st, int order)
{
    if (st->repeatingRow)
        return;
    st->jumpOrder = order;
    if (st->module->flowRules == MP_FLOW_FT2)
        st->nextStartRow = 0;
    if (st->module->flowRules == MP_FLOW_PROTRACKER)
        st->breakRow = -1;
}

// The row's requests done with: none left for the next row.
static void forgetRowRequests(gmpPlayState_T* st)
{
    st->loopTarget = st->breakRow = st->jumpOrder = -1;
    st->rowDelayed = 0;
    for (int c = 0; c < st->numChannels; c++)
        st->channels[c].loopWentBack = 0;
}

void gmp_clearFlow(gmpPlayState_T* st)
{
    forgetRowRequests(st);
    st->nextStartRow = 0;
    st->rowEndPending = 0;
}

void gmp_startPatternAt(gmpPlayState_T* st, int row)
{
    gmp_jumpToRow(st, row < gmp_rowsOf(st) ? row : 0);
}

// A break or a jump (or both): to the jump's order or the next one, at the
// row the rules give.
static void leavePattern(gmpPlayState_T* st, int row)
{
    if (st->jumpOrder >= 0)
        gmp_positionJump(st, st->jumpOrder);
    else
        gmp_nextPosition(st);
    gmp_startPatternAt(st, row);
}

// A loop's request: back to its start, or out of a loop that never ends.
static void loopGoes(gmpPlayState_T* st)
{
    if (st->loopTarget == GMP_LOOP_LEAVES)
        gmp_leaveEndlessLoop(st);
    else
        gmp_jumpToRow(st, st->loopTarget);
}

void gmp_endRowFlow(gmpPlayState_T* st)
{
    const mpModule_T* m = st->module;
    bool leaves = st->breakRow >= 0 || st->jumpOrder >= 0;
    bool loops = st->loopTarget != -1;
    int breakRow = st->breakRow >= 0 ? st->breakRow : 0;
    switch (m->flowRules) {
    case MP_FLOW_PROTRACKER:
        // A loop, break or jump from a delayed row lands one row further on.
        if (st->loopTarget >= 0)
            gmp_jumpToRow(st, st->loopTarget + st->rowDelayed);
        else if (loops)
            loopGoes(st);
        else if (leaves)
            leavePattern(st, breakRow + st->rowDelayed);
        break;
    case MP_FLOW_ST3:
        if (loops)
            loopGoes(st);
        else if (leaves)
            leavePattern(st, breakRow);
        break;
    case MP_FLOW_IT:
        if (st->jumpOrder >= 0 || (leaves && !loops))
            leavePattern(st, breakRow);
        else if (loops)
            loopGoes(st);
        break;
    case MP_FLOW_FT2:
        // A break or jump takes the shared row number, whoever wrote it last.
        // A loop going back from a delayed row lands one row past its start.
        if (leaves) {
            leavePattern(st, st->nextStartRow);
            st->nextStartRow = 0;
        } else if (loops) {
            gmp_jumpToRow(st, st->loopTarget + st->rowDelayed);
        }
        break;
    default:
        break;
    }
    forgetRowRequests(st);
}

// Impulse Tracker's sound control, which later players honour in S3M files
// too: S9F plays the sample backward from where it is, or from its end when
// the row starts a note; S9E plays it forward again.
int gmp_playDirection(gmpChannel_T* ch, int y)
{
    if (y != 14 && y != 15)
        return MPERR_OK;
    bool newNote = (ch->flags & GMP_F_NOTE) && !(ch->flags & GMP_F_ACTION);
    return dsm_setDirection(ch->soundChannel, y == 15 ? -1 : 1, y == 15 && newNote);
}

uint32_t gmp_offsetLimit(const mpSample_T* s) { return s->loopType != MP_LOOP_NONE ? s->loopEnd : s->length; }

void gmp_noteCut(gmpPlayState_T* st, gmpChannel_T* ch, int x)
{
    if (x == st->tick)
        gmp_setVolume(st, ch, 0);
}

void gmp_holdNote(gmpChannel_T* ch, int x)
{
    if (x && (ch->flags & GMP_F_NOTE))
        ch->flags |= GMP_F_DELAYED;
}

int gmp_delayedNote(gmpPlayState_T* st, gmpChannel_T* ch, int x)
{
    if (x == st->tick && (ch->flags & GMP_F_DELAYED)) {
        ch->flags &= ~GMP_F_DELAYED;
        return gmp_startNote(st, ch);
    }
    return MPERR_OK;
}

int gmp_remember(int* memory, int value)
{
    if (value)
        *memory = value;
    return *memory;
}

int gmp_retrigVolume(int x, int v)
{
    static const int add[16] = {0, -1, -2, -4, -8, -16, 0, 0, 0, 1, 2, 4, 8, 16, 0, 0};
    if (x == 6)
        return v * 2 / 3;
    if (x == 7)
        return v / 2;
    if (x == 14)
        return v * 3 / 2;
    if (x == 15)
        return v * 2;
    return v + add[x];
}

void gmp_patternDelay(gmpPlayState_T* st, int x)
{
    if (st->patternDelay == 0)
        st->patternDelay = x;
}
