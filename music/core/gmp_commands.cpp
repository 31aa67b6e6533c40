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
    gmp_jumpToRow(st, 0);
}

void gmp_patternBreak(gmpPlayState_T* st, int xx)
{
    if (st->rowData >= 0)
        gmp_nextPosition(st);
    // The parameter is decimal in hex digits (D32 is row 32); past the
    // pattern's end means its last row.
    int row = xx > 0x63 ? 63 : (xx >> 4) * 10 + (xx & 15);
    gmp_jumpToRow(st, row > 63 ? 63 : row);
}

void gmp_patternLoop(gmpPlayState_T* st, gmpChannel_T* ch, int x)
{
    if (x == 0) {
        ch->loopRow = st->row;
    } else if (ch->loopCounter == 0) {
        ch->loopCounter = x;
        gmp_jumpToRow(st, ch->loopRow);
    } else if (--ch->loopCounter != 0) {
        gmp_jumpToRow(st, ch->loopRow);
    }
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
