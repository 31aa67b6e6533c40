#pragma once
// Offline rendering of a module without any sound device: the module player
// advances one tick, then the mixer renders one tick's worth of frames, the
// way the wave device interleaves them (a tick is the whole frames of its
// length, where the device rounds it up to an even count). Used by varnek-modrender, the tests
// and the benchmarks. Runs on the calling thread; not with mp_init at the
// same time (it owns the mixer).
#include <cstdint>

#include "music/mp_module.h"

// Starts the module at rate Hz, 16-bit stereo; mixPath DSM_FLOAT or
// DSM_INTEGER to force a path, 0 for the processor's choice. 0 or a code.
int mpr_start(mpModule_T* module, int rate, int mixPath, int looping);
// Renders frames of interleaved 16-bit stereo; 0 or a code from a tick.
int mpr_render(int16_t* out, uint32_t frames);
// Times the song has wrapped so far.
int mpr_loopCount();
void mpr_stop();
