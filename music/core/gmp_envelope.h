#pragma once
// Volume and panning envelopes stepped once per tick: a position in ticks
// moves along the points; a sustain range holds it (or loops it) while the
// key is down, a loop range repeats it; past the last point the last value
// stays.
#include "music/mp_module.h"

struct gmpEnvState_T {
    int tick;               // position in ticks
};

// The envelope's value (0..64) at the state's position, then the position
// moved on by one tick.
int gmp_envStep(const mpEnvelope_T* env, gmpEnvState_T* state, int keyOn);
// Moves the position to a tick (the envelope-position command), kept within
// the envelope's ticks.
void gmp_envSetPosition(const mpEnvelope_T* env, gmpEnvState_T* state, int tick);
