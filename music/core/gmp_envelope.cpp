#include "music/core/gmp_envelope.h"

static int valueAt(const mpEnvelope_T* env, int tick)
{
    int last = env->numPoints - 1;
    if (tick >= env->tick[last])
        return env->value[last];
    int k = 0;
    while (k < last - 1 && tick >= env->tick[k + 1])
        k++;
    if (tick <= env->tick[k])
        return env->value[k];
    int span = env->tick[k + 1] - env->tick[k];
    return env->value[k] + (env->value[k + 1] - env->value[k]) * (tick - env->tick[k]) / span;
}

int gmp_envStep(const mpEnvelope_T* env, gmpEnvState_T* state, int keyOn)
{
    if (env->numPoints <= 0)
        return 64;
    int t = state->tick;
    int value = valueAt(env, t);
    bool sustained = keyOn && (env->flags & MP_ENV_SUSTAIN);
    int sustainEnd = env->tick[env->sustainEnd];
    // A one-point sustain holds the position while the key is down.
    if (sustained && env->sustainStart == env->sustainEnd && t == sustainEnd)
        return value;
    t++;
    // Arriving at the end of a range goes back to its start; the sustain
    // range wins while the key is down. A position held on a sustain point
    // at the loop end loops once the key is up.
    if (sustained && env->sustainStart != env->sustainEnd && t == sustainEnd)
        t = env->tick[env->sustainStart];
    else if ((env->flags & MP_ENV_LOOP) && t >= env->tick[env->loopEnd] && !(sustained && sustainEnd == t))
        t = env->tick[env->loopStart];
    int end = env->tick[env->numPoints - 1];
    state->tick = t > end ? end : t;
    return value;
}

void gmp_envSetPosition(const mpEnvelope_T* env, gmpEnvState_T* state, int tick)
{
    int end = env->numPoints > 0 ? env->tick[env->numPoints - 1] : 0;
    state->tick = tick < 0 ? 0 : tick > end ? end : tick;
}
