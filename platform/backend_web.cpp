// The browser backend's table: the main thread's event queue, the browser's
// clock, and the 60 Hz refresh, paced by the page's frame callback on a
// 60 Hz display and by the clock otherwise.
#include "platform/backend_web.h"

#include <emscripten.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>

namespace {
// Events from the page (the browser's thread) for the main thread.
std::mutex eventMutex;
std::condition_variable eventCond;
std::deque<pfEvent_T> events;
bool wakeFlag = false;

const double startMs = emscripten_get_now();

// Refresh ticks from the page's frame callback. The page turns them on only
// when its display runs at 60 Hz.
constexpr double PERIOD_MS = 1000.0 / 60.0;
std::mutex refreshMutex;
std::condition_variable refreshCond;
bool pacedByPage = false;
uint64_t refreshTicks = 0;
uint64_t ticksSeen = 0;
double lastTickMs = 0;

// The engine thread's: it is the one that asks for refreshes (isEngine
// marks it, so its sleeps are not counted as work), and the clock's grid.
thread_local bool isEngine = false;
double nextRefreshMs = 0;

double nowMs() { return emscripten_get_now() - startMs; }

int webOpenWindow(const char*) { return 0; }   // the page's canvas is there already
void webCloseWindow() {}
// The canvas stays until the page shows its end screen: a page cannot hide itself.
void webHideWindow() {}

int webNextEvent(pfEvent_T* ev, uint32_t waitMs)
{
    std::unique_lock<std::mutex> lock(eventMutex);
    eventCond.wait_for(lock, std::chrono::milliseconds(waitMs), [] { return !events.empty() || wakeFlag; });
    wakeFlag = false;
    if (events.empty())
        return 0;
    *ev = events.front();
    events.pop_front();
    return 1;
}

void webShow(const uint16_t*, int, int) {}
// A page only goes full screen inside the handler of a click or a key: the
// page does it itself when it sends Alt+Enter, and hides the cursor there.
void webSetFullScreen(int) {}
void webShowCursor(int) {}

void webMessageBox(const char* text, const char* caption)
{
    std::fprintf(stderr, "[message box] %s: %s\n", caption, text);
    // Waits for the page, so the strings stay valid while it reads them.
    MAIN_THREAD_EM_ASM({ if (Module.onMessageBox) Module.onMessageBox(UTF8ToString($0), UTF8ToString($1)); },
                       text, caption);
}

void webWake()
{
    std::lock_guard<std::mutex> lock(eventMutex);
    wakeFlag = true;
    eventCond.notify_all();
}

uint32_t webTimeMs() { return (uint32_t)(int64_t)nowMs(); }
int64_t webTimeSeconds() { return (int64_t)std::time(nullptr); }
void webSleepMs(uint32_t ms)
{
    double start = nowMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    if (isEngine)
        pf_webWorkSlept(nowMs() - start);
}

// The page's next frame callback, when it has called within the last
// 100 ms; false when it has not (a hidden tab) or does not pace at all.
bool waitForPageRefresh()
{
    std::unique_lock<std::mutex> lock(refreshMutex);
    if (!pacedByPage || nowMs() - lastTickMs > 100)
        return false;
    bool ticked = refreshCond.wait_for(lock, std::chrono::microseconds((int64_t)(2000 * PERIOD_MS)),
                                       [] { return refreshTicks != ticksSeen; });
    ticksSeen = refreshTicks;
    return ticked;
}

// Our own 60 Hz grid, as the SDL backend keeps it.
void waitForClockRefresh()
{
    double now = nowMs();
    if (nextRefreshMs + PERIOD_MS < now)
        nextRefreshMs = now;   // fell behind: start a new grid
    if (nextRefreshMs > now)
        std::this_thread::sleep_for(std::chrono::microseconds((int64_t)((nextRefreshMs - now) * 1000)));
    nextRefreshMs += PERIOD_MS;
}

void webVblank()
{
    isEngine = true;
    pf_webWorkEnd();
    if (waitForPageRefresh())
        nextRefreshMs = nowMs() + PERIOD_MS;   // the grid goes on from here if the page stops
    else
        waitForClockRefresh();
    pf_webWorkBegin();
}

// Nothing shown (accelerator mode): the frame still takes its refresh.
void webIdleFrame() { webVblank(); }

void webFrameDone(const uint16_t* pixels, int pitch, int format) { pf_webStoreFrame(pixels, pitch, format); }

const pfBackend_T webBackend = {
    "web",
    webOpenWindow, webCloseWindow, webHideWindow, webNextEvent, webShow, webSetFullScreen, webMessageBox, webShowCursor,
    webWake, webTimeMs, webTimeSeconds, webSleepMs,
    webVblank, webFrameDone, webIdleFrame,
    pf_webAudioDevices, pf_webAudioQuery, pf_webAudioOpen, pf_webAudioClose,
    0,         // the browser's clock is real
    nullptr,   // so nothing holds it
};
}

const pfBackend_T* pf_webBackend() { return &webBackend; }

void pf_webQueueEvent(const pfEvent_T& ev)
{
    std::lock_guard<std::mutex> lock(eventMutex);
    events.push_back(ev);
    eventCond.notify_all();
}

// Called by the page.
extern "C" {
// 1: the display runs at 60 Hz and the frame callback paces the demo.
EMSCRIPTEN_KEEPALIVE void pf_webSetPacing(int fromRefresh)
{
    std::lock_guard<std::mutex> lock(refreshMutex);
    pacedByPage = fromRefresh != 0;
}

// The page's frame callback, once per displayed frame.
EMSCRIPTEN_KEEPALIVE void pf_webRefresh()
{
    std::lock_guard<std::mutex> lock(refreshMutex);
    refreshTicks++;
    lastTickMs = nowMs();
    refreshCond.notify_all();
}
}
