#pragma once
// The seam between the engine and the machine. Three backends implement it:
// SDL2 (a real window, real audio, the real keyboard), headless (a virtual
// clock, scripted keys, frames and sound captured for offline rendering) and
// web (a browser page's canvas, keys and Web Audio, in the emscripten build
// only). One is chosen at start-up with pf_setBackend; nothing above the
// platform folder talks to SDL or the page.
#include <cstdint>

struct pfAudioFormat_T {
    int rate;      // frames per second
    int channels;  // 1 or 2
    int bits;      // 8 or 16
};

// Events a backend reports to the main thread's message loop.
enum pfEventType_T {
    PF_EV_NONE = 0,
    PF_EV_KEYDOWN,     // virtual key pressed (vk: 27 Esc, 13 Return, ...)
    PF_EV_SYSKEYUP,    // virtual key released while Alt is held
    PF_EV_CHAR,        // a character typed (ch)
    PF_EV_CLOSE,       // the user asked the window to close
    PF_EV_RAWKEY,      // keyboard device: scan code (scan) went down (down = 1) or up
    PF_EV_FOCUS,       // the window gained (down = 1) or lost the foreground
    PF_EV_WAKE,        // nothing but a wake-up: look at the call queue
};

struct pfEvent_T {
    pfEventType_T type;
    int vk;
    int ch;
    int scan;
    int down;
};

struct pfBackend_T {
    const char* name;

    // Main thread only.
    int  (*openWindow)(const char* caption);           // 0 or -1
    void (*closeWindow)();
    void (*hideWindow)();                              // off the screen at once, still there
    int  (*nextEvent)(pfEvent_T* ev, uint32_t waitMs); // 1 when ev was filled
    void (*show)(const uint16_t* pixels, int pitch, int format);
    void (*setFullScreen)(int on);
    void (*messageBox)(const char* text, const char* caption);
    void (*showCursor)(int on);

    // Any thread.
    void (*wake)();                      // make nextEvent return early
    uint32_t (*timeMs)();                // milliseconds, wrapping at 2^32
    int64_t (*timeSeconds)();            // calendar seconds
    void (*sleepMs)(uint32_t ms);

    // Engine thread: wait for the next 60 Hz refresh before a picture goes up,
    // then hand the finished picture over (captured or shown).
    void (*vblank)();
    void (*frameDone)(const uint16_t* pixels, int pitch, int format);
    // Engine thread: a frame ended with nothing to show (accelerator mode).
    void (*idleFrame)();

    // Sound output; the block queue itself is common code (sound_out.cpp).
    int  (*audioDevices)();
    int  (*audioQuery)(const pfAudioFormat_T* fmt);    // 1 when the format is accepted
    int  (*audioOpen)(const pfAudioFormat_T* fmt);     // a PF_AUDIO_ result (sound_out.h)
    void (*audioClose)();
    // A clock that only moves when the engine presents or sleeps (headless).
    int virtualClock;
    // Virtual clock only (null otherwise): from now on a thread other than
    // the main one that would move the clock past untilMs stops there for
    // good (PF_CLOCK_FREE lifts it). The main thread's bounded wait for the
    // engine thread sets it, so a wait that runs out stops the engine at the
    // same frame on every run, however the two threads are scheduled.
    void (*holdClock)(uint32_t untilMs);
};

enum : uint32_t { PF_CLOCK_FREE = 0xFFFFFFFFu };

void pf_setBackend(const pfBackend_T* backend);
const pfBackend_T* pf_backend();

// Surface pixel formats the display can be asked for.
enum { PF_FORMAT_565 = 565, PF_FORMAT_555 = 555 };
void pf_setPixelFormat(int format);   // before the display is created
int pf_pixelFormat();
