#include "music/core/gmp_instrument.h"

const mpInstrument_T* gmp_instrumentOf(const gmpPlayState_T* st, int instrument)
{
    if (instrument == MP_NONE || instrument >= (int)st->module->instruments.size())
        return nullptr;
    return &st->module->instruments[instrument];
}

const mpSample_T* gmp_noteSample(const mpInstrument_T* inst, int note, int* sampleNum)
{
    if (!inst || !inst->sample || note < 0 || note >= MP_NOTES)
        return nullptr;
    int k = inst->noteSample[note];
    if (k == MP_NONE || k >= inst->numSamples)
        return nullptr;
    *sampleNum = k;
    return &inst->sample[k];
}

const mpSample_T* gmp_channelSample(const gmpPlayState_T* st, const gmpChannel_T* ch)
{
    const mpInstrument_T* inst = gmp_instrumentOf(st, ch->instrument);
    if (!inst || !inst->sample || ch->sampleNum == MP_NONE || ch->sampleNum >= inst->numSamples)
        return nullptr;
    return &inst->sample[ch->sampleNum];
}

void gmp_triggerInstrument(gmpChannel_T* ch)
{
    ch->volumeEnv.tick = 0;
    ch->panningEnv.tick = 0;
    ch->keyOn = 1;
    ch->fadeVolume = GMP_FADE_FULL;
    ch->autoVibPos = 0;
    ch->autoVibTicks = 0;
}

void gmp_keyOff(gmpChannel_T* ch, const mpInstrument_T* inst)
{
    ch->keyOn = 0;
    if (!inst || !(inst->volumeEnvelope.flags & MP_ENV_ON))
        ch->volume = ch->outVolume = 0;
}

// Automatic vibrato waveforms over 256 steps, -64..64.
static int autoVibratoWave(int type, int pos)
{
    pos &= 255;
    switch (type) {
    case 1:
        return pos < 128 ? 64 : -64;
    case 2:
        return 64 - (pos + 1) / 2;
    case 3:
        return (pos + 1) / 2 - 64;
    default: {
        // The sine at 64 steps a quarter from the 32-entry half cycle.
        int v = gmpVibratoSine[(pos >> 2) & 31] >> 2;
        return pos & 128 ? -v : v;
    }
    }
}

void gmp_instrumentTick(gmpChannel_T* ch, const mpInstrument_T* inst, const mpSample_T* sample)
{
    if (!inst) {
        ch->envVolume = 64;
        ch->envPanning = 32;
        ch->autoVibDelta = 0;
        return;
    }
    const mpEnvelope_T& ve = inst->volumeEnvelope;
    const mpEnvelope_T& pe = inst->panningEnvelope;
    ch->envVolume = (ve.flags & MP_ENV_ON) ? gmp_envStep(&ve, &ch->volumeEnv, ch->keyOn) : 64;
    ch->envPanning = (pe.flags & MP_ENV_ON) ? gmp_envStep(&pe, &ch->panningEnv, ch->keyOn) : 32;
    if (!ch->keyOn) {
        ch->fadeVolume -= inst->fadeout;
        if (ch->fadeVolume < 0)
            ch->fadeVolume = 0;
    }
    ch->autoVibDelta = 0;
    if (sample && sample->vibDepth && sample->vibRate) {
        // The depth grows over the sweep's ticks to its full value.
        int depth = sample->vibDepth * 256;
        if (sample->vibSweep && ch->autoVibTicks < sample->vibSweep)
            depth = depth * ch->autoVibTicks / sample->vibSweep;
        ch->autoVibDelta = autoVibratoWave(sample->vibType, ch->autoVibPos) * depth / 16384;
        ch->autoVibPos = (ch->autoVibPos + sample->vibRate) & 255;
        ch->autoVibTicks++;
    }
}
