#pragma once
// Instruments of the instrument formats (XM, IT): the note map that picks a
// sample, the trigger that restarts envelopes and fadeout, key-off, and the
// per-tick work of envelopes, fadeout and automatic vibrato.
#include "music/core/gmp.h"

enum { GMP_FADE_FULL = 32768 };

// The instrument record of a channel's instrument number, or null.
const mpInstrument_T* gmp_instrumentOf(const gmpPlayState_T* st, int instrument);
// The sample an instrument plays for a note (semitones from C-0), or null;
// *sampleNum gets its index within the instrument.
const mpSample_T* gmp_noteSample(const mpInstrument_T* inst, int note, int* sampleNum);
// The channel's current sample, or null.
const mpSample_T* gmp_channelSample(const gmpPlayState_T* st, const gmpChannel_T* ch);
// Envelopes from their start, key down, full fadeout volume, automatic
// vibrato from its start.
void gmp_triggerInstrument(gmpChannel_T* ch);
// Key off: releases the sustain and starts the fadeout; an instrument
// without a volume envelope is cut instead.
void gmp_keyOff(gmpChannel_T* ch, const mpInstrument_T* inst);
// One tick of the instrument: envVolume, envPanning, fadeVolume and
// autoVibDelta for this tick.
void gmp_instrumentTick(gmpChannel_T* ch, const mpInstrument_T* inst, const mpSample_T* sample);
