// The MOD commands: what each does on its row's tick and on the other ticks.
// Internal command numbers are the MOD reader's (effect + 1, extended
// effects 17 to 26, speed 15, tempo 16).
#include "music/core/gmp.h"
#include "music/rules/rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

enum {
    CMD_ARPEGGIO = 1, CMD_SLIDE_UP, CMD_SLIDE_DOWN, CMD_PORTA, CMD_VIBRATO, CMD_PORTA_VOLSLIDE,
    CMD_VIBRATO_VOLSLIDE, CMD_TREMOLO, CMD_PANNING, CMD_OFFSET, CMD_VOLSLIDE, CMD_JUMP, CMD_VOLUME,
    CMD_BREAK, CMD_SPEED, CMD_TEMPO, CMD_FINE_UP, CMD_FINE_DOWN, CMD_LOOP, CMD_PANNING_E8,
    CMD_RETRIG, CMD_FINE_VOL_UP, CMD_FINE_VOL_DOWN, CMD_CUT, CMD_DELAY, CMD_PATTERN_DELAY,
    CMD_COUNT = 34              // commands from here on are invalid pattern data
};

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
enum { MOD_PAULA_CLOCK = 3546895 };

static int notePeriod(const gmpPlayState_T* st, const gmpChannel_T* ch, int note)
{
    const mpSample_T* s = gmp_sampleOf(st, ch);
    int finetune = s ? s->finetune & 15 : 0;
    int octave = note >> 4, semitone = note & 15;
    if (semitone > 11)
        return 0;
    return finetunePeriods[finetune][semitone] >> octave;
}

// The period limits: octaves 1 to 3, or 0 to 5 when the song uses them.
static int start(gmpPlayState_T* st)
{
    bool wide = st->module->flags & MP_FLAG_WIDE_OCTAVES;
    st->maxPeriod = wide ? 1712 : 856;
    st->minPeriod = wide ? 28 : 113;
    return MPERR_OK;
}

// A MOD cell has no volume column and no note actions: only its instrument
// is taken before the command.
static int rowCell(gmpPlayState_T* st, gmpChannel_T* ch)
{
    return ch->flags & GMP_F_INSTRUMENT ? gmp_takeInstrument(st, ch) : MPERR_OK;
}

static void volumeSlide(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    int x = xy >> 4, y = xy & 15;
    gmp_setVolume(st, ch, x == 0 ? ch->volume - y : ch->volume + x);
}

static void vibrato(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int delta = (gmpVibratoSine[ch->vibPos & 31] * ch->vibDepth) >> 7;
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
    int period = st->rules->notePeriod(st, ch, octave << 4 | semitone);
    if (period)
        ch->outPeriod = gmp_clampPeriod(st, period);
}

static int panningValue(int x) { return x < 7 ? 8 * x : x <= 8 ? 64 : 8 * x + 8; }

static int rowCommand(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int xx = ch->param, x = xx & 15;
    switch (ch->command) {
    case CMD_PORTA:
    case CMD_PORTA_VOLSLIDE:
        gmp_takePortaTarget(st, ch);
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
        gmp_requestJump(st, xx);
        break;
    case CMD_VOLUME:
        gmp_setVolume(st, ch, xx);
        break;
    case CMD_BREAK:
        gmp_requestBreak(st, gmp_decimalRow(xx));
        break;
    case CMD_SPEED:
        if (xx) {
            st->speed = xx;
        } else {
            gmp_wrap(st);
            st->pattern = st->module->orders[st->position];
            gmp_jumpToRow(st, 0);
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
        gmp_patternLoop(st, ch, x);
        break;
    case CMD_PANNING_E8:
        gmp_setPanning(st, ch, panningValue(x));
        break;
    case CMD_RETRIG:
        ch->retrigCount = 1;
        break;
    case CMD_FINE_VOL_UP:
        gmp_setVolume(st, ch, ch->volume + x);
        break;
    case CMD_FINE_VOL_DOWN:
        gmp_setVolume(st, ch, ch->volume - x);
        break;
    case CMD_CUT:
        gmp_noteCut(st, ch, x);
        break;
    case CMD_DELAY:
        gmp_holdNote(ch, x);
        break;
    case CMD_PATTERN_DELAY:
        gmp_patternDelay(st, x);
        break;
    default:
        if (ch->command >= CMD_COUNT)
            return MPERR_INVALID_PATTERN;
        break;
    }
    return MPERR_OK;
}

static int tickCommand(gmpPlayState_T* st, gmpChannel_T* ch)
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
        gmp_tonePortamento(st, ch);
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
        gmp_tonePortamento(st, ch);
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
        gmp_noteCut(st, ch, x);
        break;
    case CMD_DELAY:
        return gmp_delayedNote(st, ch, x);
    default:
        break;
    }
    return MPERR_OK;
}

const gmpRules_T gmpModRules = {
    MOD_PAULA_CLOCK, start, nullptr, notePeriod, nullptr, rowCell, rowCommand, gmp_cellNote, nullptr,
    gmp_repeatRowCommands, nullptr, tickCommand, gmp_updateChannels,
    1,  // a wrap sets the master volume again
};
