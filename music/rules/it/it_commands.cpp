// The IT commands A..Z and the volume column: what each does on its row's
// tick and on the others, with Impulse Tracker's parameter memory (0 repeats
// the last value; D, K and L share one, E and F another that G joins under
// the compatible-G flag) and the old-effects flag.
#include "music/core/gmp_envelope.h"
#include "music/core/gmp_instrument.h"
#include "music/rules/it/it_rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

static int clampTo(int v, int hi) { return v < 0 ? 0 : v > hi ? hi : v; }

static bool oldEffects(const gmpPlayState_T* st) { return st->module->flags & MP_FLAG_OLD_EFFECTS; }

static int* toneMemory(gmpPlayState_T* st, gmpItChannel_T* x)
{
    return st->module->flags & MP_FLAG_COMPAT_G ? &x->memEF : &x->memG;
}

static void slidePeriod(gmpPlayState_T* st, gmpChannel_T* ch, int delta) { gmp_setPeriod(st, ch, ch->period + delta); }

int gmp_itWave(int wave, int pos)
{
    pos &= 63;
    switch (wave & 3) {
    case 1:
        return 64 - pos * 2;
    case 2:
        return pos < 32 ? 64 : -64;
    case 3:
        return (int)((pos * 1103515245u + 12345u) >> 16 & 127) - 64;
    default: {
        int v = gmpVibratoSine[pos & 31] >> 2;
        return pos & 32 ? -v : v;
    }
    }
}

// Vibrato and fine vibrato: IT's depth is half the old effects' one.
static void vibrato(gmpPlayState_T* st, gmpChannel_T* ch, int fine)
{
    int shift = (oldEffects(st) ? 3 : 4) + (fine ? 2 : 0);
    int delta = gmp_itWave(ch->vibWave, ch->vibPos) * ch->vibDepth >> shift;
    ch->outPeriod = gmp_clampPeriod(st, ch->period - delta);
    ch->vibPos = (ch->vibPos + ch->vibSpeed) & 63;
}

static void tremolo(gmpChannel_T* ch)
{
    int delta = gmp_itWave(ch->tremWave, ch->tremPos) * ch->tremDepth >> 5;
    ch->outVolume = clampTo(ch->volume + delta, 64);
    ch->tremPos = (ch->tremPos + ch->tremSpeed) & 63;
}

// D, K, L, N, P and W: x0 up and 0y down on the ticks after the row's;
// xF up and Fy down once, on the row's tick.
static int slideStep(int xy, int tick)
{
    int x = xy >> 4, y = xy & 15;
    if (y == 15 && x)
        return tick == 0 ? x : 0;
    if (x == 15 && y)
        return tick == 0 ? -y : 0;
    if (tick == 0)
        return 0;
    return y == 0 ? x : x == 0 ? -y : 0;
}

static void volumeSlide(gmpPlayState_T* st, gmpChannel_T* ch, gmpItChannel_T* x)
{
    gmp_itSetVolume(ch, ch->volume + slideStep(x->memD, st->tick));
}

static void portamento(gmpPlayState_T* st, gmpChannel_T* ch, int xx, int sign)
{
    int x = xx >> 4, y = xx & 15;
    if (x == 15)
        slidePeriod(st, ch, st->tick == 0 ? sign * 4 * y : 0);
    else if (x == 14)
        slidePeriod(st, ch, st->tick == 0 ? sign * y : 0);
    else if (st->tick != 0)
        slidePeriod(st, ch, sign * 4 * xx);
}

static void arpeggio(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    int t = st->tick % 3;
    int add = t == 0 ? 0 : t == 1 ? xy >> 4 : xy & 15;
    ch->outPeriod = gmp_clampPeriod(st, ch->period - add * IT_PERIOD_SEMITONE);
}

static void panbrello(gmpItChannel_T* x)
{
    x->panbrelloDelta = gmp_itWave(x->panbrelloWave, x->panbrelloPos) * x->panbrelloDepth >> 5;
    x->panbrelloPos = (x->panbrelloPos + x->panbrelloSpeed) & 63;
}

static void setPan(gmpItChannel_T* x, int pan)
{
    x->pan = clampTo(pan, 64);
    x->surround = 0;
}

// The default MIDI macros: Z00..Z7F the cutoff, Z80..Z8F the resonance.
static void filterCommand(gmpItChannel_T* x, gmpItVoiceState_T* v, int xx)
{
    if (xx < 0x80)
        x->cutoff = v->cutoff = xx;
    else if (xx < 0x90)
        x->resonance = v->resonance = (xx & 15) * 8;
}

