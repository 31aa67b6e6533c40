// IT's new-note actions: a new note's duplicate check and new-note action,
// which may leave the playing note to sound on in a background voice with
// its envelopes and fadeout (the quietest voice is taken when none is
// free), and the note actions themselves (cut, off, fade).
#include "music/core/gmp_envelope.h"
#include "music/core/gmp_instrument.h"
#include "music/rules/it/it_rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

void gmp_itNoteAction(gmpPlayState_T* st, gmpChannel_T* ch, gmpItVoiceState_T* v, int action)
{
    switch (action) {
    case MP_NNA_CUT:
        v->active = 0;
        dsm_stopSound(ch->soundChannel);
        break;
    case MP_NNA_OFF: {
        ch->keyOn = 0;
        dsm_releaseSound(ch->soundChannel);
        // Without a volume envelope to release, or with one that loops,
        // the note fades.
        const mpInstrument_T* inst = gmp_instrumentOf(st, v->instrument);
        const mpEnvelope_T* env = inst ? &inst->volumeEnvelope : nullptr;
        if (!env || !(env->flags & MP_ENV_ON) || !v->volEnvOn || (env->flags & MP_ENV_LOOP))
            v->fading = 1;
        break;
    }
    case MP_NNA_FADE:
        v->fading = 1;
        break;
    default:
        break;
    }
}

void gmp_itPastNotes(gmpPlayState_T* st, int c, int action)
{
    gmpItState_T* it = gmp_itState(st);
    for (int k = 0; k < it->numBackground; k++)
        if (it->bg[k].v.active && it->bg[k].owner == c)
            gmp_itNoteAction(st, &it->bg[k].ch, &it->bg[k].v, action);
}

// A free background voice, or the quietest one, cut.
static gmpItVoice_T* takeVoice(gmpPlayState_T* st)
{
    gmpItState_T* it = gmp_itState(st);
    gmpItVoice_T* best = nullptr;
    for (int k = 0; k < it->numBackground; k++) {
        gmpItVoice_T* b = &it->bg[k];
        if (!b->v.active)
            return b;
        if (!best || b->v.finalVolume < best->v.finalVolume)
            best = b;
    }
    if (best)
        gmp_itNoteAction(st, &best->ch, &best->v, MP_NNA_CUT);
    return best;
}

static bool duplicates(const gmpItVoice_T* b, int dct, int instrument, int sample, int note)
{
    if (b->v.instrument != instrument)
        return false;
    return dct == MP_DCT_INSTRUMENT || (dct == MP_DCT_SAMPLE && b->v.sample == sample) ||
           (dct == MP_DCT_NOTE && b->v.playedNote == note);
}

// The notes the new one duplicates take the instrument's duplicate action;
// the playing note then takes its new-note action, going to the background
// unless it is cut.
static void leaveNote(gmpPlayState_T* st, int c, const mpInstrument_T* inst, int sample, int note)
{
    gmpItState_T* it = gmp_itState(st);
    gmpChannel_T* ch = &st->channels[c];
    static const int dcaAction[3] = {MP_NNA_CUT, MP_NNA_OFF, MP_NNA_FADE};
    if (inst->dct != MP_DCT_OFF)
        for (int k = 0; k < it->numBackground; k++) {
            gmpItVoice_T* b = &it->bg[k];
            if (b->v.active && b->owner == c && duplicates(b, inst->dct, ch->instrument, sample, note))
                gmp_itNoteAction(st, &b->ch, &b->v, dcaAction[inst->dca]);
        }
    gmpItVoiceState_T* fg = &it->fg[c];
    if (!fg->active || fg->nna == MP_NNA_CUT || !(st->module->flags & MP_FLAG_INSTRUMENTS))
        return;
    gmpItVoice_T* b = takeVoice(st);
    if (!b)
        return;
    int free = b->ch.soundChannel;
    b->ch = *ch;
    b->v = *fg;
    b->owner = c;
    ch->soundChannel = free;
    fg->active = 0;
    gmp_itNoteAction(st, &b->ch, &b->v, b->v.nna);
}

// A number in -range..range from the rules' own generator.
static int randomIn(gmpItState_T* it, int range)
{
    it->random = it->random * 1103515245u + 12345u;
    return range > 0 ? (int)((it->random >> 16) % (uint32_t)(2 * range + 1)) - range : 0;
}

int gmp_itNewNote(gmpPlayState_T* st, int c, const mpInstrument_T* inst, int sample, int note)
{
    gmpChannel_T* ch = &st->channels[c];
    gmpItChannel_T* x = &gmp_itState(st)->chan[c];
    gmpItVoiceState_T* v = &gmp_itState(st)->fg[c];
    leaveNote(st, c, inst, sample, note);
    const mpSample_T* s = &inst->sample[sample];
    int mapped = inst->noteMap[note];
    ch->sampleNum = sample;
    ch->realNote = mapped;
    ch->period = ch->outPeriod = ch->portaTarget = gmp_itPeriod(mapped);
    ch->retrigCount = 0;
    gmp_triggerInstrument(ch);
    v->active = 1;
    v->fading = 0;
    v->nna = inst->nna;
    v->instrument = ch->instrument;
    v->sample = sample;
    v->playedNote = note;
    // The instrument's random variations: the note's volume by up to RV
    // percent either way, its panning by up to RP.
    int sampleVolume = s->globalVolume * (100 + randomIn(gmp_itState(st), inst->randomVolume)) / 100;
    v->sampleVolume = sampleVolume < 0 ? 0 : sampleVolume > 64 ? 64 : sampleVolume;
    v->instrumentVolume = inst->globalVolume;
    v->volEnvOn = v->panEnvOn = v->pitchEnvOn = 1;
    v->pitchEnv.tick = 0;
    if (inst->defaultPan >= 0)
        x->pan = inst->defaultPan, x->surround = 0;
    if (s->defaultPan >= 0)
        x->pan = s->defaultPan, x->surround = 0;
    v->panOffset = (mapped - inst->pitchPanCentre) * inst->pitchPanSeparation / 8 +
                   randomIn(gmp_itState(st), inst->randomPan);
    if (inst->filterCutoff >= 0)
        x->cutoff = inst->filterCutoff;
    if (inst->filterResonance >= 0)
        x->resonance = inst->filterResonance;
    v->cutoff = x->cutoff;
    v->resonance = x->resonance;
    int code = dsm_setSample(ch->soundChannel, s->handle);
    if (code == MPERR_OK)
        code = dsm_playSound(ch->soundChannel, gmp_itRate(s, ch->period));
    if (code == MPERR_OK && (ch->flags & GMP_F_COMMAND) && ch->command == ITC_OFFSET) {
        // The row's own offset, remembered before the note takes it.
        gmp_remember(&x->memO, ch->param);
        uint32_t frames = (uint32_t)x->memHighOffset << 16 | (uint32_t)x->memO << 8;
        ch->startOffset = frames << dsm_frameShift(s->type);
        // At or past the sample's end (its loop's end when it loops) the
        // offset is ignored; with the old effects the note starts there
        // instead: silent, or at the loop's start.
        if (ch->startOffset >= gmp_offsetLimit(s) && !(st->module->flags & MP_FLAG_OLD_EFFECTS))
            ch->startOffset = 0;
        code = dsm_setPosition(ch->soundChannel, ch->startOffset);
    } else {
        ch->startOffset = 0;
    }
    return code;
}
