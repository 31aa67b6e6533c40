// The MOD commands: what each does on its row's tick and on the other ticks.
// Internal command numbers are the MOD reader's (effect + 1, extended
// effects 17 to 26, speed 15, tempo 16).
#include "music/gmp.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

enum {
    CMD_ARPEGGIO = 1, CMD_SLIDE_UP, CMD_SLIDE_DOWN, CMD_PORTA, CMD_VIBRATO, CMD_PORTA_VOLSLIDE,
    CMD_VIBRATO_VOLSLIDE, CMD_TREMOLO, CMD_PANNING, CMD_OFFSET, CMD_VOLSLIDE, CMD_JUMP, CMD_VOLUME,
    CMD_BREAK, CMD_SPEED, CMD_TEMPO, CMD_FINE_UP, CMD_FINE_DOWN, CMD_LOOP, CMD_PANNING_E8,
    CMD_RETRIG, CMD_FINE_VOL_UP, CMD_FINE_VOL_DOWN, CMD_CUT, CMD_DELAY, CMD_PATTERN_DELAY,
    CMD_COUNT = 34              // commands from here on are invalid pattern data
};

static const uint8_t vibratoSine[32] = {
    0, 24, 49, 74, 97, 120, 141, 161, 180, 197, 212, 224, 235, 244, 250, 253,
    255, 253, 250, 244, 235, 224, 212, 197, 180, 161, 141, 120, 97, 74, 49, 24,
};

static void setVolume(gmpPlayState_T* st, gmpChannel_T* ch, int v)
{
    ch->volume = ch->outVolume = v < 0 ? 0 : v > st->maxVolume ? st->maxVolume : v;
}

static void volumeSlide(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    int x = xy >> 4, y = xy & 15;
    setVolume(st, ch, x == 0 ? ch->volume - y : ch->volume + x);
}

static void tonePortamento(gmpPlayState_T* st, gmpChannel_T* ch)
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

static void vibrato(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int delta = (vibratoSine[ch->vibPos & 31] * ch->vibDepth) >> 7;
    ch->outPeriod = gmp_clampPeriod(st, (ch->vibPos & 32) ? ch->period - delta : ch->period + delta);
    ch->vibPos = (ch->vibPos + ch->vibSpeed) & 255;
}

// Arpeggio: the note, then x, then y semitones above it, one per tick.
static void arpeggio(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    if (ch->note == MP_NONE)
        return;
    int t = st->tick % 3;
    int add = t == 0 ? 0 : t == 1 ? xy >> 4 : xy & 15;
    int octave = ch->note >> 4, semitone = (ch->note & 15) + add;
    if (semitone > 11)
        semitone -= 12, octave++;
    // Without notes outside octaves 1 to 3 the player folds octave 4 and up
    // down by three octaves rather than leave the period table.
    if (!(st->module->flags & MP_FLAG_WIDE_OCTAVES) && octave >= 4)
        octave -= 3;
    int period = gmp_notePeriod(st, ch, octave << 4 | semitone);
    if (period)
        ch->outPeriod = gmp_clampPeriod(st, period);
}

static void takePortaTarget(gmpPlayState_T* st, gmpChannel_T* ch)
{
    if (!(ch->flags & GMP_F_NOTE))
        return;
    int period = gmp_notePeriod(st, ch, ch->note);
    if (period && ch->instrument != MP_NONE)
        ch->portaTarget = period;
    ch->flags |= GMP_F_HANDLED;
}

static int panningValue(int x) { return x < 7 ? 8 * x : x <= 8 ? 64 : 8 * x + 8; }

static void jumpToRow(gmpPlayState_T* st, int row)
{
    st->row = row;
    st->rowData = -1;
}

static void positionJump(gmpPlayState_T* st, int xx)
{
    int previous = st->position;
    st->position = xx;
    if (st->position > st->lastPosition) {
        st->position = st->restartPosition;
        st->loopCount++;
        st->globalVolume = st->module->masterVolume;
    } else if (st->position <= previous) {
        st->loopCount++;
    }
    st->pattern = st->module->orders[st->position];
    jumpToRow(st, 0);
}

