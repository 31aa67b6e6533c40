#include "tools/render/progress.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
using progressClock = std::chrono::steady_clock;
uint32_t total = 0;
uint32_t done = 0;
progressClock::time_point started;
progressClock::time_point lastDrawn;
bool onTerminal = false;
unsigned lastTenth = 0;
std::string lastText;

void progress_draw()
{
    const int width = 30;
    uint32_t shown = done < total ? done : total;
    int filled = (int)((uint64_t)shown * width / total);
    double elapsed = std::chrono::duration<double>(progressClock::now() - started).count();
    double left = shown ? elapsed * (total - shown) / shown : 0;
    unsigned percent = (unsigned)((uint64_t)shown * 100 / total);
    // Into a file or a pipe, a line at every tenth instead of a bar redrawn
    // in place.
    if (!onTerminal && percent / 10 == lastTenth && shown < total)
        return;
    lastTenth = percent / 10;
    char bar[width + 1];
    for (int i = 0; i < width; i++)
        bar[i] = i < filled ? '#' : '-';
    bar[width] = 0;
    char text[96];
    std::snprintf(text, sizeof(text), "rendering [%s] %3u%%  %u:%02u left ", bar, percent, (unsigned)left / 60,
                  (unsigned)left % 60);
    if (lastText == text)
        return;
    lastText = text;
    std::fprintf(stderr, onTerminal ? "\r%s" : "%s\n", text);
    std::fflush(stderr);
}
}

void progress_start(uint32_t totalFrames)
{
    total = totalFrames;
    done = 0;
    started = progressClock::now();
    lastDrawn = started;
    onTerminal = isatty(2);
    lastTenth = 0;
    lastText.clear();
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
    if (onTerminal)
        std::fputc('\n', stderr);
    total = 0;
}
