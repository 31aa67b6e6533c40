#pragma once
// Every time the engine reads goes through here, so the headless backend can
// run the demo on a virtual clock.
#include <cstdint>

uint32_t pf_timeMs();      // milliseconds since an arbitrary start, wraps at 2^32
int64_t pf_timeSeconds();  // calendar time in whole seconds
void pf_sleepMs(uint32_t ms);
