#pragma once
// The song's length without mixing: the module player runs tick by tick,
// following jumps, breaks, pattern loops and delays and the tempo as it
// changes, until the song has wrapped the asked number of times and its last
// row has played out. The same scheduler as playback, so the length is what
// a render gives, for every format the player reads.
#include <cstdint>
#include <vector>

#include "music/mp_module.h"

// Walks are counted in frames at this rate, the renderer's.
enum { MPW_RATE = 44100 };

struct mpwSong_T {
    uint64_t frames;                    // to the end of the last row, or to the cap
    int ended;                          // 0: the cap stopped a song that never wraps
    // First pass: where each order position's first row is read, -1 never.
    std::vector<int64_t> orderFrames;
    std::vector<uint64_t> passFrames;   // where each pass starts: 0, then each first row after a wrap
};

// Walks `loops` passes of the song (at least 1), at most capSeconds long.
// Owns the mixer while it runs, like the offline renderer. 0 or a code.
int mpw_walk(mpModule_T* module, int loops, uint32_t capSeconds, mpwSong_T* out);
// The same from order position `first`.
int mpw_walkFrom(mpModule_T* module, int first, int loops, uint32_t capSeconds, mpwSong_T* out);

// A song of the order list: where it starts and its first pass.
struct mpwSubsong_T {
    int first;                          // order position
    mpwSong_T song;
};
// The songs an order list holds: the first from position 0, then one from
// each pattern order that no song before has reached (after an end marker,
// or never jumped to), each walked for one pass. 0 or a code.
int mpw_subsongs(mpModule_T* module, uint32_t capSeconds, std::vector<mpwSubsong_T>* out);
// Seconds of a frame count of the walk.
double mpw_seconds(uint64_t frames);
