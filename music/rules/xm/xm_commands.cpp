// The XM commands and the volume column: what each does on its row's tick
// and on the others, with FastTracker 2's parameter memory (a parameter of
// 0 repeats the last non-zero one of the same command).
#include "music/core/gmp_envelope.h"
#include "music/core/gmp_instrument.h"
#include "music/rules/xm/xm_rules.h"
#include "music/rules/xm/xm_periods.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

static void slidePeriod(gmpPlayState_T* st, gmpChannel_T* ch, int delta) { gmp_setPeriod(st, ch, ch->period + delta); }

// Up by x, or down by y when x is 0.
static void volumeSlide(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    gmp_setVolume(st, ch, xy >> 4 ? ch->volume + (xy >> 4) : ch->volume - (xy & 15));
}

static void slidePanning(gmpXmChannel_T* xc, int delta)
{
    int p = xc->panning + delta;
    xc->panning = p < 0 ? 0 : p > 255 ? 255 : p;
}

// The vibrato and tremolo waveforms, 0..255 over half a cycle of 32 steps.
static int waveValue(int wave, int pos)
{
    switch (wave & 3) {
    case 1:
        return pos & 32 ? 255 - (pos & 31) * 8 : (pos & 31) * 8;
    case 2:
        return 255;
    default:
        return gmpVibratoSine[pos & 31];
    }
}

void gmp_xmVibrato(gmpPlayState_T* st, gmpChannel_T* ch)
{
    // Four times the ProTracker depth: XM periods are four times as fine.
    int delta = waveValue(ch->vibWave, ch->vibPos) * ch->vibDepth >> 5;
    ch->outPeriod = gmp_clampPeriod(st, ch->vibPos & 32 ? ch->period - delta : ch->period + delta);
    ch->vibPos = (ch->vibPos + ch->vibSpeed) & 63;
}

// Tone portamento, in semitone steps under E3x.
static void xmTonePortamento(gmpPlayState_T* st, gmpChannel_T* ch)
{
    gmp_tonePortamento(st, ch);
    if (!gmp_xmChannel(st, ch)->glissando)
        return;
    // The slide goes on underneath; what sounds is the nearest note at the
    // channel's finetune.
    int linear = (st->module->flags & MP_FLAG_LINEAR) != 0;
    int best = ch->period, distance = -1;
    for (int note = 0; note < MP_NOTES; note++) {
        int p = gmp_xmPeriod(linear, note, ch->finetune);
        int d = p > ch->period ? p - ch->period : ch->period - p;
        if (distance < 0 || d < distance)
            best = p, distance = d;
    }
    ch->outPeriod = best;
}

static void tremolo(gmpChannel_T* ch)
{
    int delta = waveValue(ch->tremWave, ch->tremPos) * ch->tremDepth >> 6;
    int v = ch->tremPos & 32 ? ch->volume - delta : ch->volume + delta;
    ch->outVolume = v < 0 ? 0 : v > 64 ? 64 : v;
    ch->tremPos = (ch->tremPos + ch->tremSpeed) & 63;
}

static void arpeggio(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    int t = st->tick % 3;
    int add = t == 0 ? 0 : t == 1 ? xy >> 4 : xy & 15;
    if (add && ch->sampleNum != MP_NONE)
        ch->outPeriod = gmp_xmPeriod((st->module->flags & MP_FLAG_LINEAR) != 0, ch->realNote + add, ch->finetune);
}

static int retrigger(gmpChannel_T* ch)
{
    return dsm_setPosition(ch->soundChannel, ch->startOffset);
}

static void globalSlide(gmpPlayState_T* st, int xy)
{
    int v = st->globalVolume + (xy >> 4 ? xy >> 4 : -(xy & 15));
    st->globalVolume = v < 0 ? 0 : v > 64 ? 64 : v;
}

static void setSpeed(gmpPlayState_T* st, int xx)
{
    if (xx >= 32) {
        gmp_setTempo(st, xx);
    } else if (xx) {
        st->speed = xx;
    } else {
        // F00 ends the song: play goes on from the restart position.
        gmp_wrap(st);
        st->pattern = st->module->orders[st->position];
        gmp_jumpToRow(st, 0);
    }
}

