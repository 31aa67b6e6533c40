// The keyboard device: key states kept from the main thread's events, read
// by the engine thread. It behaves like a foreground, non-exclusive input
// device: losing the foreground loses the device, and it can only be
// acquired again while the window is in the foreground.
#include "platform/keyboard_device.h"

#include <atomic>
#include <mutex>

namespace {
std::atomic<uint8_t> keys[256];
std::atomic<int> foreground{1};
std::atomic<int> acquired{0};
std::atomic<int> lost{0};
std::mutex deviceMutex;
}

void kbdev_reset()
{
    for (auto& k : keys)
        k = 0;
    foreground = 1;
    acquired = 0;
    lost = 0;
}

void kbdev_key(int scan, int down)
{
    if (scan > 0 && scan < 256)
        keys[scan] = down ? 0x80 : 0;
}

void kbdev_focus(int isForeground)
{
    std::lock_guard<std::mutex> lock(deviceMutex);
    foreground = isForeground ? 1 : 0;
    if (!isForeground) {
        if (acquired.exchange(0))
            lost = 1;
        for (auto& k : keys)
            k = 0;
    }
}

int kbdev_isForeground()
{
    return foreground;
}

int kbdev_acquire()
{
    // Under the lock, so a focus change cannot fall between the test and
    // the acquire and leave the device held in the background.
    std::lock_guard<std::mutex> lock(deviceMutex);
    if (!foreground)
        return -1;
    acquired = 1;
    lost = 0;
    return 0;
}

int kbdev_read(uint8_t state[256])
{
    if (!acquired)
        return lost.exchange(0) ? KBDEV_INPUTLOST : KBDEV_NOTACQUIRED;
    for (int i = 0; i < 256; i++)
        state[i] = keys[i];
    return KBDEV_OK;
}
