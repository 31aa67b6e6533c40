// The engine's work per frame in a page: the time from one refresh to the
// next one it asks for, less the pacing wait and its own sleeps (a title
// picture held for seconds is no work). Kept as a histogram, so a step's
// median is not pulled up by the loading done before its first frame.
// Engine thread only.
#include <emscripten.h>

#include "platform/backend_web.h"

namespace {
constexpr double BUCKET_MS = 0.02;
constexpr int BUCKETS = 2000;   // up to 40 ms; longer frames count in the last
uint32_t histogram[BUCKETS];
uint32_t frames = 0;
double totalMs = 0;
double startMs = -1;   // -1 before the first refresh
double sleptMs = 0;
}

void pf_webWorkEnd()
{
    if (startMs < 0)
        return;
    double ms = emscripten_get_now() - startMs - sleptMs;
    int bucket = (int)(ms / BUCKET_MS);
    histogram[bucket < 0 ? 0 : bucket >= BUCKETS ? BUCKETS - 1 : bucket]++;
    frames++;
    totalMs += ms;
}

void pf_webWorkBegin()
{
    startMs = emscripten_get_now();
    sleptMs = 0;
}

void pf_webWorkSlept(double ms) { sleptMs += ms; }

pfWorkStats_T pf_webWorkTake()
{
    pfWorkStats_T stats{frames, frames ? totalMs / frames : 0.0, 0.0};
    uint32_t seen = 0;
    for (int b = 0; b < BUCKETS && frames; b++) {
        seen += histogram[b];
        if (2 * seen >= frames) {
            stats.medianMs = (b + 0.5) * BUCKET_MS;
            break;
        }
    }
    for (uint32_t& count : histogram)
        count = 0;
    frames = 0;
    totalMs = 0;
    return stats;
}
