// Background play: a thread that runs a polling pass, then sleeps for the
// polling period, until asked to stop. It sleeps in real time on purpose:
// the platform's sleep is the engine's virtual clock in headless runs, and
// the headless output asks for sound through the refill hook instead.
#include <chrono>
#include <system_error>
#include <thread>

#include "music/mp.h"
#include "music/mp_player.h"

// Held through a pointer: a process that ends while background play runs
// (Esc, a lost display) must not run a joinable thread object's destructor,
// which would abort it.
static std::thread* mpThread = nullptr;
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
    if (mpThread)
        return 1;
    mpPeriodMs = rate > 0 ? (1000 / rate / 2 > 0 ? 1000 / rate / 2 : 1) : 20;
    mpStopRequest = 0;
    try {
        mpThread = new std::thread(playThread);
    } catch (const std::system_error&) {
        mpSettings.errorHandler("StartPlayThread: Couldn't create player thread!");
    }
    return 1;
}

int mp_stopBackgroundPlay()
{
    // Not under mpLock: the thread needs it to finish its pass.
    if (!mpThread)
        return 1;
    mpStopRequest = 1;
    mpThread->join();
    delete mpThread;
    mpThread = nullptr;
    mpStopRequest = 0;
    return 1;
}
