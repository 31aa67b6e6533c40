// Moving play to another order position from outside the song: a player's
// "next order" and "previous order" keys.
#include "music/core/gmp.h"

void gmp_setPosition(gmpPlayState_T* st, int position)
{
    const mpModule_T* m = st->module;
    int step = position < st->position ? -1 : 1;
    if (position < 0)
        position = 0;
    if (position > st->lastPosition)
        position = st->lastPosition;
    // Marker orders of the other formats hold no pattern: step over skips,
    // and over an end marker going back; going forward, stop short of it.
    auto passed = [&](uint16_t order) { return order == MP_ORDER_SKIP || (step < 0 && order == MP_ORDER_END); };
    while (position >= 0 && position <= st->lastPosition && passed(m->orders[position]))
        position += step;
    if (position < 0 || position > st->lastPosition || m->orders[position] == MP_ORDER_END)
        return;
    st->position = position;
    st->pattern = m->orders[position];
    st->row = 0;
    st->rowData = -1;
    st->patternDelay = 0;
    gmp_clearFlow(st);
    st->tick = st->speed - 1;
    // A seek may go back over rows already played: not a song that repeats.
    st->flowSeen.clear();
}
