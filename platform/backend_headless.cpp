#include "platform/backend_headless.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/main_thread.h"
#include "platform/sound_out.h"

namespace {
// Virtual time counts 1/60000 s: a frame is exactly 1000 ticks, a
// millisecond exactly 60.
constexpr uint64_t TICKS_PER_FRAME = 1000;
constexpr uint64_t TICKS_PER_MS = 60;
constexpr uint64_t TICKS_PER_SECOND = 60000;

std::mutex mutex;
std::condition_variable cond;
std::atomic<uint64_t> clockTicks{0};
uint64_t audioFramesOut = 0;
std::vector<pfScriptedEvent_T> script;
size_t scriptNext = 0;
std::deque<pfEvent_T> events;
uint64_t eventsQueued = 0;
uint64_t eventsHandled = 0;
uint64_t eventsReturned = 0;
bool wakeFlag = false;
uint32_t framesShown = 0;
void (*frameHook)(uint32_t, const uint16_t*, int, int) = nullptr;
void (*videoHook)(uint32_t, const uint16_t*, int, int) = nullptr;
// What is on the virtual screen, and how many 1/60 s video frames of it
// have been handed out.
uint16_t screen[320 * 240];
int screenFormat = PF_FORMAT_565;
uint32_t videoFramesOut = 0;
void (*audioHook)(const uint8_t*, uint32_t) = nullptr;
int audioDeviceCount = 1;
int audioOpenResult = PF_AUDIO_OK;   // a refusal the system would give, for tests
std::vector<int> audioRates;
std::atomic<uint32_t> messageBoxes{0};
std::atomic<int> fullScreenShown{0};

// Consume the sound that the clock's advance to `ticks` has played.
void playAudioUntil(uint64_t ticks)
{
    const pfAudioFormat_T* fmt = pf_audioFormat();
    if (!fmt)
        return;
    uint32_t frameBytes = (uint32_t)(fmt->channels * fmt->bits / 8);
    uint64_t target = ticks * (uint64_t)fmt->rate / TICKS_PER_SECOND;
    if (audioFramesOut > target)
        audioFramesOut = target;
    uint8_t buffer[4096];
    while (audioFramesOut < target) {
        uint64_t want = std::min<uint64_t>(target - audioFramesOut, sizeof(buffer) / frameBytes);
        uint32_t bytes = (uint32_t)want * frameBytes;
        uint32_t got = pf_audioConsume(buffer, bytes);
        if (got < bytes) {
            // The queue ran dry: ask the producer for a polling pass, then
            // take what it made; what is still missing is silence.
            pf_audioRefill();
            pf_audioConsume(buffer + got, bytes - got);
        }
        if (audioHook)
            audioHook(buffer, bytes);
        audioFramesOut += want;
    }
}

// Where the main thread's bounded wait ends, in ticks; UINT64_MAX for none.
std::atomic<uint64_t> holdTicks{UINT64_MAX};

void advance(uint64_t ticks)
{
    uint64_t hold = holdTicks.load();
    bool held = !pf_onMainThread() && clockTicks.load() + ticks > hold;
    if (held)
        ticks = hold > clockTicks.load() ? hold - clockTicks.load() : 0;
    uint64_t now = clockTicks += ticks;
    playAudioUntil(now);
    std::unique_lock<std::mutex> lock(mutex);
    cond.notify_all();
    // The main thread's wait has run out here: this thread goes no further,
    // so nothing it would draw or play after that moment is ever handed out.
    while (held && holdTicks.load() != UINT64_MAX)
        cond.wait(lock);
}

void hlHoldClock(uint32_t untilMs)
{
    std::lock_guard<std::mutex> lock(mutex);
    holdTicks = untilMs == PF_CLOCK_FREE ? UINT64_MAX : (uint64_t)untilMs * TICKS_PER_MS;
    cond.notify_all();
}

int hlOpenWindow(const char*) { return 0; }
void hlCloseWindow() {}
void hlHideWindow() {}

int hlNextEvent(pfEvent_T* ev, uint32_t waitMs)
{
    std::unique_lock<std::mutex> lock(mutex);
    // Returning for the next event means the previous one has been handled.
    eventsHandled = eventsReturned;
    cond.notify_all();
    cond.wait_for(lock, std::chrono::milliseconds(waitMs), [] { return !events.empty() || wakeFlag; });
    wakeFlag = false;
    if (events.empty())
        return 0;
    *ev = events.front();
    events.pop_front();
    eventsReturned++;
    return 1;
}

void hlShow(const uint16_t*, int, int) {}
void hlSetFullScreen(int on) { fullScreenShown = on; }

void hlMessageBox(const char* text, const char* caption)
{
    messageBoxes++;
    std::fprintf(stderr, "[message box] %s: %s\n", caption, text);
}

void hlShowCursor(int) {}

void hlWake()
{
    std::lock_guard<std::mutex> lock(mutex);
    wakeFlag = true;
    cond.notify_all();
}

uint32_t hlTimeMs() { return (uint32_t)(clockTicks.load() / TICKS_PER_MS); }
int64_t hlTimeSeconds() { return (int64_t)(clockTicks.load() / TICKS_PER_SECOND); }
// Hand out a video frame for every 1/60 s the clock has passed, showing
// what the screen holds: while the engine sleeps the picture stands still.
void emitVideo()
{
    uint32_t until = (uint32_t)(clockTicks.load() / TICKS_PER_FRAME);
    for (; videoFramesOut < until; videoFramesOut++)
        if (videoHook)
            videoHook(videoFramesOut + 1, screen, 320, screenFormat);
}

void hlSleepMs(uint32_t ms)
{
    advance((uint64_t)ms * TICKS_PER_MS);
    // Pictures are the engine thread's: a sleep of the main thread (a test
    // moving the clock by hand) hands out no video.
    if (!pf_onMainThread())
        emitVideo();
}
void hlVblank() { advance(TICKS_PER_FRAME); }

void deliverScript();

void hlFrameDone(const uint16_t* pixels, int pitch, int format)
{
    framesShown++;
    for (int y = 0; y < 240; y++)
        std::memcpy(screen + y * 320, pixels + (size_t)y * pitch, 320 * 2);
    screenFormat = format;
    emitVideo();
    if (frameHook)
        frameHook(framesShown, pixels, pitch, format);
    deliverScript();
}

// A frame with nothing shown still takes its 1/60 s on the virtual clock and
// counts for the script, so a run in accelerator mode moves on and can be
// steered back.
void hlIdleFrame()
{
    advance(TICKS_PER_FRAME);
    framesShown++;
    emitVideo();
    deliverScript();
}

void deliverScript()
{
    // Hand this frame's scripted events to the main thread and wait until it
    // has handled them, so they take effect at exactly this point of the run
    // (unless the main thread is itself waiting for this thread).
    std::unique_lock<std::mutex> lock(mutex);
    bool any = false;
    while (scriptNext < script.size() && script[scriptNext].frame <= framesShown) {
        events.push_back(script[scriptNext++].event);
        eventsQueued++;
        any = true;
    }
    if (!any)
        return;
    cond.notify_all();
    uint64_t target = eventsQueued;
    while (eventsHandled < target && !pf_mainIsWaiting())
        cond.wait_for(lock, std::chrono::milliseconds(5));
}

int hlAudioDevices() { return audioDeviceCount; }

int hlAudioQuery(const pfAudioFormat_T* fmt)
{
    if (audioDeviceCount <= 0 || (fmt->bits != 8 && fmt->bits != 16) || fmt->channels < 1 || fmt->channels > 2)
        return 0;
    if (audioRates.empty())
        return 1;
    return std::find(audioRates.begin(), audioRates.end(), fmt->rate) != audioRates.end() ? 1 : 0;
}

int hlAudioOpen(const pfAudioFormat_T* fmt)
{
    if (audioOpenResult != PF_AUDIO_OK)
        return audioOpenResult;
    if (audioDeviceCount <= 0)
        return PF_AUDIO_NO_DRIVER;
    if (!hlAudioQuery(fmt))
        return PF_AUDIO_BAD_FORMAT;
    // Sound starts playing at the current moment of the virtual clock.
    audioFramesOut = clockTicks.load() * (uint64_t)fmt->rate / TICKS_PER_SECOND;
    return 0;
}

void hlAudioClose() {}

const pfBackend_T headless = {
    "headless",
    hlOpenWindow, hlCloseWindow, hlHideWindow, hlNextEvent, hlShow, hlSetFullScreen, hlMessageBox, hlShowCursor,
    hlWake, hlTimeMs, hlTimeSeconds, hlSleepMs,
    hlVblank, hlFrameDone, hlIdleFrame,
    hlAudioDevices, hlAudioQuery, hlAudioOpen, hlAudioClose,
    1, hlHoldClock,
};
}

