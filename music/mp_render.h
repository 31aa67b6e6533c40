#pragma once
// Offline rendering of a module without any sound device: the module player
// advances one tick, then the mixer renders one tick's worth of frames, the
// way the wave device interleaves them (a tick is the whole frames of its
// length, where the device rounds it up to an even count). Used by
// varnek-modrender, the song walk, the tests and the benchmarks. Runs on the
// calling thread; not with mp_init at the same time (it owns the mixer).
#include <cstdint>

#include "music/core/gmp.h"
#include "music/mp_module.h"

// The mixer's paths, for mpr_start.
enum { MPR_MIX_AUTO = 0, MPR_MIX_FLOAT = 32, MPR_MIX_INTEGER = 64 };

// Starts the module at rate Hz, 16-bit stereo, with the stereo separation
// of mpSettings; mixPath MPR_MIX_FLOAT or MPR_MIX_INTEGER to force a path,
// MPR_MIX_AUTO for the processor's choice; the player's quality setting
// (mpSettings.quality) adds the high-quality mode. 0 or a code.
int mpr_start(mpModule_T* module, int rate, int mixPath, int looping);
// Moves the render to the start of an order position; 0 or a code.
int mpr_setPosition(int position);
// Silences module channel `channel` (0-based) or lets it be heard; 0 or a code.
int mpr_muteChannel(int channel, int mute);
// Ends the render at the end of the last row of the song's `loops`-th pass
// (0: never).
void mpr_setEndLoop(int loops);
// Renders frames of interleaved 16-bit stereo; 0 or a code from a tick.
// Once the song has ended the rest is silence.
int mpr_render(int16_t* out, uint32_t frames);
// Renders up to `frames` frames, stopping early where the song ends;
// *rendered is what was written. 0 or a code.
int mpr_renderSong(int16_t* out, uint32_t frames, uint32_t* rendered);
// Runs one player tick without mixing: *frames is the tick's length, 0 once
// the song has ended. 0 or a code.
int mpr_tick(uint32_t* frames);
// Times the song has wrapped so far.
int mpr_loopCount();
// The play state while rendering, null before mpr_start.
const gmpPlayState_T* mpr_state();
void mpr_stop();