int gmp_rowCommand(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int xx = ch->param, x = xx & 15;
    switch (ch->command) {
    case CMD_PORTA:
    case CMD_PORTA_VOLSLIDE:
        takePortaTarget(st, ch);
        break;
    case CMD_PANNING:
        gmp_setPanning(st, ch, xx);
        break;
    case CMD_OFFSET: {
        if (xx)
            ch->offsetMemory = xx;
        uint32_t o = (uint32_t)ch->offsetMemory * 256;
        if ((ch->flags & GMP_F_NOTE) && !(ch->flags & GMP_F_HANDLED)) {
            ch->startOffset += o;
            ch->flags |= GMP_F_HANDLED;
            int code = gmp_startNote(st, ch);
            if (code != MPERR_OK)
                return code;
        }
        // Counted twice on purpose: a later retrigger starts at twice the offset.
        ch->startOffset += o;
        break;
    }
    case CMD_JUMP:
        positionJump(st, xx);
        break;
    case CMD_VOLUME:
        setVolume(st, ch, xx);
        break;
    case CMD_BREAK: {
        if (st->rowData >= 0)
            gmp_nextPosition(st);
        // The parameter is decimal in hex digits (D32 is row 32); past the
        // pattern's end means its last row.
        int row = xx > 0x63 ? 63 : (xx >> 4) * 10 + (xx & 15);
        jumpToRow(st, row > 63 ? 63 : row);
        break;
    }
    case CMD_SPEED:
        if (xx) {
            st->speed = xx;
        } else {
            st->position = st->restartPosition;
            st->pattern = st->module->orders[st->position];
            jumpToRow(st, 0);
            st->globalVolume = st->module->masterVolume;
            st->loopCount++;
        }
        break;
    case CMD_TEMPO:
        if (xx >= 32)
            return gmp_setTempo(st, xx);
        break;
    case CMD_FINE_UP:
        gmp_setPeriod(st, ch, ch->period - (x << st->periodShift));
        break;
    case CMD_FINE_DOWN:
        gmp_setPeriod(st, ch, ch->period + (x << st->periodShift));
        break;
    case CMD_LOOP:
        if (x == 0) {
            ch->loopRow = st->row;
        } else if (ch->loopCounter == 0) {
            ch->loopCounter = x;
            jumpToRow(st, ch->loopRow);
        } else if (--ch->loopCounter != 0) {
            jumpToRow(st, ch->loopRow);
        }
        break;
    case CMD_PANNING_E8:
        gmp_setPanning(st, ch, panningValue(x));
        break;
    case CMD_RETRIG:
        ch->retrigCount = 1;
        break;
    case CMD_FINE_VOL_UP:
        setVolume(st, ch, ch->volume + x);
        break;
    case CMD_FINE_VOL_DOWN:
        setVolume(st, ch, ch->volume - x);
        break;
    case CMD_CUT:
        if (x == st->tick)
            setVolume(st, ch, 0);
        break;
    case CMD_DELAY:
        if (x && (ch->flags & GMP_F_NOTE))
            ch->flags |= GMP_F_DELAYED;
        break;
    case CMD_PATTERN_DELAY:
        if (st->patternDelay == 0)
            st->patternDelay = x;
        break;
    default:
        if (ch->command >= CMD_COUNT)
            return MPERR_INVALID_PATTERN;
        break;
    }
    return MPERR_OK;
}

int gmp_tickCommand(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int xx = ch->param, x = xx & 15;
    switch (ch->command) {
    case CMD_ARPEGGIO:
        arpeggio(st, ch, xx);
        break;
    case CMD_SLIDE_UP:
        gmp_setPeriod(st, ch, ch->period - (xx << st->periodShift));
        break;
    case CMD_SLIDE_DOWN:
        gmp_setPeriod(st, ch, ch->period + (xx << st->periodShift));
        break;
    case CMD_PORTA:
        if (ch->portaTarget && xx)
            ch->portaSpeed = xx;
        tonePortamento(st, ch);
        break;
    case CMD_VIBRATO:
        if (xx >> 4)
            ch->vibSpeed = xx >> 4;
        if (x)
            ch->vibDepth = x;
        vibrato(st, ch);
        break;
    case CMD_PORTA_VOLSLIDE:
        volumeSlide(st, ch, xx);
        tonePortamento(st, ch);
        break;
    case CMD_VIBRATO_VOLSLIDE:
        volumeSlide(st, ch, xx);
        vibrato(st, ch);
        break;
    case CMD_VOLSLIDE:
        volumeSlide(st, ch, xx);
        break;
    case CMD_RETRIG:
        if (x && ch->retrigCount >= x) {
            int code = dsm_setPosition(ch->soundChannel, ch->startOffset);
            if (code != MPERR_OK)
                return code;
            ch->retrigCount = 0;
        }
        ch->retrigCount++;
        break;
    case CMD_CUT:
        if (x == st->tick)
            setVolume(st, ch, 0);
        break;
    case CMD_DELAY:
        if (x == st->tick && (ch->flags & GMP_F_DELAYED)) {
            ch->flags &= ~GMP_F_DELAYED;
            return gmp_startNote(st, ch);
        }
        break;
    default:
        break;
    }
    return MPERR_OK;
}
