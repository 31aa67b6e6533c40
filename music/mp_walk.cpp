#include "music/mp_walk.h"

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_render.h"

int mpw_walk(mpModule_T* module, int loops, uint32_t capSeconds, mpwSong_T* out)
{
    return mpw_walkFrom(module, 0, loops, capSeconds, out);
}

int mpw_walkFrom(mpModule_T* module, int first, int loops, uint32_t capSeconds, mpwSong_T* out)
{
    *out = mpwSong_T{};
    out->orderFrames.assign(module->songLength, -1);
    out->passFrames.push_back(0);
    // The mixing path does not matter: nothing is mixed.
    int code = mpr_start(module, MPW_RATE, DSM_INTEGER, 1);
    mpr_setEndLoop(loops < 1 ? 1 : loops);
    if (code == MPERR_OK && first > 0)
        code = mpr_setPosition(first);
    const gmpPlayState_T* st = mpr_state();
    const uint64_t cap = (uint64_t)capSeconds * MPW_RATE;
    // An order or a pass starts where its first row is read, on a tick
    // after the one that moved play there.
    int seenPosition = st->position, seenLoops = 0, pendingOrder = st->position;
    bool pendingPass = false;
    while (code == MPERR_OK && out->frames < cap) {
        uint32_t frames = 0;
        bool readsRow = gmp_rowIsDue(st);
        code = mpr_tick(&frames);
        if (code != MPERR_OK || frames == 0) {
            out->ended = code == MPERR_OK;
            break;
        }
        if (readsRow) {
            if (pendingOrder >= 0 && out->orderFrames[pendingOrder] < 0)
                out->orderFrames[pendingOrder] = (int64_t)out->frames;
            if (pendingPass)
                out->passFrames.push_back(out->frames);
            pendingOrder = -1;
            pendingPass = false;
        }
        if (st->loopCount != seenLoops)
            pendingPass = true;
        else if (st->loopCount == 0 && st->position != seenPosition)
            pendingOrder = st->position;
        seenLoops = st->loopCount;
        seenPosition = st->position;
        out->frames += frames;
    }
    if (out->frames > cap)
        out->frames = cap;
    mpr_stop();
    return code;
}

int mpw_subsongs(mpModule_T* module, uint32_t capSeconds, std::vector<mpwSubsong_T>* out)
{
    out->clear();
    std::vector<bool> reached(module->songLength, false);
    for (int p = 0; p < (int)module->songLength; p++) {
        if (reached[p] || (p > 0 && module->orders[p] >= MP_ORDER_SKIP))
            continue;
        mpwSubsong_T sub;
        sub.first = p;
        int code = mpw_walkFrom(module, p, 1, capSeconds, &sub.song);
        if (code != MPERR_OK)
            return code;
        for (size_t q = 0; q < sub.song.orderFrames.size(); q++)
            if (sub.song.orderFrames[q] >= 0)
                reached[q] = true;
        reached[p] = true;
        out->push_back(std::move(sub));
    }
    return MPERR_OK;
}

double mpw_seconds(uint64_t frames) { return (double)frames / MPW_RATE; }
