// IT voices each tick: every voice's envelopes (volume, panning, pitch or
// filter), fade, volume, panning, pitch and filter on its sound channel.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "music/core/gmp_envelope.h"
#include "music/core/gmp_instrument.h"
#include "music/rules/it/it_rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

static int clamp64(int v) { return v < 0 ? 0 : v > 64 ? 64 : v; }

uint32_t gmp_itRate(const mpSample_T* s, int period)
{
    return (uint32_t)((double)s->c4Speed * std::exp2((double)(IT_PERIOD_C5 - period) / (12 * IT_PERIOD_SEMITONE)));
}

// The volume envelope's value this tick; past its end the note fades, and
// an envelope ending at 0 ends the note.
static int volumeEnvelope(const mpEnvelope_T* env, gmpChannel_T* ch, gmpItVoiceState_T* v)
{
    int value = gmp_envStep(env, &ch->volumeEnv, ch->keyOn);
    int last = env->numPoints - 1;
    bool held = (env->flags & MP_ENV_LOOP) || (ch->keyOn && (env->flags & MP_ENV_SUSTAIN));
    if (!held && ch->volumeEnv.tick >= env->tick[last]) {
        v->fading = 1;
        if (env->value[last] == 0 && value == 0)
            v->active = 0;
    }
    return value;
}

// The sample's automatic vibrato: its depth grows by the sweep each tick up
// to the full depth (at once without a sweep); the period offset this tick.
static int autoVibrato(gmpChannel_T* ch, const mpSample_T* s)
{
    if (!s->vibDepth || !s->vibRate)
        return 0;
    int full = s->vibDepth << 8;
    ch->autoVibTicks = s->vibSweep ? std::min(ch->autoVibTicks + s->vibSweep, full) : full;
    int delta = gmp_itWave(s->vibType, ch->autoVibPos >> 2) * ch->autoVibTicks >> 14;
    ch->autoVibPos = (ch->autoVibPos + s->vibRate) & 255;
    return delta;
}

int gmp_itUpdateVoice(gmpPlayState_T* st, gmpChannel_T* ch, gmpItVoiceState_T* v, const gmpItChannel_T* chan)
{
    int sc = ch->soundChannel;
    if (v->active && dsmChannel[sc].status <= DSM_AT_END)
        v->active = 0;
    if (!v->active) {
        v->finalVolume = 0;
        return dsm_setVolume(sc, 0);
    }
    const mpInstrument_T* inst = gmp_instrumentOf(st, v->instrument);
    const mpSample_T* s = inst && ch->sampleNum < inst->numSamples ? &inst->sample[ch->sampleNum] : nullptr;
    if (!s)
        return dsm_setVolume(sc, 0);
    const mpEnvelope_T& ve = inst->volumeEnvelope;
    const mpEnvelope_T& pe = inst->panningEnvelope;
    const mpEnvelope_T& te = inst->pitchEnvelope;
    int envVolume = (ve.flags & MP_ENV_ON) && v->volEnvOn ? volumeEnvelope(&ve, ch, v) : 64;
    int envPan = (pe.flags & MP_ENV_ON) && v->panEnvOn ? gmp_envStep(&pe, &ch->panningEnv, ch->keyOn) : 32;
    int envPitch = (te.flags & MP_ENV_ON) && v->pitchEnvOn ? gmp_envStep(&te, &v->pitchEnv, ch->keyOn) : 32;
    if (v->fading) {
        ch->fadeVolume -= inst->fadeout;
        if (ch->fadeVolume <= 0) {
            ch->fadeVolume = 0;
            v->active = 0;
        }
    }
    if (chan) {
        ch->chanVolume = chan->channelVolume;
        v->finalPan = clamp64(chan->pan + v->panOffset + chan->panbrelloDelta);
        v->surround = chan->surround;
    }
    // 6 + 6 + 7 + 6 + 7 + 6 + 15 bits of the factors, 0..64 left.
    int64_t vol = (int64_t)ch->outVolume * v->sampleVolume * v->instrumentVolume * ch->chanVolume *
                  st->globalVolume * envVolume * ch->fadeVolume;
    v->finalVolume = v->active ? (int)(vol >> 47) : 0;
    int code = dsm_setVolume(sc, v->finalVolume);
    // The panning envelope swings the panning as far as the nearer side allows.
    int p = v->finalPan;
    p = clamp64(p + (envPan - 32) * (32 - std::abs(p - 32)) / 32);
    int out = (p - 32) * 2 * st->module->panSeparation / 128;
    if (code == MPERR_OK)
        code = dsm_setPanning(sc, v->surround ? DSM_SURROUND : out);
    int period = ch->outPeriod - autoVibrato(ch, s);
    int cutoff = v->cutoff;
    if (te.flags & MP_ENV_FILTER)
        cutoff = cutoff * envPitch / 64;
    else
        period -= (envPitch - 32) * IT_PERIOD_SEMITONE / 2;
    if (code == MPERR_OK && period > 0)
        code = dsm_setRate(sc, gmp_itRate(s, period));
    if (code == MPERR_OK)
        code = dsm_setFilter(sc, cutoff, v->resonance);
    return code;
}
