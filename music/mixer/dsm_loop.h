#pragma once
// A sample loop as a cycle: every position inside a loop, with its
// direction, is one phase of the loop's cycle, so a step of any length
// (longer than the loop itself included) lands where the looping voice
// would be, in a few operations. Positions and phases are 16.16 fixed point.
#include <cstdint>

#include "music/mixer/dsm.h"

struct dsmLoop_T {
    int type;
    uint32_t start, end;
};

inline int dsm_isBidi(int loopType) { return loopType == DSM_LT_BIDI || loopType == DSM_LT_BIDI_REPEAT; }

// The loop the channel plays now: the second once a sustain loop is left.
inline dsmLoop_T dsm_activeLoop(const dsmChannel_T* ch)
{
    if (ch->loopNumber == 2)
        return {ch->loop2Type, ch->loop2Start, ch->loop2End};
    return {ch->loop1Type, ch->loop1Start, ch->loop1End};
}

inline int64_t dsm_floorMod(int64_t a, int64_t m) { return ((a % m) + m) % m; }

// The cycle's length: the loop (forward); twice the loop (back and forth
// mirrored on its ends); a frame less when the top turn sits half a frame
// inside the end.
inline int64_t dsm_loopPeriod(const dsmLoop_T& loop)
{
    int64_t len = (int64_t)(loop.end - loop.start) << 16;
    if (loop.type == DSM_LT_FORWARD)
        return len;
    return loop.type == DSM_LT_BIDI ? 2 * len : 2 * len - 65536;
}

// Phase of position p moving in direction (+1 or -1): forward, the distance
// from the start; backward, what is left of the cycle back to the start.
inline int64_t dsm_loopPhase(const dsmLoop_T& loop, int64_t p, int direction)
{
    int64_t fromStart = p - ((int64_t)loop.start << 16);
    return direction > 0 || loop.type == DSM_LT_FORWARD ? fromStart : dsm_loopPeriod(loop) - fromStart;
}

// The position and direction of a phase (any value: it is taken modulo the cycle).
inline void dsm_loopPlace(const dsmLoop_T& loop, int64_t phase, int64_t* p, int* direction)
{
    int64_t period = dsm_loopPeriod(loop);
    int64_t u = dsm_floorMod(phase, period);
    int64_t start = (int64_t)loop.start << 16;
    int64_t len = (int64_t)(loop.end - loop.start) << 16;
    // Forward up to the end (FastTracker 2's turn: up to and on it).
    bool forward = loop.type == DSM_LT_FORWARD || (loop.type == DSM_LT_BIDI ? u <= len : u < len);
    *p = forward ? start + u : start + period - u;
    *direction = forward ? 1 : -1;
}

// The sample frame heard at index i of a looped sample unrolled forward
// along its cycle (i at or past the loop start); length is the sample's.
inline int64_t dsm_loopFrame(const dsmLoop_T& loop, int64_t length, int64_t i)
{
    int64_t len = loop.end - loop.start;
    if (loop.type == DSM_LT_FORWARD)
        return loop.start + dsm_floorMod(i - loop.start, len);
    int64_t period = loop.type == DSM_LT_BIDI ? 2 * len : 2 * len - 1;
    int64_t r = dsm_floorMod(i - loop.start, period);
    if (r < len)
        return loop.start + r;
    if (loop.type == DSM_LT_BIDI && r == len)      // the frame on the end, or the last when the sample ends there
        return loop.end < length ? loop.end : loop.end - 1;
    return loop.start + period - r;
}