// The smooth MIDI macro (command 28): the same macros, but the value slides from
// where the filter was on the row's tick to xx, a step each tick, reaching
// it on the row's last tick.
static void smoothFilterCommand(const gmpPlayState_T* st, gmpItChannel_T* x, gmpItVoiceState_T* v, int xx)
{
    int ticks = st->speed, t = st->tick + 1 < ticks ? st->tick + 1 : ticks;
    if (xx < 0x80) {
        if (st->tick == 0)
            x->smoothFrom = x->cutoff;
        filterCommand(x, v, x->smoothFrom + (xx - x->smoothFrom) * t / ticks);
    } else if (xx < 0x90) {
        if (st->tick == 0)
            x->smoothFrom = x->resonance;
        x->resonance = v->resonance = x->smoothFrom + ((xx & 15) * 8 - x->smoothFrom) * t / ticks;
    }
}

static void envelopeSwitch(gmpPlayState_T* st, int c, int y)
{
    gmpItVoiceState_T* v = &gmp_itState(st)->fg[c];
    switch (y) {
    case 0:
    case 1:
    case 2: {
        static const int action[3] = {MP_NNA_CUT, MP_NNA_OFF, MP_NNA_FADE};
        gmp_itPastNotes(st, c, action[y]);
        break;
    }
    case 3:
    case 4:
    case 5:
    case 6:
        v->nna = y - 3;
        break;
    case 7:
    case 8:
        v->volEnvOn = y == 8;
        break;
    case 9:
    case 10:
        v->panEnvOn = y == 10;
        break;
    case 11:
    case 12:
        v->pitchEnvOn = y == 12;
        break;
    default:
        break;
    }
}

static void specialRow(gmpPlayState_T* st, int c, int sub, int y)
{
    gmpChannel_T* ch = &st->channels[c];
    gmpItChannel_T* x = &gmp_itState(st)->chan[c];
    switch (sub) {
    case ITS_VIBRATO_WAVE:
        ch->vibWave = y & 3;
        break;
    case ITS_TREMOLO_WAVE:
        ch->tremWave = y & 3;
        break;
    case ITS_PANBRELLO_WAVE:
        x->panbrelloWave = y & 3;
        break;
    case ITS_FINE_DELAY:
        st->extraTicks += y;
        break;
    case ITS_NNA:
        envelopeSwitch(st, c, y);
        break;
    case ITS_PAN:
        setPan(x, y * 64 / 15);
        break;
    case ITS_SURROUND:
        if (y == 1)
            x->surround = 1;
        gmp_playDirection(ch, y);
        break;
    case ITS_HIGH_OFFSET:
        x->memHighOffset = y;
        break;
    case ITS_LOOP:
        gmp_patternLoop(st, ch, y);
        break;
    case ITS_ROW_DELAY:
        if (!gmp_itState(st)->rowDelaySet) {
            st->patternDelay = y;
            gmp_itState(st)->rowDelaySet = 1;
        }
        break;
    default:
        break;
    }
}

