// Background play: a thread that runs a polling pass, then sleeps for the
// polling period, until asked to stop. It sleeps in real time on purpose:
// the platform's sleep is the engine's virtual clock in headless runs, and
// the headless output asks for sound through the refill hook instead.
#include <chrono>
#include <system_error>
#include <thread>

#include "music/mp.h"
#include "music/mp_player.h"

static std::thread mpThread;
static int mpPeriodMs = 20;

static void playThread()
{
    while (!mpStopRequest) {
        if (!mp_poll())
            mp_reportError(mp_lastError);
        std::this_thread::sleep_for(std::chrono::milliseconds(mpPeriodMs));
    }
}

int mp_startBackgroundPlay(int rate)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    if (mpThread.joinable())
        return 1;
    mpPeriodMs = rate > 0 ? (1000 / rate / 2 > 0 ? 1000 / rate / 2 : 1) : 20;
    mpStopRequest = 0;
    try {
        mpThread = std::thread(playThread);
    } catch (const std::system_error&) {
        mpSettings.errorHandler("StartPlayThread: Couldn't create player thread!");
    }
    return 1;
}

int mp_stopBackgroundPlay()
{
    // Not under mpLock: the thread needs it to finish its pass.
    if (!mpThread.joinable())
        return 1;
    mpStopRequest = 1;
    mpThread.join();
    mpStopRequest = 0;
    return 1;
}
