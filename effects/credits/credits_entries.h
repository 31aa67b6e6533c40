#pragma once
// The timed lines of the credits screen. An entry is shown while
// startFrame < elapsed < endFrame, at (x + dx t, y + dy t) with
// t = elapsed - startFrame; a moving coordinate stops at its limit.
#include <cstdint>

struct creditEntry_T {
    const char* text;
    int32_t startFrame, endFrame;
    int32_t x, y;
    int32_t xLimit, yLimit;
    int32_t dx, dy;
};

enum { CREDIT_ENTRIES = 17 };

extern const creditEntry_T creditEntries[CREDIT_ENTRIES];

// 1 and the position when the entry is shown at this elapsed frame, else 0.
int credits_entryAt(const creditEntry_T* e, int32_t elapsed, int32_t* x, int32_t* y);