int gmp_itRowCommand(gmpPlayState_T* st, int c)
{
    gmpChannel_T* ch = &st->channels[c];
    gmpItChannel_T* x = &gmp_itState(st)->chan[c];
    int xx = ch->param, hi = xx >> 4, lo = xx & 15;
    switch (ch->command) {
    case ITC_SPEED:
        if (xx)
            st->speed = xx;
        break;
    case ITC_JUMP:
        gmp_requestJump(st, xx < (int)st->module->songLength ? xx : (int)st->module->songLength);
        break;
    case ITC_BREAK:
        gmp_requestBreak(st, xx);
        break;
    case ITC_VOLSLIDE:
        gmp_remember(&x->memD, xx);
        volumeSlide(st, ch, x);
        break;
    case ITC_PORTA_DOWN:
    case ITC_PORTA_UP:
        portamento(st, ch, gmp_remember(&x->memEF, xx), ch->command == ITC_PORTA_DOWN ? 1 : -1);
        break;
    case ITC_TONE_PORTA:
        gmp_remember(toneMemory(st, x), xx);
        break;
    case ITC_VIBRATO:
    case ITC_FINE_VIBRATO:
        gmp_remember(&ch->vibSpeed, hi);
        gmp_remember(&ch->vibDepth, lo);
        if (!oldEffects(st))
            vibrato(st, ch, ch->command == ITC_FINE_VIBRATO);
        break;
    case ITC_TREMOR:
        gmp_remember(&x->memI, xx);
        break;
    case ITC_ARPEGGIO:
        gmp_remember(&x->memJ, xx);
        break;
    case ITC_VIBRATO_VOLSLIDE:
    case ITC_TONE_VOLSLIDE:
        gmp_remember(&x->memD, xx);
        volumeSlide(st, ch, x);
        break;
    case ITC_CHANNEL_VOLUME:
        if (xx <= 64)
            x->channelVolume = xx;
        break;
    case ITC_CHANNEL_SLIDE:
        x->channelVolume = clampTo(x->channelVolume + slideStep(gmp_remember(&x->memN, xx), 0), 64);
        break;
    case ITC_OFFSET:
        gmp_remember(&x->memO, xx);
        break;
    case ITC_PAN_SLIDE:
        setPan(x, x->pan - slideStep(gmp_remember(&x->memP, xx), 0));
        break;
    case ITC_RETRIG:
        gmp_remember(&x->memQ, xx);
        break;
    case ITC_TREMOLO:
        gmp_remember(&ch->tremSpeed, hi);
        gmp_remember(&ch->tremDepth, lo);
        break;
    case ITC_SPECIAL:
        gmp_remember(&x->memS, xx);
        specialRow(st, c, x->memS >> 4, x->memS & 15);
        break;
    case ITC_TEMPO:
        gmp_remember(&x->memT, xx);
        if (x->memT >= 0x20)
            return gmp_setTempo(st, x->memT);
        break;
    case ITC_GLOBAL_VOLUME:
        if (xx <= 128)
            st->globalVolume = xx;
        break;
    case ITC_GLOBAL_SLIDE:
        st->globalVolume = clampTo(st->globalVolume + slideStep(gmp_remember(&x->memW, xx), 0), 128);
        break;
    case ITC_PANNING:
        setPan(x, (xx + 2) / 4);
        break;
    case ITC_PANBRELLO:
        if (hi)
            x->panbrelloSpeed = hi;
        if (lo)
            x->panbrelloDepth = lo;
        panbrello(x);
        break;
    case ITC_MIDI:
        filterCommand(x, &gmp_itState(st)->fg[c], xx);
        break;
    case ITC_SMOOTH_MIDI:
        smoothFilterCommand(st, x, &gmp_itState(st)->fg[c], xx);
        break;
    default:
        break;
    }
    return MPERR_OK;
}

static int specialTick(gmpPlayState_T* st, int c, int sub, int y)
{
    gmpChannel_T* ch = &st->channels[c];
    if (sub == ITS_CUT && y == st->tick) {
        gmp_itSetVolume(ch, 0);
        gmp_itNoteAction(st, ch, &gmp_itState(st)->fg[c], MP_NNA_CUT);
    } else if (sub == ITS_DELAY && y == st->tick && ch->delayTick) {
        return gmp_itPlayCell(st, c);
    }
    return MPERR_OK;
}

