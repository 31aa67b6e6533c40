#pragma once
// The tables of the high-quality mode: the windowed-sinc interpolation
// kernel, as polyphase rows and as one finely sampled curve, and the shape
// of the volume ramps.
#include <cstdint>

// 32 taps: frames i - 15 .. i + 16 around a position between frames i and
// i + 1. DSM_SINC_PHASES rows per frame, plus the row of the next frame so a
// rounded phase never carries into i.
enum { DSM_SINC_TAPS = 32, DSM_SINC_HALF = 16, DSM_SINC_PHASE_BITS = 10, DSM_SINC_PHASES = 1 << DSM_SINC_PHASE_BITS };

// Row ph holds the weights of frames i - 15 .. i + 16 for a position
// ph / DSM_SINC_PHASES past frame i; every row adds up to 1.
alignas(32) extern float dsmSincRows[DSM_SINC_PHASES + 1][DSM_SINC_TAPS];
// The kernel h(x) for x = -16 .. 16 in steps of 1 / DSM_SINC_PHASES, for a
// sample played faster than the output rate, whose kernel is widened.
extern float dsmSincCurve[DSM_SINC_TAPS * DSM_SINC_PHASES + 1];

// Volume ramps: dsmRampShape[k] is how far the ramp is after frame k of
// dsmRampFrames, rising as a raised cosine to exactly 1 at the last.
enum { DSM_RAMP_MAX = 256 };
extern int dsmRampFrames;
extern float dsmRampShape[DSM_RAMP_MAX];
