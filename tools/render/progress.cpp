#include "tools/render/progress.h"

#include <chrono>
#include <cstdio>

namespace {
using progressClock = std::chrono::steady_clock;
uint32_t total = 0;
uint32_t done = 0;
progressClock::time_point started;
progressClock::time_point lastDrawn;
bool drawn = false;

void progress_draw()
{
    const int width = 30;
    uint32_t shown = done < total ? done : total;
    int filled = (int)((uint64_t)shown * width / total);
    double elapsed = std::chrono::duration<double>(progressClock::now() - started).count();
    double left = shown ? elapsed * (total - shown) / shown : 0;
    char bar[width + 1];
    for (int i = 0; i < width; i++)
        bar[i] = i < filled ? '#' : '-';
    bar[width] = 0;
    std::fprintf(stderr, "\rrendering [%s] %3u%%  %u:%02u left ", bar, (unsigned)((uint64_t)shown * 100 / total),
                 (unsigned)left / 60, (unsigned)left % 60);
    std::fflush(stderr);
    drawn = true;
}
}

void progress_start(uint32_t totalFrames)
{
    total = totalFrames;
    done = 0;
    started = progressClock::now();
    lastDrawn = started;
    drawn = false;
}

void progress_frame(uint32_t frame)
{
    if (!total)
        return;
    done = frame;
    auto now = progressClock::now();
    if (now - lastDrawn < std::chrono::milliseconds(250))
        return;
    lastDrawn = now;
    progress_draw();
}

void progress_end()
{
    if (!total)
        return;
    progress_draw();
    std::fputc('\n', stderr);
    total = 0;
}