int gmp_itTickCommand(gmpPlayState_T* st, int c)
{
    gmpChannel_T* ch = &st->channels[c];
    gmpItChannel_T* x = &gmp_itState(st)->chan[c];
    switch (ch->command) {
    case ITC_VOLSLIDE:
        volumeSlide(st, ch, x);
        break;
    case ITC_PORTA_DOWN:
    case ITC_PORTA_UP:
        portamento(st, ch, x->memEF, ch->command == ITC_PORTA_DOWN ? 1 : -1);
        break;
    case ITC_TONE_PORTA:
        ch->portaSpeed = *toneMemory(st, x);
        gmp_tonePortamento(st, ch);
        break;
    case ITC_VIBRATO:
    case ITC_FINE_VIBRATO:
        vibrato(st, ch, ch->command == ITC_FINE_VIBRATO);
        break;
    case ITC_TREMOR: {
        // On for x ticks, off for y (one more each under the old effects).
        int more = oldEffects(st) ? 1 : 0;
        int on = (x->memI >> 4) + more, off = (x->memI & 15) + more;
        on = on ? on : 1, off = off ? off : 1;
        if (ch->tremorCount % (on + off) >= on)
            ch->outVolume = 0;
        ch->tremorCount = (ch->tremorCount + 1) % (on + off);
        break;
    }
    case ITC_ARPEGGIO:
        arpeggio(st, ch, x->memJ);
        break;
    case ITC_VIBRATO_VOLSLIDE:
        volumeSlide(st, ch, x);
        vibrato(st, ch, 0);
        break;
    case ITC_TONE_VOLSLIDE:
        volumeSlide(st, ch, x);
        ch->portaSpeed = *toneMemory(st, x);
        gmp_tonePortamento(st, ch);
        break;
    case ITC_CHANNEL_SLIDE:
        x->channelVolume = clampTo(x->channelVolume + slideStep(x->memN, st->tick), 64);
        break;
    case ITC_PAN_SLIDE:
        setPan(x, x->pan - slideStep(x->memP, st->tick));
        break;
    case ITC_RETRIG: {
        int interval = x->memQ & 15;
        if (interval && ++ch->retrigCount >= interval) {
            ch->retrigCount = 0;
            gmp_itSetVolume(ch, gmp_retrigVolume(x->memQ >> 4, ch->volume));
            return dsm_setPosition(ch->soundChannel, ch->startOffset);
        }
        break;
    }
    case ITC_TREMOLO:
        tremolo(ch);
        break;
    case ITC_SPECIAL:
        return specialTick(st, c, x->memS >> 4, x->memS & 15);
    case ITC_TEMPO:
        if (x->memT < 0x20) {
            int t = st->tempo + (x->memT >> 4 ? (x->memT & 15) : -(x->memT & 15));
            return gmp_setTempo(st, clampTo(t, 255) < 32 ? 32 : clampTo(t, 255));
        }
        break;
    case ITC_GLOBAL_SLIDE:
        st->globalVolume = clampTo(st->globalVolume + slideStep(x->memW, st->tick), 128);
        break;
    case ITC_PANBRELLO:
        panbrello(x);
        break;
    case ITC_SMOOTH_MIDI:
        smoothFilterCommand(st, x, &gmp_itState(st)->fg[c], ch->param);
        break;
    default:
        break;
    }
    return MPERR_OK;
}

// The volume column's values as IT writes them (the reader moved those
// from MP_NO_VOLUME up by one).
static int columnValue(const gmpChannel_T* ch) { return ch->volumeByte > MP_NO_VOLUME ? ch->volumeByte - 1 : ch->volumeByte; }

void gmp_itVolumeRow(gmpPlayState_T* st, int c)
{
    gmpChannel_T* ch = &st->channels[c];
    gmpItChannel_T* x = &gmp_itState(st)->chan[c];
    int v = columnValue(ch);
    if (v <= 64) {
        gmp_itSetVolume(ch, v);
    } else if (v <= 74) {
        gmp_itSetVolume(ch, ch->volume + gmp_remember(&x->memVolColumn, v - 65));
    } else if (v <= 84) {
        gmp_itSetVolume(ch, ch->volume - gmp_remember(&x->memVolColumn, v - 75));
    } else if (v <= 104) {
        gmp_remember(&x->memVolColumn, (v - 85) % 10);
    } else if (v <= 124) {
        gmp_remember(&x->memEF, ((v - 105) % 10) * 4);
    } else if (v >= 128 && v <= 192) {
        setPan(x, v - 128);
    } else if (v >= 193 && v <= 202) {
        static const int speeds[10] = {0, 1, 4, 8, 16, 32, 64, 96, 128, 255};
        gmp_remember(toneMemory(st, x), speeds[v - 193]);
    } else if (v >= 203 && v <= 212) {
        gmp_remember(&ch->vibDepth, v - 203);
    }
}

void gmp_itVolumeTick(gmpPlayState_T* st, int c)
{
    gmpChannel_T* ch = &st->channels[c];
    gmpItChannel_T* x = &gmp_itState(st)->chan[c];
    int v = columnValue(ch);
    if (v >= 85 && v <= 94) {
        gmp_itSetVolume(ch, ch->volume + x->memVolColumn);
    } else if (v >= 95 && v <= 104) {
        gmp_itSetVolume(ch, ch->volume - x->memVolColumn);
    } else if (v >= 105 && v <= 114) {
        slidePeriod(st, ch, 4 * x->memEF);
    } else if (v >= 115 && v <= 124) {
        slidePeriod(st, ch, -4 * x->memEF);
    } else if (v >= 193 && v <= 202) {
        ch->portaSpeed = *toneMemory(st, x);
        gmp_tonePortamento(st, ch);
    } else if (v >= 203 && v <= 212) {
        vibrato(st, ch, 0);
    }
}