static void extendedRow(gmpPlayState_T* st, gmpChannel_T* ch, int sub, int x)
{
    gmpXmChannel_T* xc = gmp_xmChannel(st, ch);
    switch (sub) {
    case XME_FINE_UP:
        slidePeriod(st, ch, -4 * gmp_remember(&xc->memFineUp, x));
        break;
    case XME_FINE_DOWN:
        slidePeriod(st, ch, 4 * gmp_remember(&xc->memFineDown, x));
        break;
    case XME_GLISSANDO:
        xc->glissando = x != 0;
        break;
    case XME_VIBRATO_WAVE:
        ch->vibWave = x & 3;
        break;
    case XME_LOOP:
        gmp_patternLoop(st, ch, x);
        break;
    case XME_TREMOLO_WAVE:
        ch->tremWave = x & 3;
        break;
    case XME_PANNING:
        // Sixteen steps from left to right, x/15 of the way (E8F is the
        // right side, as 8FF is), for the songs that pan with it.
        xc->panning = std::min(255, (x * 256 + 7) / 15);
        break;
    case XME_FINE_VOL_UP:
        gmp_setVolume(st, ch, ch->volume + gmp_remember(&xc->memFineVolUp, x));
        break;
    case XME_FINE_VOL_DOWN:
        gmp_setVolume(st, ch, ch->volume - gmp_remember(&xc->memFineVolDown, x));
        break;
    case XME_CUT:
        gmp_noteCut(st, ch, x);
        break;
    case XME_PATTERN_DELAY:
        gmp_patternDelay(st, x);
        break;
    default:
        break;
    }
}

int gmp_xmRowCommand(gmpPlayState_T* st, gmpChannel_T* ch)
{
    gmpXmChannel_T* xc = gmp_xmChannel(st, ch);
    int xx = ch->param, x = xx >> 4, y = xx & 15;
    switch (ch->command) {
    case XMC_PORTA_UP:
        gmp_remember(&xc->memSlideUp, xx);
        break;
    case XMC_PORTA_DOWN:
        gmp_remember(&xc->memSlideDown, xx);
        break;
    case XMC_TONE_PORTA:
        gmp_remember(&ch->portaSpeed, xx);
        break;
    case XMC_VIBRATO:
        gmp_remember(&ch->vibSpeed, x);
        gmp_remember(&ch->vibDepth, y);
        break;
    case XMC_TONE_VOLSLIDE:
    case XMC_VIBRATO_VOLSLIDE:
    case XMC_VOLSLIDE:
        gmp_remember(&xc->memVolSlide, xx);
        break;
    case XMC_TREMOLO:
        gmp_remember(&ch->tremSpeed, x);
        gmp_remember(&ch->tremDepth, y);
        break;
    case XMC_PANNING:
        xc->panning = xx;
        break;
    case XMC_JUMP:
        gmp_requestJump(st, xx < (int)st->module->songLength ? xx : (int)st->module->songLength);
        break;
    case XMC_VOLUME:
        gmp_setVolume(st, ch, xx);
        break;
    case XMC_BREAK:
        // Decimal digits; past the next pattern's rows means its first row.
        gmp_requestBreak(st, (xx >> 4) * 10 + (xx & 15));
        break;
    case XMC_EXTENDED:
        extendedRow(st, ch, x, y);
        break;
    case XMC_SPEED:
        setSpeed(st, xx);
        break;
    case XMC_GLOBAL_VOLUME:
        st->globalVolume = xx > 64 ? 64 : xx;
        break;
    case XMC_GLOBAL_SLIDE:
        gmp_remember(&xc->memGlobalSlide, xx);
        break;
    case XMC_KEY_OFF:
        if (xx == 0)
            gmp_keyOff(ch, gmp_instrumentOf(st, ch->instrument));
        break;
    case XMC_ENVELOPE_POSITION: {
        const mpInstrument_T* inst = gmp_instrumentOf(st, ch->instrument);
        if (inst) {
            gmp_envSetPosition(&inst->volumeEnvelope, &ch->volumeEnv, xx);
            gmp_envSetPosition(&inst->panningEnvelope, &ch->panningEnv, xx);
        }
        break;
    }
    case XMC_PAN_SLIDE:
        gmp_remember(&xc->memPanSlide, xx);
        break;
    case XMC_RETRIG:
        if (x)
            xc->memRetrig = (xc->memRetrig & 15) | x << 4;
        if (y)
            xc->memRetrig = (xc->memRetrig & 0xF0) | y;
        break;
    case XMC_TREMOR:
        gmp_remember(&xc->memTremor, xx);
        break;
    case XMC_OFFSET:
        // The offset is remembered on a row without a note too, for the
        // next 900.
        gmp_remember(&xc->memOffset, xx);
        break;
    case XMC_EXTRA_FINE:
        // One period unit a step: a quarter of a fine slide.
        if (x == 1)
            slidePeriod(st, ch, -gmp_remember(&xc->memExtraUp, y));
        else if (x == 2)
            slidePeriod(st, ch, gmp_remember(&xc->memExtraDown, y));
        break;
    default:
        break;
    }
    return MPERR_OK;
}

static int extendedTick(gmpPlayState_T* st, gmpChannel_T* ch, int sub, int x)
{
    switch (sub) {
    case XME_RETRIG:
        if (x && st->tick % x == 0)
            return retrigger(ch);
        break;
    case XME_CUT:
        gmp_noteCut(st, ch, x);
        break;
    case XME_DELAY:
        if (x == st->tick && ch->delayTick) {
            // A delay on a row without a note replays the channel's last one.
            if (!(ch->flags & (GMP_F_NOTE | GMP_F_ACTION)) && gmp_xmChannel(st, ch)->hasNote)
                ch->flags |= GMP_F_NOTE;
            return gmp_xmPlayCell(st, ch);
        }
        break;
    default:
        break;
    }
    return MPERR_OK;
}

