#pragma once
// The main thread: the window, its message loop and the window procedure
// that turns keys and window events into thread messages for the engine.
#include <cstdint>

enum {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_CLOSE = 0x0010,
    WM_KEYDOWN = 0x0100,
    WM_CHAR = 0x0102,
    WM_SYSKEYUP = 0x0105,
};

enum { VK_RETURN = 13, VK_ESCAPE = 27 };

int demoWndProc(uint32_t message, uint32_t wParam);

// The process entry: opens the window on the backend chosen before, runs
// the message loop and returns the exit code (-1 when the window cannot be
// created, else 0).
int app_run();

// The engine thread's last act: ask the window to close and wait until the
// main thread has handled it.
void app_sendClose();

// The module loaded at start-up (null when it could not be loaded).
extern struct mpModule_T* musicModule;

// The engine thread, for the entry's final wait; null before WM_CREATE.
struct pfThread_T* app_engineThread();

// 1 once the window's close (music stop, engine stop) has begun; any thread.
int app_closeHandled();
// 1 when that close ran out of its wait with the engine thread still going.
int app_closeTimedOut();

// After app_run: when the window was closed and the engine thread has
// ended, join it and return code; otherwise (Esc, or a close that ran out
// of its wait) end the process at once with code: the engine thread and the
// music end with it, as nothing asked them to stop.
int app_finish(int code);