const pfBackend_T* pf_headlessBackend() { return &headless; }

void pf_headlessReset()
{
    std::lock_guard<std::mutex> lock(mutex);
    holdTicks = UINT64_MAX;
    cond.notify_all();
    clockTicks = 0;
    audioFramesOut = 0;
    script.clear();
    scriptNext = 0;
    events.clear();
    eventsQueued = eventsHandled = eventsReturned = 0;
    wakeFlag = false;
    framesShown = 0;
    frameHook = nullptr;
    videoHook = nullptr;
    std::memset(screen, 0, sizeof(screen));
    screenFormat = PF_FORMAT_565;
    videoFramesOut = 0;
    audioHook = nullptr;
    audioDeviceCount = 1;
    audioOpenResult = PF_AUDIO_OK;
    audioRates.clear();
    messageBoxes = 0;
    fullScreenShown = 0;
}

void pf_headlessSetScript(const std::vector<pfScriptedEvent_T>& list)
{
    std::lock_guard<std::mutex> lock(mutex);
    script = list;
    std::stable_sort(script.begin(), script.end(),
                     [](const pfScriptedEvent_T& a, const pfScriptedEvent_T& b) { return a.frame < b.frame; });
    scriptNext = 0;
    // Events scripted for frame 0 are there before anything is presented.
    while (scriptNext < script.size() && script[scriptNext].frame == 0) {
        events.push_back(script[scriptNext++].event);
        eventsQueued++;
    }
}

void pf_headlessSetFrameHook(void (*hook)(uint32_t, const uint16_t*, int, int)) { frameHook = hook; }
void pf_headlessSetVideoHook(void (*hook)(uint32_t, const uint16_t*, int, int)) { videoHook = hook; }
void pf_headlessSetAudioHook(void (*hook)(const uint8_t*, uint32_t)) { audioHook = hook; }
void pf_headlessSetAudioDevices(int count) { audioDeviceCount = count; }
void pf_headlessSetAudioOpenResult(int result) { audioOpenResult = result; }
void pf_headlessSetAudioRates(const std::vector<int>& rates) { audioRates = rates; }
uint32_t pf_headlessMessageBoxes() { return messageBoxes; }
int pf_headlessFullScreen() { return fullScreenShown; }
uint64_t pf_headlessClock() { return clockTicks; }