int gmp_xmTickCommand(gmpPlayState_T* st, gmpChannel_T* ch)
{
    gmpXmChannel_T* xc = gmp_xmChannel(st, ch);
    int xx = ch->param;
    switch (ch->command) {
    case XMC_ARPEGGIO:
        arpeggio(st, ch, xx);
        break;
    case XMC_PORTA_UP:
        slidePeriod(st, ch, -4 * xc->memSlideUp);
        break;
    case XMC_PORTA_DOWN:
        slidePeriod(st, ch, 4 * xc->memSlideDown);
        break;
    case XMC_TONE_PORTA:
        xmTonePortamento(st, ch);
        break;
    case XMC_VIBRATO:
        gmp_xmVibrato(st, ch);
        break;
    case XMC_TONE_VOLSLIDE:
        volumeSlide(st, ch, xc->memVolSlide);
        xmTonePortamento(st, ch);
        break;
    case XMC_VIBRATO_VOLSLIDE:
        volumeSlide(st, ch, xc->memVolSlide);
        gmp_xmVibrato(st, ch);
        break;
    case XMC_TREMOLO:
        tremolo(ch);
        break;
    case XMC_VOLSLIDE:
        volumeSlide(st, ch, xc->memVolSlide);
        break;
    case XMC_EXTENDED:
        return extendedTick(st, ch, xx >> 4, xx & 15);
    case XMC_GLOBAL_SLIDE:
        globalSlide(st, xc->memGlobalSlide);
        break;
    case XMC_KEY_OFF:
        if (xx == st->tick)
            gmp_keyOff(ch, gmp_instrumentOf(st, ch->instrument));
        break;
    case XMC_PAN_SLIDE:
        slidePanning(xc, xc->memPanSlide >> 4 ? xc->memPanSlide >> 4 : -(xc->memPanSlide & 15));
        break;
    case XMC_RETRIG: {
        int interval = xc->memRetrig & 15;
        if (interval && ++ch->retrigCount >= interval) {
            ch->retrigCount = 0;
            gmp_setVolume(st, ch, gmp_retrigVolume(xc->memRetrig >> 4, ch->volume));
            return retrigger(ch);
        }
        break;
    }
    case XMC_TREMOR: {
        // On for x + 1 ticks, then off for y + 1.
        int on = (xc->memTremor >> 4) + 1, off = (xc->memTremor & 15) + 1;
        xc->tremorMuted = ch->tremorCount % (on + off) >= on;
        ch->tremorCount = (ch->tremorCount + 1) % (on + off);
        break;
    }
    default:
        break;
    }
    return MPERR_OK;
}

void gmp_xmVolumeRow(gmpPlayState_T* st, gmpChannel_T* ch)
{
    gmpXmChannel_T* xc = gmp_xmChannel(st, ch);
    int v = ch->volumeByte, x = v & 15;
    if (v <= 64) {
        gmp_setVolume(st, ch, v);
        return;
    }
    switch (v >> 4) {
    case XMV_SLIDE_DOWN:
    case XMV_SLIDE_UP:
        // The column's slides keep their speed where Axy keeps its own: a
        // later A00 slides as the column last did.
        gmp_remember(&xc->memVolSlide, v >> 4 == XMV_SLIDE_DOWN ? x : x << 4);
        break;
    case XMV_FINE_DOWN:
        gmp_setVolume(st, ch, ch->volume - x);
        break;
    case XMV_FINE_UP:
        gmp_setVolume(st, ch, ch->volume + x);
        break;
    case XMV_VIBRATO_SPEED:
        gmp_remember(&ch->vibSpeed, x);
        break;
    case XMV_VIBRATO:
        gmp_remember(&ch->vibDepth, x);
        break;
    case XMV_PANNING:
        xc->panning = x * 16;
        break;
    case XMV_TONE_PORTA:
        gmp_remember(&ch->portaSpeed, x * 16);
        break;
    default:
        break;
    }
}

void gmp_xmVolumeTick(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int v = ch->volumeByte, x = v & 15;
    switch (v >> 4) {
    case XMV_SLIDE_DOWN:
        gmp_setVolume(st, ch, ch->volume - x);
        break;
    case XMV_SLIDE_UP:
        gmp_setVolume(st, ch, ch->volume + x);
        break;
    case XMV_VIBRATO:
        gmp_xmVibrato(st, ch);
        break;
    case XMV_PAN_LEFT:
        slidePanning(gmp_xmChannel(st, ch), -x);
        break;
    case XMV_PAN_RIGHT:
        slidePanning(gmp_xmChannel(st, ch), x);
        break;
    case XMV_TONE_PORTA:
        xmTonePortamento(st, ch);
        break;
    default:
        break;
    }
}
